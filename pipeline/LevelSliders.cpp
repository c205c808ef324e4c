#include "pipeline/LevelSliders.h"

#include <algorithm>

namespace orbicap {
namespace {

constexpr int kSliderMin = 0;
constexpr int kSliderMax = 255;

// A track bar clamps the position it is given and raises no change event when
// the position stays the same, which ends the walk at the range's end.
int Walk(int position, int step, bool (*stillCrossed)(int, int), int other) {
    position = std::clamp(position, kSliderMin, kSliderMax);
    while (stillCrossed(position, other)) {
        const int next = std::clamp(position + step, kSliderMin, kSliderMax);
        if (next == position)
            break;
        position = next;
    }
    return position;
}

} // namespace

int SettleBlackSlider(int blackPosition, int whitePosition) {
    return Walk(
        blackPosition, -1, [](int black, int white) { return black >= white; }, whitePosition);
}

int SettleWhiteSlider(int whitePosition, int blackPosition) {
    return Walk(
        whitePosition, +1, [](int white, int black) { return white <= black; }, blackPosition);
}

} // namespace orbicap
