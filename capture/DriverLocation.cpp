#include "DriverLocation.h"

#include <sys/stat.h>

namespace orbicap {

namespace {

bool IsFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace

std::string DriverLibraryPath(const std::string& executableDir, const std::string& fileName) {
    const std::string installed = executableDir + "/../lib/orbicap/" + fileName;
    if (IsFile(installed))
        return installed;
    return executableDir + "/../lib/" + fileName;
}

} // namespace orbicap
