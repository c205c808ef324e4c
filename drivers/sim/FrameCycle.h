#pragma once

#include "CameraSettings.h"
#include "SkyScene.h"

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace orbicap::sim {

// A short loop of finished frames for one set of camera settings. Rendering a
// frame costs milliseconds; delivering one from the loop is a single copy,
// which is what lets the simulator outrun any real camera. The owner decides
// when frames are rendered: one at a time on first use, so that a settings
// change costs one frame's rendering per exposure, or the whole loop at once
// where no exposure time would hide the work. When only a drifting scene
// moves on, each frame is brought up to date where the scene changed.
class FrameCycle {
public:
    static constexpr std::uint32_t kLength = 8;

    // True when the frame for cycle position index under settings is ready.
    bool Has(const CameraSettings& settings, std::uint32_t index) const;
    // Renders that frame unless it is ready; other settings discard the loop.
    void Render(const CameraSettings& settings, std::uint32_t index);
    // The frame rendered for index (Has() must be true): settings.FrameBytes() bytes.
    const std::vector<std::uint8_t>& Frame(std::uint32_t index) const {
        return frames_[index % kLength];
    }

private:
    CameraSettings settings_;
    std::array<bool, kLength> ready_{};
    std::array<int, kLength> steps_{}; // the scene's drift step each frame shows
    std::array<std::vector<std::uint8_t>, kLength> frames_;
    std::unique_ptr<SkyScene> scene_;
};

} // namespace orbicap::sim
