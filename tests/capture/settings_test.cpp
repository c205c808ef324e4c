#include "capture/Settings.h"

#include <gtest/gtest.h>

#include <QSettings>

namespace orbicap {
namespace {

// Each test uses its own organisation so that stored values never leak
// between tests; the configuration folder is a temporary one (test main).
class SettingsTest : public ::testing::Test {
protected:
    QString Org() const {
        return QStringLiteral("OrbicapTest_") +
               QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void Store(const QString& name, const QString& value) {
        SettingsStore(Org()).WriteSetting(name, value);
    }
};

TEST_F(SettingsTest, DefaultsWithNothingStored) {
    const StartupSettings s = ReadStartupSettings(SettingsStore(Org()));
    EXPECT_FALSE(s.Expert);
    EXPECT_EQ(s.ExpoLength, 100);
    EXPECT_EQ(s.ExpoCount, 1);
    EXPECT_TRUE(s.FileName.isEmpty());
    EXPECT_EQ(s.Gain, 10);
}

TEST_F(SettingsTest, RoundTripAtExit) {
    const SettingsStore store(Org());
    WriteExitSettings(store, {"5000", "20", "/data/obs/CAPTURE", "55"});
    WriteExpertSetting(store, true);
    const StartupSettings s = ReadStartupSettings(store);
    EXPECT_TRUE(s.Expert);
    EXPECT_EQ(s.ExpoLength, 5000);
    EXPECT_EQ(s.ExpoCount, 20);
    EXPECT_EQ(s.FileName, "/data/obs/CAPTURE");
    EXPECT_EQ(s.Gain, 55);
    // Stored as strings, under the organisation's own file.
    QSettings raw(QSettings::NativeFormat, QSettings::UserScope, Org());
    EXPECT_EQ(raw.value("EXPOLENGTH").toString(), "5000");
    EXPECT_EQ(raw.value("EXPERT").toString(), "TRUE");
}

TEST_F(SettingsTest, ExpertNeedsTheExactText) {
    for (const char* text : {"true", "True", "TRUE ", "yes", "1"}) {
        Store("EXPERT", text);
        EXPECT_FALSE(ReadStartupSettings(SettingsStore(Org())).Expert) << text;
    }
    Store("EXPERT", "TRUE");
    EXPECT_TRUE(ReadStartupSettings(SettingsStore(Org())).Expert);
}

TEST_F(SettingsTest, NumbersThatAreNotDecimalIntegersOrDoNotFitReadAsDefaults) {
    struct Case {
        const char* text;
        int length, count, gain;
    };
    const Case cases[] = {
        {"", 100, 1, 10},
        {"abc", 100, 1, 10},
        {"12x", 100, 1, 10},
        {"0x10", 100, 1, 10},
        {"1.5", 100, 1, 10},
        {" 7", 100, 1, 10},
        {"99999999999", 100, 1, 10},
        {"42", 42, 42, 42},
        {"-3", -3, 1, -3},
        {"99999", 99999, 99999, 99999},
        {"100000", 100000, 1, 100000},
    };
    for (const Case& c : cases) {
        Store("EXPOLENGTH", c.text);
        Store("EXPOCOUNT", c.text);
        Store("GAIN", c.text);
        const StartupSettings s = ReadStartupSettings(SettingsStore(Org()));
        EXPECT_EQ(s.ExpoLength, c.length) << c.text;
        EXPECT_EQ(s.ExpoCount, c.count) << c.text;
        EXPECT_EQ(s.Gain, c.gain) << c.text;
    }
}

TEST_F(SettingsTest, EmptyNameWritesNothing) {
    const SettingsStore store(Org());
    store.WriteSetting("", "x");
    QSettings raw(QSettings::NativeFormat, QSettings::UserScope, Org());
    EXPECT_TRUE(raw.allKeys().isEmpty());
}

TEST_F(SettingsTest, KeyboardLayoutLivesInItsOwnStore) {
    SettingsStore(kKeyboardSettings).WriteSetting("KEYBOARD", "QWERTY");
    EXPECT_EQ(SettingsStore(kKeyboardSettings).ReadSetting("KEYBOARD", "AZERTY"), "QWERTY");
    EXPECT_EQ(SettingsStore(kProgramSettings).ReadSetting("KEYBOARD", "AZERTY"), "AZERTY");
}

} // namespace
} // namespace orbicap
