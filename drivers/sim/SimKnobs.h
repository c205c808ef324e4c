#pragma once

#include "SceneKind.h"

#include <cstdint>
#include <optional>

namespace orbicap::sim {

enum class SimModel { Qhy5vMono, Qhy5vColour, MagZeroMono, MagZeroColour };

// The environment variables that steer the simulator, read when the camera is
// opened so that a test can change them and open the camera again.
struct SimKnobs {
    bool noCamera = false;                // ORBICAP_SIM_NO_CAMERA=1
    SimModel model = SimModel::Qhy5vMono; // ORBICAP_SIM_MODEL
    // An unknown name falls back to the planet, the scene every user expects.
    SceneKind scene = SceneKind::Planet;     // ORBICAP_SIM_SCENE: planet, star, sun
    std::uint64_t seed = 0x5EED0F0B1CA9ULL;  // ORBICAP_SIM_SEED
    bool stamp = false;                      // ORBICAP_SIM_STAMP=1
    std::optional<std::uint64_t> stallAfter; // ORBICAP_SIM_STALL_AFTER=N
    bool unpaced = false;                    // ORBICAP_SIM_UNPACED=1
    // A camera makes its frames on its own hardware; at idle priority the
    // simulator's worker takes only the processor time the program leaves.
    bool idlePriority = false; // ORBICAP_SIM_IDLE=1
};

SimKnobs ReadSimKnobs();

bool IsColourModel(SimModel model);
// USB identifiers: vendor id low 16 bits, product id high 16 bits.
unsigned int VidPidOf(SimModel model);

} // namespace orbicap::sim
