#pragma once

#include <optional>
#include <string>

namespace orbicap {

// --indi HOST[:PORT][/DEVICE]: the INDI server and, optionally, the camera on
// it. The device name may hold spaces and slashes; the host cannot.
struct IndiTarget {
    std::string Server; // HOST or HOST:PORT
    std::string Device; // empty: the first camera on the server
};

// Nothing when the text has no host or a port that is not 1..65535.
std::optional<IndiTarget> ParseIndiTarget(const std::string& text);

// Selects the INDI driver for the target: sets ORBICAP_INDI_SERVER and
// ORBICAP_INDI_DEVICE for it, and answers the driver library beside the
// executable (DriverLibraryPath).
std::string UseIndiTarget(const IndiTarget& target, const std::string& executableDir);

} // namespace orbicap
