#include "ExposurePlan.h"

#include <algorithm>

namespace orbicap::indi {

namespace {

// Start and length of a centred span of `wanted` on an axis of `size`, with
// the start moved by one where its parity does not match the red site's.
void CentreSpan(int size, int wanted, int redParity, int& start, int& length) {
    length = std::clamp(wanted, 1, std::max(1, size));
    start = (size - length) / 2;
    if (((start + redParity) & 1) != 0) {
        if (start + length < size)
            ++start;
        else if (start > 0)
            --start;
    }
}

} // namespace

ExposurePath ChoosePath(int bits, int exposureMs) {
    return bits < 10 && exposureMs < kStreamExposureLimitMs ? ExposurePath::Stream
                                                            : ExposurePath::Single;
}

SensorRect CentredFrame(int sensorWidth, int sensorHeight, int width, int height,
                        MosaicPhase phase) {
    SensorRect rect;
    CentreSpan(sensorWidth, width, phase.column & 1, rect.x, rect.width);
    CentreSpan(sensorHeight, height, phase.row & 1, rect.y, rect.height);
    return rect;
}

} // namespace orbicap::indi
