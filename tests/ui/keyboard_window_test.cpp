#include "aids/KeyPanels.h"
#include "capture/Settings.h"
#include "ui/VirtualKeyboard.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

namespace orbicap {
namespace {

QSettings KeyboardStore() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, kKeyboardSettings);
}

void StoreLayout(const QString& value) {
    auto s = KeyboardStore();
    s.setValue(QStringLiteral("KEYBOARD"), value);
    s.sync();
}

// An owner window with a real text field that has the focus, and the
// keyboard under it with its poll driven by the test.
class KeyboardWindow : public ::testing::Test {
protected:
    void SetUp() override { KeyboardStore().clear(); }
    void TearDown() override {
        keyboard.reset();
        owner.reset();
        KeyboardStore().clear();
    }

    void Open() {
        owner = std::make_unique<QWidget>();
        owner->setGeometry(200, 100, 296, 72);
        field = new QLineEdit(owner.get());
        new QVBoxLayout(owner.get());
        owner->layout()->addWidget(field);
        owner->show();
        owner->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(owner.get()));
        keyboard = std::make_unique<TForm4>(SettingsStore(kKeyboardSettings), owner.get());
        keyboard->Timer1().stop();
        keyboard->ToggleKeyboard(owner.get(), field);
        ASSERT_TRUE(keyboard->isVisible());
        QCoreApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), field);
    }

    QLabel* PanelWidget(const char* name) const {
        auto* panel = keyboard->findChild<QLabel*>(QString::fromLatin1(name));
        EXPECT_NE(panel, nullptr) << name;
        return panel;
    }
    void ClickAt(QPoint at) { QTest::mouseClick(keyboard.get(), Qt::LeftButton, {}, at); }
    void Click(const char* name) { ClickAt(PanelWidget(name)->geometry().center()); }
    void Press(const char* name) {
        Click(name);
        keyboard->Timer1Timer();
    }

    std::unique_ptr<QWidget> owner;
    QLineEdit* field = nullptr;
    std::unique_ptr<TForm4> keyboard;
};

TEST_F(KeyboardWindow, IsABorderlessDarkWindowThatNeverTakesTheFocus) {
    Open();
    EXPECT_EQ(keyboard->size(), QSize(591, 198));
    EXPECT_TRUE(keyboard->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(keyboard->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(keyboard->windowFlags() & Qt::WindowDoesNotAcceptFocus);
    EXPECT_EQ(keyboard->palette().color(QPalette::Window), QColor(64, 64, 64));
    for (const KeyPanel& panel : KeyboardPanels()) {
        const QLabel* widget = PanelWidget(PanelName(panel).toLatin1().constData());
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->geometry(), QRect(panel.Left, panel.Top, panel.Width, panel.Height));
    }
    EXPECT_EQ(PanelWidget("KTYPE")->text(), QStringLiteral("QWERTY"));
    EXPECT_EQ(PanelWidget("Panel43")->text(), QStringLiteral("SPACE"));
}

TEST_F(KeyboardWindow, ClicksTypeIntoTheFocusedFieldWhichKeepsTheFocus) {
    Open();
    for (const char* key : {"Panel1", "Panel34", "Panel37", "Panel39", "Panel40", "Panel41",
                            "Panel43", "Panel38", "Panel30"})
        Press(key);
    EXPECT_EQ(field->text(), QStringLiteral("a10._- .9"));
    EXPECT_EQ(QApplication::focusWidget(), field);
    EXPECT_TRUE(owner->isActiveWindow());

    Press("Panel44"); // backspace
    EXPECT_EQ(field->text(), QStringLiteral("a10._- ."));
    QSignalSpy returned(field, &QLineEdit::returnPressed);
    Press("Panel45");
    EXPECT_EQ(returned.count(), 1);
}

TEST_F(KeyboardWindow, ShiftLatchesUpperCaseForLettersOnly) {
    Open();
    QLabel* off = keyboard->findChild<QLabel*>(QStringLiteral("ShiftOff"));
    ASSERT_NE(off, nullptr);
    EXPECT_TRUE(off->isVisible());
    Press("Panel42");
    EXPECT_FALSE(off->isVisible()) << "the Shift-on picture shows while latched";
    EXPECT_EQ(field->text(), QString()) << "Shift itself sends nothing";
    for (const char* key : {"Panel1", "Panel2", "Panel28", "Panel41"})
        Press(key);
    Press("Panel42");
    Press("Panel1");
    EXPECT_EQ(field->text(), QStringLiteral("AZ7-a"));
    EXPECT_TRUE(off->isVisible());
}

TEST_F(KeyboardWindow, OnlyTheLastClickOfAPeriodIsTypedAndEdgesTypeNothing) {
    Open();
    Click("Panel1");
    Click("Panel3");
    keyboard->Timer1Timer();
    keyboard->Timer1Timer();
    EXPECT_EQ(field->text(), QStringLiteral("e"));

    const QRect a = PanelWidget("Panel1")->geometry();
    // Its left and top edge lines, the line it shares with "Z", and the gap
    // under it.
    for (const QPoint edge :
         {QPoint(a.left(), a.center().y()), QPoint(a.center().x(), a.top()),
          QPoint(a.right() + 1, a.center().y()), QPoint(a.center().x(), a.bottom() + 1)}) {
        ClickAt(edge);
        keyboard->Timer1Timer();
    }
    EXPECT_EQ(field->text(), QStringLiteral("e"));
}

TEST_F(KeyboardWindow, AHiddenKeyboardForgetsNothingButTypesNothing) {
    Open();
    Click("Panel1");
    keyboard->ToggleKeyboard(owner.get(), field);
    ASSERT_FALSE(keyboard->isVisible());
    keyboard->Timer1Timer();
    EXPECT_EQ(field->text(), QString());
}

TEST_F(KeyboardWindow, TheLayoutKeySwapsTheLettersAndIsStored) {
    Open();
    Press("Panel20");
    Press("Panel39");
    EXPECT_EQ(field->text(), QStringLiteral("m."));
    Press("KTYPE");
    EXPECT_EQ(PanelWidget("KTYPE")->text(), QStringLiteral("AZERTY"));
    EXPECT_EQ(PanelWidget("Panel20")->text(), QStringLiteral("."));
    EXPECT_EQ(PanelWidget("Panel39")->text(), QStringLiteral("M"));
    EXPECT_EQ(PanelWidget("Panel1")->text(), QStringLiteral("Q"));
    EXPECT_EQ(KeyboardStore().value(QStringLiteral("KEYBOARD")).toString(),
              QStringLiteral("QWERTY"));
    Press("Panel20");
    Press("Panel39");
    Press("Panel1");
    EXPECT_EQ(field->text(), QStringLiteral("m..mq"));
    Press("KTYPE");
    EXPECT_EQ(KeyboardStore().value(QStringLiteral("KEYBOARD")).toString(),
              QStringLiteral("AZERTY"));
}

TEST_F(KeyboardWindow, AStoredLowerCaseQwertyStartsTheQwertyLayout) {
    StoreLayout(QStringLiteral("qwerty"));
    Open();
    EXPECT_EQ(PanelWidget("KTYPE")->text(), QStringLiteral("AZERTY"));
    Press("Panel11");
    EXPECT_EQ(field->text(), QStringLiteral("a"));
}

TEST_F(KeyboardWindow, OpensCentredTwentyPixelsUnderItsOwner) {
    Open();
    const QRect frame = owner->frameGeometry();
    EXPECT_EQ(keyboard->x(), frame.left() - (591 - frame.width()) / 2);
    EXPECT_EQ(keyboard->y(), frame.bottom() + 1 + 20);
}

TEST_F(KeyboardWindow, StaysUsableWhileAModalWindowIsOpen) {
    Open();
    QDialog modal(owner.get());
    modal.setWindowModality(Qt::ApplicationModal);
    auto* modalField = new QLineEdit(&modal);
    modal.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&modal));
    modalField->setFocus();
    QCoreApplication::processEvents();
    Press("Panel5");
    EXPECT_EQ(modalField->text(), QStringLiteral("t"));
}

} // namespace
} // namespace orbicap
