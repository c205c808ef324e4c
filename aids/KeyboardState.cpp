#include "KeyboardState.h"

namespace orbicap {

void RecordClick(KeyboardState& state, int x, int y) {
    state.ClickPending = true;
    state.ClickX = x;
    state.ClickY = y;
}

PollResult PollClick(KeyboardState& state) {
    if (!state.ClickPending)
        return {};
    state.ClickPending = false;
    const KeyPanel* panel = HitPanel(state.ClickX, state.ClickY);
    if (!panel)
        return {};
    const KeyAction action = ActionForPanel(*panel, state.Layout, state.ShiftLatched);
    switch (action.What) {
    case KeyAction::Kind::ToggleShift:
        state.ShiftLatched = !state.ShiftLatched;
        return {};
    case KeyAction::Kind::SwitchLayout:
        state.Layout = OtherLayout(state.Layout);
        return PollResult{std::nullopt, true};
    case KeyAction::Kind::Type:
        break;
    }
    return PollResult{action.Stroke, false};
}

} // namespace orbicap
