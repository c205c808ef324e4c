#pragma once

#include "cli/RecordOptions.h"

#include <string>

namespace orbicap {

// Runs one recording as orbicap-record does and returns the exit status:
// 0 when the recording completed, 1 on any failure.
int RunHeadlessRecording(const RecordOptions& options, const std::string& executableDir);

} // namespace orbicap
