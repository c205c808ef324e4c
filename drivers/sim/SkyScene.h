#pragma once

#include "CameraSettings.h"

#include <array>
#include <cstdint>
#include <vector>

namespace orbicap::sim {

// What the telescope puts on the sensor, before any noise: a banded planet
// with a small moon on a nearly black sky, in radiance units where the
// brightest zone of the planet is about 1. It is held at a few amounts of
// seeing blur so that each simulated frame only has to pick one and shift it.
// Colour scenes hold red, green and blue planes already weighted by the
// sensor's response behind each filter of the mosaic; mono scenes hold one.
class SkyScene {
public:
    static constexpr int kBlurLevels = 3;

    SkyScene(bool colour, std::uint64_t seed);

    bool Colour() const { return colour_; }
    std::uint64_t Seed() const { return seed_; }
    int Channels() const { return colour_ ? 3 : 1; }
    // kSensorWidth x kSensorHeight radiance values, rows top to bottom.
    const float* Plane(int blurLevel, int channel) const {
        return planes_[static_cast<std::size_t>(blurLevel * Channels() + channel)].data();
    }
    // The brightest value of the sharpest planes: what automatic gain aims at.
    float Peak() const { return peak_; }

private:
    bool colour_;
    std::uint64_t seed_;
    float peak_ = 1.0f;
    std::vector<std::vector<float>> planes_;
};

} // namespace orbicap::sim
