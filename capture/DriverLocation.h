#pragma once

#include <string>

namespace orbicap {

// The driver library fileName as seen from the folder of the running
// executable. An installed tree keeps the drivers in PREFIX/lib/orbicap/
// beside PREFIX/bin/; the build tree keeps them in lib/ beside bin/. The
// installed place wins when it holds the file, so the program finds its
// drivers wherever it was installed or built, without a configured path.
std::string DriverLibraryPath(const std::string& executableDir, const std::string& fileName);

} // namespace orbicap
