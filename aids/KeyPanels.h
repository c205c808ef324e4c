#pragma once

#include "aids/KeyboardLayout.h"

#include <QString>

#include <span>

namespace orbicap {

// One key of the on-screen keyboard: a panel at a fixed place in the
// 591 x 198 client area. Number is the N of "PanelN"; the layout key, which
// has no number, is kLayoutKey.
struct KeyPanel {
    int Number;
    int Left;
    int Top;
    int Width;
    int Height;
    QString Caption; // as laid out, before any layout is applied
};

inline constexpr int kKeyboardWidth = 591;
inline constexpr int kKeyboardHeight = 198;
inline constexpr int kLayoutKey = 0; // KTYPE
inline constexpr int kShiftKey = 42; // holds the two Shift pictures
inline constexpr int kBackspaceKey = 44;
inline constexpr int kReturnKey = 45;

// Every key, row by row from the left.
std::span<const KeyPanel> KeyboardPanels();

// "Panel7", or "KTYPE" for the layout key.
QString PanelName(const KeyPanel& panel);

// The key under a client position, or none. Only the inside counts: a click
// on a key's left or top edge line, or in the gaps, hits nothing, which keeps
// a gloved click that lands between two keys from typing either.
const KeyPanel* HitPanel(int x, int y);

// The caption a key shows in a layout (the layout key names the other one).
QString PanelCaption(const KeyPanel& panel, KeyboardLayout layout);

} // namespace orbicap
