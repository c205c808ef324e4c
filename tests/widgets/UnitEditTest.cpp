#include "widgets/UnitEdit.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

using orbicap::UnitEdit;

namespace {

struct TypingCase {
    const char* typed;
    const char* expected;
};

TEST(UnitEdit, TypingKeepsAtMostFiveDigits) {
    const TypingCase cases[] = {
        {"12a3b", "123"}, {"123456", "12345"}, {"-7", "7"},  {"1.5", "15"},
        {"x", ""},        {"00042", "00042"},  {" 9 ", "9"}, {"99999", "99999"},
    };
    for (const TypingCase& c : cases) {
        UnitEdit edit;
        QTest::keyClicks(edit.Field(), QString::fromLatin1(c.typed));
        EXPECT_EQ(edit.Text(), QString::fromLatin1(c.expected)) << "typed \"" << c.typed << '"';
    }
}

TEST(UnitEdit, EmptyFieldShowsZeroHintButStaysEmpty) {
    UnitEdit edit;
    edit.SetText(QStringLiteral("12"));
    QTest::keyClick(edit.Field(), Qt::Key_Backspace);
    QTest::keyClick(edit.Field(), Qt::Key_Backspace);
    EXPECT_TRUE(edit.Text().isEmpty());
    EXPECT_EQ(edit.Field()->placeholderText(), QStringLiteral("0"));
    EXPECT_TRUE(edit.Field()->alignment() & Qt::AlignRight);
}

TEST(UnitEdit, ProgramTextIsCutToFiveCharacters) {
    UnitEdit edit;
    QSignalSpy spy(&edit, &UnitEdit::textChanged);
    edit.SetText(QStringLiteral("1234567"));
    EXPECT_EQ(edit.Text(), QStringLiteral("12345"));
    EXPECT_EQ(spy.count(), 1);
}

TEST(UnitEdit, UnitSwitchStartsOnExposuresAndReportsChanges) {
    UnitEdit edit;
    EXPECT_EQ(edit.Unit(), UnitEdit::UnitExposures);
    EXPECT_EQ(edit.UnitText(), QStringLiteral(" expo(s)"));

    QSignalSpy spy(&edit, &UnitEdit::unitChanged);
    edit.SetUnit(UnitEdit::UnitSeconds);
    EXPECT_EQ(edit.UnitText(), QStringLiteral(" sec(s)"));
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), UnitEdit::UnitSeconds);

    edit.SetUnit(7); // no such unit
    EXPECT_EQ(edit.Unit(), UnitEdit::UnitSeconds);

    // A choice made in the switch itself is seen the same way; the number is untouched.
    edit.SetText(QStringLiteral("50"));
    edit.UnitSwitch()->setCurrentIndex(UnitEdit::UnitExposures);
    EXPECT_EQ(edit.Unit(), UnitEdit::UnitExposures);
    EXPECT_EQ(spy.count(), 2);
    EXPECT_EQ(edit.Text(), QStringLiteral("50"));
}

TEST(UnitEdit, ContextRequestOnTheFieldOpensTheAttachedMenu) {
    UnitEdit edit;
    QMenu menu;
    menu.addAction(QStringLiteral("50"));
    edit.SetPopupMenu(&menu);
    edit.show();
    ASSERT_EQ(edit.Field()->contextMenuPolicy(), Qt::CustomContextMenu);
    emit edit.Field()->customContextMenuRequested(QPoint(2, 2));
    EXPECT_TRUE(menu.isVisible());
    menu.hide();

    edit.SetPopupMenu(nullptr);
    EXPECT_EQ(edit.Field()->contextMenuPolicy(), Qt::DefaultContextMenu);
    emit edit.Field()->customContextMenuRequested(QPoint(2, 2));
    EXPECT_FALSE(menu.isVisible());
}

} // namespace
