#include "FrameCycle.h"

#include "SensorReadout.h"

namespace orbicap::sim {

namespace {

// Settings apart from where the scene's drift stands: a drift step alone
// keeps the loop and only brings its frames up to date.
CameraSettings Still(CameraSettings settings) {
    settings.sceneStep = 0;
    return settings;
}

} // namespace

bool FrameCycle::Has(const CameraSettings& settings, std::uint32_t index) const {
    const std::uint32_t slot = index % kLength;
    return Still(settings) == Still(settings_) && ready_[slot] &&
           steps_[slot] == settings.sceneStep;
}

void FrameCycle::Render(const CameraSettings& settings, std::uint32_t index) {
    if (!(Still(settings) == Still(settings_)))
        ready_.fill(false);
    settings_ = settings;
    const std::uint32_t slot = index % kLength;
    if (ready_[slot] && steps_[slot] == settings.sceneStep)
        return;
    if (!scene_ || !scene_->Shows(settings))
        scene_ = std::make_unique<SkyScene>(settings.scene, settings.colour, settings.seed,
                                            settings.sceneStep);
    else
        scene_->MoveTo(settings.sceneStep);
    // Automatic gain follows the scene's peak, which drifts with the rest,
    // so under it the whole frame changes.
    if (ready_[slot] && !settings.agc) {
        ReadOutRegion(*scene_, settings, slot, scene_->Drift(), frames_[slot].data());
    } else {
        frames_[slot].resize(settings.FrameBytes());
        ReadOutFrame(*scene_, settings, slot, frames_[slot].data());
    }
    steps_[slot] = settings.sceneStep;
    ready_[slot] = true;
}

} // namespace orbicap::sim
