#pragma once

#include "capture/CMOSDLL32.h"
#include "tests/support/FrameStamp.h"

#include <cstdint>
#include <cstdlib>
#include <string>

namespace orbicap::test {

inline std::string SimulatorPath() {
    return std::string(ORBICAP_LIB_DIR) + "/libqhy5v-sim.so";
}

// Sets the simulator's knobs for the next openUSB. Unset knobs are cleared.
struct SimKnobs {
    bool Stamp = true;
    bool Unpaced = false;
    int StallAfter = -1;
    std::string Model = "qhy5v";

    void Apply() const {
        setenv("ORBICAP_SIM_STAMP", Stamp ? "1" : "0", 1);
        setenv("ORBICAP_SIM_UNPACED", Unpaced ? "1" : "0", 1);
        if (StallAfter >= 0)
            setenv("ORBICAP_SIM_STALL_AFTER", std::to_string(StallAfter).c_str(), 1);
        else
            unsetenv("ORBICAP_SIM_STALL_AFTER");
        setenv("ORBICAP_SIM_MODEL", Model.c_str(), 1);
        unsetenv("ORBICAP_SIM_NO_CAMERA");
    }
};

} // namespace orbicap::test
