#pragma once

#include "aids/KeyMapping.h"

#include <optional>

namespace orbicap {

// The on-screen keyboard's state between two polls. Clicks are polled, not
// queued: a new click replaces one not yet handled, so only the last click of
// a period acts.
struct KeyboardState {
    KeyboardLayout Layout = KeyboardLayout::Azerty;
    bool ShiftLatched = false;
    bool ClickPending = false;
    int ClickX = 0;
    int ClickY = 0;
};

void RecordClick(KeyboardState& state, int x, int y);

// What one poll did: a key to type, or a layout switch the window must show
// and store.
struct PollResult {
    std::optional<KeyStroke> Stroke;
    bool LayoutSwitched = false;
};

// One poll: takes the pending click and applies a Shift or layout key to the
// state.
PollResult PollClick(KeyboardState& state);

} // namespace orbicap
