#pragma once

#include "SceneKind.h"

#include <cstddef>
#include <cstdint>

namespace orbicap::sim {

inline constexpr int kSensorWidth = 752;
inline constexpr int kSensorHeight = 480;

// Everything that changes the picture the sensor reads out. Two equal values
// give the same frames, which is what lets the frame cycle be reused.
struct CameraSettings {
    int width = kSensorWidth;
    int height = kSensorHeight;
    bool sixteenBit = false;
    int exposureMs = 100;
    int gain = 10;
    int digitalGain = 1; // 1, 2 or 4
    int adcRef = 0;      // reference voltage 1.0 V + 0.1 V x adcRef
    bool rowNoiseOff = false;
    bool companding = false;
    bool agc = false;
    bool hflip = false;
    bool vflip = false;
    bool colour = false;
    std::uint64_t seed = 0;
    SceneKind scene = SceneKind::Planet;
    // Where the scene's slow drift stands (the star's focus); always 0 for
    // scenes that hold still.
    int sceneStep = 0;

    bool operator==(const CameraSettings&) const = default;

    // Top-left corner of the read-out window on the sensor. Kept on even
    // coordinates so that every window starts on the red site of the mosaic.
    int OriginX() const { return ((kSensorWidth - width) / 2) & ~1; }
    int OriginY() const { return ((kSensorHeight - height) / 2) & ~1; }
    int BytesPerSample() const { return sixteenBit ? 2 : 1; }
    std::size_t FrameBytes() const {
        return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
               static_cast<std::size_t>(BytesPerSample());
    }
};

// Conversions from the values the ABI passes to what the sensor does. Values
// out of range are clamped, never rejected: a camera register simply saturates.
int ClampWindowWidth(int width);
int ClampWindowHeight(int height);
int ClampExposureMs(int ms);
int ClampGain(int gain);
int DigitalGainFactor(int registerValue);
int ClampAdcRef(int value);

} // namespace orbicap::sim
