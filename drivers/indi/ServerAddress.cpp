#include "ServerAddress.h"

#include <charconv>
#include <cstdlib>

namespace orbicap::indi {

std::optional<ServerAddress> ParseServerAddress(const std::string& text) {
    ServerAddress address;
    if (text.empty())
        return address;
    const auto colon = text.rfind(':');
    address.host = text.substr(0, colon);
    if (address.host.empty())
        return std::nullopt;
    if (colon == std::string::npos)
        return address;
    const std::string port = text.substr(colon + 1);
    int value = 0;
    const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
    if (port.empty() || error != std::errc{} || end != port.data() + port.size() || value < 1 ||
        value > 65535)
        return std::nullopt;
    address.port = value;
    return address;
}

CameraLocation ReadCameraLocation() {
    CameraLocation location;
    const char* server = std::getenv("ORBICAP_INDI_SERVER");
    location.serverText = server ? server : "";
    location.server = ParseServerAddress(location.serverText);
    if (const char* device = std::getenv("ORBICAP_INDI_DEVICE"))
        location.device = device;
    return location;
}

} // namespace orbicap::indi
