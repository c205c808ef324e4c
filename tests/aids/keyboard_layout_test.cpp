#include "aids/KeyboardLayout.h"
#include "capture/Settings.h"

#include <gtest/gtest.h>

#include <QSettings>

namespace orbicap {
namespace {

TEST(KeyboardLayoutSetting, OnlyTheExactTextAzertySelectsAzerty) {
    EXPECT_EQ(LayoutFromStored(QStringLiteral("AZERTY")), KeyboardLayout::Azerty);
    for (const char* other : {"QWERTY", "qwerty", "azerty", "", " AZERTY", "DVORAK"})
        EXPECT_EQ(LayoutFromStored(QString::fromLatin1(other)), KeyboardLayout::Qwerty) << other;
}

class KeyboardStore : public ::testing::Test {
protected:
    void SetUp() override { Raw().clear(); }
    void TearDown() override { Raw().clear(); }
    static QSettings Raw() {
        return QSettings(QSettings::NativeFormat, QSettings::UserScope, kKeyboardSettings);
    }
    SettingsStore store{kKeyboardSettings};
};

TEST_F(KeyboardStore, MissingValueReadsAzertyAndAWriteIsReadBack) {
    EXPECT_EQ(ReadKeyboardLayout(store), KeyboardLayout::Azerty);
    WriteKeyboardLayout(store, KeyboardLayout::Qwerty);
    EXPECT_EQ(Raw().value(QStringLiteral("KEYBOARD")).toString(), QStringLiteral("QWERTY"));
    EXPECT_EQ(ReadKeyboardLayout(store), KeyboardLayout::Qwerty);
    // The program's own store is a different one.
    EXPECT_FALSE(QSettings(QSettings::NativeFormat, QSettings::UserScope, kProgramSettings)
                     .contains(QStringLiteral("KEYBOARD")));
}

TEST_F(KeyboardStore, AStoredLowerCaseQwertyReadsQwerty) {
    auto raw = Raw();
    raw.setValue(QStringLiteral("KEYBOARD"), QStringLiteral("qwerty"));
    raw.sync();
    EXPECT_EQ(ReadKeyboardLayout(store), KeyboardLayout::Qwerty);
}

} // namespace
} // namespace orbicap
