#pragma once

#include "PropertyCache.h"

#include <cstddef>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace orbicap::indi {

// What the client library reports, already copied out of its objects. Every
// call arrives on the library's socket thread and must return quickly.
class ServerEvents {
public:
    virtual ~ServerEvents() = default;
    virtual void OnProperty(const std::string& device, const std::string& property,
                            PropertySnapshot snapshot) = 0;
    virtual void OnPropertyRemoved(const std::string& device, const std::string& property) = 0;
    virtual void OnDeviceRemoved(const std::string& device) = 0;
    virtual void OnBlob(const std::string& device, const std::string& format, const void* data,
                        std::size_t bytes) = 0;
    virtual void OnMessage(const std::string& device, const std::string& text) = 0;
    virtual void OnServerLost() = 0;
};

// One connection to an INDI server. The library's types stay inside this
// unit; the rest of the driver sees property copies and plain values.
class IndiClient {
public:
    explicit IndiClient(ServerEvents& events);
    ~IndiClient();
    IndiClient(const IndiClient&) = delete;
    IndiClient& operator=(const IndiClient&) = delete;

    // Blocks until the connection stands or fails.
    bool Connect(const std::string& host, int port);
    void Disconnect();
    void ReceiveBlobs(const std::string& device);

    // Each send builds a new property that carries every element given, so
    // nothing of the library's own copy is touched and a switch vector never
    // keeps an old element on.
    void SendNumbers(const std::string& device, const std::string& property,
                     const std::vector<std::pair<std::string, double>>& values);
    void SendSwitches(const std::string& device, const std::string& property,
                      const std::vector<std::pair<std::string, bool>>& states);

private:
    class Link;
    std::unique_ptr<Link> link_;
};

} // namespace orbicap::indi
