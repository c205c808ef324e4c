#pragma once

#include <optional>
#include <string>

namespace orbicap::indi {

inline constexpr int kDefaultIndiPort = 7624;

struct ServerAddress {
    std::string host = "localhost";
    int port = kDefaultIndiPort;

    std::string Text() const { return host + ":" + std::to_string(port); }
};

// "host[:port]"; empty text gives the default address. Nothing for a text
// with an empty host or a port that is not a number from 1 to 65535.
std::optional<ServerAddress> ParseServerAddress(const std::string& text);

// Where the driver looks for the camera: ORBICAP_INDI_SERVER and
// ORBICAP_INDI_DEVICE (empty: the first device that offers a CCD).
struct CameraLocation {
    std::optional<ServerAddress> server; // empty: the variable could not be read
    std::string serverText;              // as given, for the message
    std::string device;
};
CameraLocation ReadCameraLocation();

} // namespace orbicap::indi
