#pragma once

#include "CameraSettings.h"

#include <array>
#include <cstdint>
#include <vector>

namespace orbicap::sim {

// What the telescope puts on the sensor, before any noise: the chosen scene
// (planet, star or sun, see ScenePainters.h) on a nearly black sky, in
// radiance units where the brightest zone of the planet is about 1. A
// drifting scene is built anew for each step of its drift. It is held at a few amounts of
// seeing blur so that each simulated frame only has to pick one and shift it.
// Colour scenes hold red, green and blue planes already weighted by the
// sensor's response behind each filter of the mosaic; mono scenes hold one.
class SkyScene {
public:
    static constexpr int kBlurLevels = 3;

    SkyScene(SceneKind kind, bool colour, std::uint64_t seed, int step);

    // True when this scene is the one settings ask for.
    bool Shows(const CameraSettings& s) const {
        return kind_ == s.scene && colour_ == s.colour && seed_ == s.seed && step_ == s.sceneStep;
    }
    bool Colour() const { return colour_; }
    int Channels() const { return colour_ ? 3 : 1; }
    // kSensorWidth x kSensorHeight radiance values, rows top to bottom.
    const float* Plane(int blurLevel, int channel) const {
        return planes_[static_cast<std::size_t>(blurLevel * Channels() + channel)].data();
    }
    // The brightest value of the sharpest planes: what automatic gain aims at.
    float Peak() const { return peak_; }

private:
    SceneKind kind_;
    bool colour_;
    std::uint64_t seed_;
    int step_;
    float peak_ = 1.0f;
    std::vector<std::vector<float>> planes_;
};

} // namespace orbicap::sim
