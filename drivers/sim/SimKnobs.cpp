#include "SimKnobs.h"

#include <cstdlib>
#include <string>

namespace orbicap::sim {

namespace {

bool FlagSet(const char* name) {
    const char* value = std::getenv(name);
    return value && std::string(value) == "1";
}

std::optional<std::uint64_t> NumberOf(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value)
        return std::nullopt;
    char* end = nullptr;
    const unsigned long long number = std::strtoull(value, &end, 0);
    if (*end != '\0' || value[0] == '-')
        return std::nullopt;
    return number;
}

SimModel ModelOf(const char* value) {
    const std::string name = value ? value : "";
    if (name == "qhy5v-color")
        return SimModel::Qhy5vColour;
    if (name == "magzero-mono")
        return SimModel::MagZeroMono;
    if (name == "magzero-color")
        return SimModel::MagZeroColour;
    return SimModel::Qhy5vMono;
}

SceneKind SceneOf(const char* value) {
    const std::string name = value ? value : "";
    if (name == "star")
        return SceneKind::Star;
    if (name == "sun")
        return SceneKind::Sun;
    return SceneKind::Planet;
}

} // namespace

SimKnobs ReadSimKnobs() {
    SimKnobs knobs;
    knobs.noCamera = FlagSet("ORBICAP_SIM_NO_CAMERA");
    knobs.model = ModelOf(std::getenv("ORBICAP_SIM_MODEL"));
    knobs.scene = SceneOf(std::getenv("ORBICAP_SIM_SCENE"));
    if (auto seed = NumberOf("ORBICAP_SIM_SEED"))
        knobs.seed = *seed;
    knobs.stamp = FlagSet("ORBICAP_SIM_STAMP");
    knobs.stallAfter = NumberOf("ORBICAP_SIM_STALL_AFTER");
    knobs.unpaced = FlagSet("ORBICAP_SIM_UNPACED");
    knobs.idlePriority = FlagSet("ORBICAP_SIM_IDLE");
    return knobs;
}

bool IsColourModel(SimModel model) {
    return model == SimModel::Qhy5vColour || model == SimModel::MagZeroColour;
}

unsigned int VidPidOf(SimModel model) {
    switch (model) {
    case SimModel::MagZeroMono:
        return 0x299016C0u;
    case SimModel::MagZeroColour:
        return 0x299116C0u;
    case SimModel::Qhy5vColour:
        return 0x081916C0u; // a plain colour camera: neither MagZero identifier
    case SimModel::Qhy5vMono:
        break;
    }
    return 0x081816C0u;
}

} // namespace orbicap::sim
