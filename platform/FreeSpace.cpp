#include "FreeSpace.h"

#include <sys/statvfs.h>

namespace orbicap {

std::optional<std::uint64_t> FreeDiskBytes(const std::string& folder) {
    struct statvfs info {};
    if (::statvfs(folder.c_str(), &info) != 0)
        return std::nullopt;
    return static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
}

} // namespace orbicap
