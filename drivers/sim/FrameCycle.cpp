#include "FrameCycle.h"

#include "SensorReadout.h"

namespace orbicap::sim {

bool FrameCycle::Has(const CameraSettings& settings, std::uint32_t index) const {
    return settings == settings_ && ready_[index % kLength];
}

void FrameCycle::Render(const CameraSettings& settings, std::uint32_t index) {
    if (!(settings == settings_)) {
        settings_ = settings;
        ready_.fill(false);
    }
    const std::uint32_t slot = index % kLength;
    if (ready_[slot])
        return;
    if (!scene_ || !scene_->Shows(settings))
        scene_ = std::make_unique<SkyScene>(settings.scene, settings.colour, settings.seed,
                                            settings.sceneStep);
    frames_[slot].resize(settings.FrameBytes());
    ReadOutFrame(*scene_, settings, slot, frames_[slot].data());
    ready_[slot] = true;
}

} // namespace orbicap::sim
