#pragma once

#include <optional>
#include <string>

namespace orbicap::indi {

// Opens and closes one TCP connection to host:port, waiting at most
// timeoutMs. Answers the reason ("Connection refused", ...) when no address
// of the host accepts, nothing when one does. The client library only says
// that it failed; this says why.
std::optional<std::string> ProbeServer(const std::string& host, int port, int timeoutMs);

} // namespace orbicap::indi
