#pragma once

#include "aids/KeyPanels.h"

#include <QString>
#include <Qt>

namespace orbicap {

// What a real keyboard gives for one key: the Qt key code, the text it types
// and the modifiers held with it.
struct KeyStroke {
    int Key = 0;
    QString Text;
    Qt::KeyboardModifiers Modifiers = Qt::NoModifier;

    friend bool operator==(const KeyStroke&, const KeyStroke&) = default;
};

// What a click on a key does: type a key, toggle the Shift latch, or switch
// the letter layout.
struct KeyAction {
    enum class Kind { Type, ToggleShift, SwitchLayout };
    Kind What = Kind::Type;
    KeyStroke Stroke; // for Type only
};

// The action of a key in a layout with the Shift latch as it stands. Shift
// applies to the letters only; "_" always needs it and the other keys never.
// The digits and both "." keys are the keypad's, as on a number pad, so
// they type the same whatever the user's keyboard map.
KeyAction ActionForPanel(const KeyPanel& panel, KeyboardLayout layout, bool shiftLatched);

} // namespace orbicap
