#include "KeyboardLayout.h"

namespace orbicap {

namespace {
const QString kKeyboardValue = QStringLiteral("KEYBOARD");
const QString kAzerty = QStringLiteral("AZERTY");
const QString kQwerty = QStringLiteral("QWERTY");
} // namespace

QString LayoutName(KeyboardLayout layout) {
    return layout == KeyboardLayout::Azerty ? kAzerty : kQwerty;
}

KeyboardLayout OtherLayout(KeyboardLayout layout) {
    return layout == KeyboardLayout::Azerty ? KeyboardLayout::Qwerty : KeyboardLayout::Azerty;
}

KeyboardLayout LayoutFromStored(const QString& stored) {
    return stored == kAzerty ? KeyboardLayout::Azerty : KeyboardLayout::Qwerty;
}

KeyboardLayout ReadKeyboardLayout(const SettingsStore& store) {
    return LayoutFromStored(store.ReadSetting(kKeyboardValue, kAzerty));
}

void WriteKeyboardLayout(const SettingsStore& store, KeyboardLayout layout) {
    store.WriteSetting(kKeyboardValue, LayoutName(layout));
}

} // namespace orbicap
