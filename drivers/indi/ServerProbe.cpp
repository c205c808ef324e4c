#include "ServerProbe.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace orbicap::indi {

namespace {

// errno of a failed attempt, 0 when the connection stood.
int TryAddress(const addrinfo& address, int timeoutMs) {
    const int fd = socket(address.ai_family, address.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC,
                          address.ai_protocol);
    if (fd < 0)
        return errno;
    int error = 0;
    if (connect(fd, address.ai_addr, address.ai_addrlen) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            pollfd waiting{fd, POLLOUT, 0};
            const int ready = poll(&waiting, 1, timeoutMs);
            if (ready == 0) {
                error = ETIMEDOUT;
            } else if (ready < 0) {
                error = errno;
            } else {
                socklen_t length = sizeof error;
                if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                    error = errno;
            }
        }
    }
    close(fd);
    return error;
}

} // namespace

std::optional<std::string> ProbeServer(const std::string& host, int port, int timeoutMs) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* addresses = nullptr;
    const std::string service = std::to_string(port);
    if (const int failed = getaddrinfo(host.c_str(), service.c_str(), &hints, &addresses);
        failed != 0)
        return std::string(gai_strerror(failed));
    int error = ENOENT;
    for (const addrinfo* a = addresses; a; a = a->ai_next) {
        error = TryAddress(*a, timeoutMs);
        if (error == 0)
            break;
    }
    freeaddrinfo(addresses);
    if (error == 0)
        return std::nullopt;
    return std::string(std::strerror(error));
}

} // namespace orbicap::indi
