#pragma once

#include "CameraSettings.h"
#include "SceneCanvas.h"

#include <array>
#include <cstdint>
#include <vector>

namespace orbicap::sim {

// What the telescope puts on the sensor, before any noise: the chosen scene
// (planet, star or sun, see ScenePainters.h) on a nearly black sky, in
// radiance units where the brightest zone of the planet is about 1. It is
// held at a few amounts of seeing blur so that each simulated frame only has
// to pick one and shift it. A drifting scene moves from step to step in
// place, redrawing only the region where it changes.
// Colour scenes hold red, green and blue planes already weighted by the
// sensor's response behind each filter of the mosaic; mono scenes hold one.
class SkyScene {
public:
    static constexpr int kBlurLevels = 3;

    SkyScene(SceneKind kind, bool colour, std::uint64_t seed, int step);

    // True when this is the scene settings ask for, at whatever step.
    bool Shows(const CameraSettings& s) const {
        return kind_ == s.scene && colour_ == s.colour && seed_ == s.seed;
    }
    int Step() const { return step_; }
    // Moves a drifting scene to another step; a still scene ignores it.
    void MoveTo(int step);

    bool Colour() const { return colour_; }
    int Channels() const { return colour_ ? 3 : 1; }
    // kSensorWidth x kSensorHeight radiance values, rows top to bottom.
    const float* Plane(int blurLevel, int channel) const {
        return planes_[static_cast<std::size_t>(blurLevel * Channels() + channel)].data();
    }
    // The region (sensor pixels, inclusive) outside which every step of a
    // drifting scene is the same; empty (x1 < x0) for a scene that holds still.
    const Box& Drift() const { return drift_; }
    // The brightest value of the sharpest planes: what automatic gain aims at.
    float Peak() const { return peak_; }

private:
    // Weights the sharp picture's colours into the sensor's channels inside box.
    void TakeChannels(const Box& box);
    // Blurs the channels into the planes inside the boxes and the kernels' reach.
    void Blur(const std::vector<Box>& boxes);
    void FindPeak();

    SceneKind kind_;
    bool colour_;
    std::uint64_t seed_;
    int step_;
    float peak_ = 1.0f;
    Box drift_{0, 0, -1, -1};
    // Kept only for a drifting scene, which repaints them step by step.
    SharpPicture sharp_;
    std::vector<std::vector<float>> channels_;
    std::vector<std::vector<float>> planes_;
};

} // namespace orbicap::sim
