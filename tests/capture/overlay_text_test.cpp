#include "capture/OverlayText.h"

#include <gtest/gtest.h>

#include <QLocale>

namespace orbicap {
namespace {

const LocalDateTime kMoment{2025, 12, 9, 21, 34, 56, 789};

TEST(OverlayText, FormatsEveryChoice) {
    const std::pair<int, const char*> cases[] = {
        {0, ""},
        {1, "09/12/2025"},
        {2, "09/12/2025 21:34:56"},
        {3, "09/12/2025 21:34:56.789"},
        {4, "21:34:56.789"},
    };
    for (const auto& [index, expected] : cases)
        EXPECT_EQ(FormatDateTime(kOverlayFormats[index], kMoment), expected) << index;
}

TEST(OverlayText, PrefixRules) {
    struct Case {
        const char* format;
        const char* prefix;
        const char* expected;
    };
    const Case cases[] = {
        {"hh:mm:ss.zzz", "Jupiter", "Jupiter 21:34:56.789"},
        {"", "Jupiter", "Jupiter "},
        {"", "   ", ""},
        {"", "\t\n", ""},
        {"", "", ""},
        {"dd/mm/yyyy", "  Mars ", "  Mars  09/12/2025"}, // the prefix stays as typed
    };
    for (const Case& c : cases)
        EXPECT_EQ(ComposeOverlayText(c.format, c.prefix, kMoment), c.expected) << c.prefix;
}

TEST(OverlayText, ComposeStoresTheText) {
    OverlayText overlay;
    EXPECT_EQ(overlay.DateFormat(), kOverlayFormats[3]);
    overlay.SetDateFormat(kOverlayFormats[4]);
    overlay.SetPrefix("Saturn");
    EXPECT_EQ(overlay.Compose(kMoment), "Saturn 21:34:56.789");
    EXPECT_EQ(overlay.Text(), "Saturn 21:34:56.789");
}

TEST(OverlayText, SeparatorsFollowTheUsersLocale) {
    struct Case {
        QLocale locale;
        const char* expected;
    };
    const Case cases[] = {
        {QLocale::c(), "09/12/2025 21:34:56.789"}, // recorded test files stay as they were
        {QLocale(QLocale::German, QLocale::Germany), "09.12.2025 21:34:56.789"},
        {QLocale(QLocale::English, QLocale::UnitedKingdom), "09/12/2025 21:34:56.789"},
        {QLocale(QLocale::Finnish, QLocale::Finland), "09.12.2025 21.34.56.789"},
    };
    for (const Case& c : cases) {
        const OverlayText overlay(SeparatorsOf(c.locale));
        EXPECT_EQ(FormatDateTime(kOverlayFormats[3], kMoment, overlay.Separators()), c.expected)
            << c.locale.name().toStdString();
    }
    // Minutes after an hour field stay minutes with any time separator.
    EXPECT_EQ(FormatDateTime("hh:mm", kMoment, {"-", "."}), "21.34");
}

} // namespace
} // namespace orbicap
