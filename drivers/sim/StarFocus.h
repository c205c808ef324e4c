#pragma once

#include <cstdint>

namespace orbicap::sim {

// The star scene's focus drifts as a telescope's does while it cools: it
// swings from well outside focus to sharp and back. Time is the camera's own,
// the exposures it has delivered, so the drift is the same paced or unpaced
// and a test can reach any point of it at once.
inline constexpr int kFocusPeriodMs = 40000;
// The drift is held for a quarter second at a time, long enough for the
// frame cycle to reuse its frames, short enough that the ring never jumps.
inline constexpr int kFocusStepMs = 250;
inline constexpr int kFocusSteps = kFocusPeriodMs / kFocusStepMs;

// Radius of the ring, in pixels, at its widest (the start) and sharpest.
inline constexpr float kDefocusedRadius = 40.0f;
inline constexpr float kFocusedRadius = 1.5f;

// The focus step at elapsedMs of exposure since the camera was opened.
int FocusStepAt(std::uint64_t elapsedMs);
// The outer radius of the star's image at that step.
float StarRadiusAt(int step);

} // namespace orbicap::sim
