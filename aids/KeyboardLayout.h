#pragma once

#include "platform/SettingsStore.h"

#include <QString>

namespace orbicap {

// The two letter layouts of the on-screen keyboard.
enum class KeyboardLayout { Azerty, Qwerty };

// "AZERTY" or "QWERTY", as stored and as shown on the layout key.
QString LayoutName(KeyboardLayout layout);

// The layout a click on the layout key switches to; its caption names it.
KeyboardLayout OtherLayout(KeyboardLayout layout);

// Only the exact text "AZERTY" selects AZERTY, so a value edited by hand in
// another letter case, or garbage, falls back to QWERTY.
KeyboardLayout LayoutFromStored(const QString& stored);

// The KEYBOARD value of the keyboard's own store; a missing value or a
// failed read gives AZERTY.
KeyboardLayout ReadKeyboardLayout(const SettingsStore& store);
void WriteKeyboardLayout(const SettingsStore& store, KeyboardLayout layout);

} // namespace orbicap
