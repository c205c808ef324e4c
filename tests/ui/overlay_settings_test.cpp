#include "capture/OverlayText.h"
#include "pipeline/Overlay.h"
#include "ui/ConfigOverlay.h"

#include <gtest/gtest.h>

#include <QFontDialog>
#include <QFontInfo>
#include <QLocale>
#include <QRadioButton>
#include <QRegularExpression>

#include <optional>

namespace orbicap {
namespace {

// What a real font dialog returns when opened on a font and confirmed
// without a change.
std::optional<QFont> ConfirmUnchanged(const QFont& current) {
    QFontDialog dialog;
    dialog.setCurrentFont(current);
    return dialog.currentFont();
}

TEST(OverlaySettings, FontDialogOpensOnTheFaceInUseAndOkChangesNothing) {
    OverlayText overlay;
    TConfText conf(overlay, nullptr);
    const QString used = QFontInfo(DefaultOverlayFont()).family();
    EXPECT_EQ(QFontInfo(ConfirmUnchanged(conf.Style().Font).value()).family(), used);

    std::optional<OverlayStyle> reported;
    conf.StyleChanged = [&](const OverlayStyle& style) { reported = style; };
    conf.ChooseFont = ConfirmUnchanged;
    conf.ChooseColor = [](const QColor&) { return std::optional<QColor>(); }; // cancelled
    conf.Button3Click();
    ASSERT_TRUE(reported);
    EXPECT_EQ(QFontInfo(reported->Font).family(), used);
    EXPECT_EQ(reported->Font.pointSize(), 12);
    EXPECT_EQ(reported->TextColor, QColor(Qt::white)) << "the start colour stays";
}

TEST(OverlaySettings, TheChosenColourIsTheTextColour) {
    OverlayText overlay;
    TConfText conf(overlay, nullptr);
    conf.ChooseFont = ConfirmUnchanged;
    conf.ChooseColor = [](const QColor& current) {
        EXPECT_EQ(current, QColor(Qt::white));
        return std::optional<QColor>(QColor(200, 30, 30));
    };
    conf.Button3Click();
    EXPECT_EQ(conf.Style().TextColor, QColor(200, 30, 30));
    // A cancelled font dialog changes neither font nor colour.
    conf.ChooseFont = [](const QFont&) { return std::optional<QFont>(); };
    conf.ChooseColor = [](const QColor&) { return std::optional<QColor>(Qt::green); };
    conf.Button3Click();
    EXPECT_EQ(conf.Style().TextColor, QColor(200, 30, 30));
}

TEST(OverlaySettings, SampleCaptionsUseTheLocalesSeparators) {
    struct Case {
        QLocale locale;
        const char* pattern;
    };
    const Case cases[] = {
        {QLocale::c(), R"(^Date/Time \(s\) \(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d\)$)"},
        {QLocale(QLocale::German, QLocale::Germany),
         R"(^Date/Time \(s\) \(\d\d\.\d\d\.\d{4} \d\d:\d\d:\d\d\)$)"},
    };
    for (const Case& c : cases) {
        OverlayText overlay(SeparatorsOf(c.locale));
        TConfText conf(overlay, nullptr);
        const QString caption = conf.RadioGroup1()->button(2)->text();
        EXPECT_TRUE(QRegularExpression(QString::fromLatin1(c.pattern)).match(caption).hasMatch())
            << caption.toStdString();
    }
}

} // namespace
} // namespace orbicap
