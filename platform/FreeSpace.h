#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace orbicap {

// Bytes an unprivileged user may still write to the file system that holds
// folder; nothing when the folder cannot be asked (missing, no access).
std::optional<std::uint64_t> FreeDiskBytes(const std::string& folder);

} // namespace orbicap
