#include "IndiOption.h"

#include "DriverLocation.h"

#include <charconv>
#include <cstdlib>

namespace orbicap {

std::optional<IndiTarget> ParseIndiTarget(const std::string& text) {
    const auto slash = text.find('/');
    IndiTarget target;
    target.Server = text.substr(0, slash);
    if (slash != std::string::npos)
        target.Device = text.substr(slash + 1);
    const auto colon = target.Server.rfind(':');
    if (target.Server.empty() || colon == 0)
        return std::nullopt;
    if (colon != std::string::npos) {
        const std::string port = target.Server.substr(colon + 1);
        int value = 0;
        const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
        if (port.empty() || error != std::errc{} || end != port.data() + port.size() || value < 1 ||
            value > 65535)
            return std::nullopt;
    }
    return target;
}

std::string UseIndiTarget(const IndiTarget& target, const std::string& executableDir) {
    setenv("ORBICAP_INDI_SERVER", target.Server.c_str(), 1);
    if (target.Device.empty())
        unsetenv("ORBICAP_INDI_DEVICE");
    else
        setenv("ORBICAP_INDI_DEVICE", target.Device.c_str(), 1);
    return DriverLibraryPath(executableDir, "libqhy5v-indi.so");
}

} // namespace orbicap
