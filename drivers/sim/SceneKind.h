#pragma once

namespace orbicap::sim {

// What the simulated telescope points at.
enum class SceneKind {
    Planet, // a banded planet with a moon: the everyday planetary target
    Star,   // one star whose focus drifts slowly: for focusing and collimation
    Sun,    // a limb-darkened solar disc with spots, bright enough to saturate
};

} // namespace orbicap::sim
