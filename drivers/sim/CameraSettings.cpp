#include "CameraSettings.h"

#include <algorithm>

namespace orbicap::sim {

// A window never grows beyond the sensor; a zero or negative size reads out
// nothing at all, which cannot overrun any block the caller allocated.
int ClampWindowWidth(int width) {
    return std::clamp(width, 0, kSensorWidth);
}
int ClampWindowHeight(int height) {
    return std::clamp(height, 0, kSensorHeight);
}

// One hour is far beyond any planetary exposure and keeps deadlines finite.
int ClampExposureMs(int ms) {
    return std::clamp(ms, 0, 3600 * 1000);
}

int ClampGain(int gain) {
    return std::clamp(gain, 0, 100);
}

int DigitalGainFactor(int registerValue) {
    if (registerValue >= 255)
        return 4;
    if (registerValue >= 248)
        return 2;
    return 1;
}

int ClampAdcRef(int value) {
    return std::clamp(value, 0, 6);
}

} // namespace orbicap::sim
