#pragma once

#include <string>

namespace orbicap {

// The camera model a driver's USB vendor and product identifiers name
// (GetVIDPID), as captions and logs show it.
std::string CameraModelName(unsigned int vidPid);

} // namespace orbicap
