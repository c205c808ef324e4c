#pragma once

#include "CameraSettings.h"
#include "SkyScene.h"

#include <cstdint>

namespace orbicap::sim {

// Reads one frame out of the sensor: the scene shifted and blurred by this
// frame's seeing, turned into electrons by the exposure, given shot and read
// noise, amplified by analogue and digital gain, digitised against the ADC
// reference (optionally companded), cut to the window, mirrored and, for
// colour sensors, sampled through the RGGB mosaic. frameIndex selects the
// seeing and the noise, so equal arguments give equal frames.
// target receives settings.FrameBytes() bytes.
void ReadOutFrame(const SkyScene& scene, const CameraSettings& settings, std::uint32_t frameIndex,
                  std::uint8_t* target);

// Reads out again only the pixels that see the scene inside sensorBox, and
// gives them exactly what ReadOutFrame would (every row has its own noise
// sequence), so a frame whose scene changed only there can be brought up to
// date for the price of that region.
void ReadOutRegion(const SkyScene& scene, const CameraSettings& settings, std::uint32_t frameIndex,
                   const Box& sensorBox, std::uint8_t* target);

} // namespace orbicap::sim
