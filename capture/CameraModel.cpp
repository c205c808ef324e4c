#include "CameraModel.h"

namespace orbicap {

std::string CameraModelName(unsigned int vidPid) {
    switch (vidPid) {
    case 0x299016C0u:
        return "MagZero QHY5V Mono Camera";
    case 0x299116C0u:
        return "MagZero QHY5V Color Camera";
    default:
        return "QHY5V Camera";
    }
}

} // namespace orbicap
