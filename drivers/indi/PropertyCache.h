#pragma once

#include <cmath>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orbicap::indi {

// A copy of one device property as the server last described it. The
// client library's own objects belong to its socket thread; everything the
// driver decides is decided on these copies.
struct PropertyElement {
    std::string name;
    double value = 0;
    double min = 0;
    double max = 0;
    bool on = false;
    std::string text;
};

// Whether a value the server shows is the one asked for, allowing for the
// rounding of its number format.
inline bool NearlyEqual(double shown, double wanted) {
    return std::fabs(shown - wanted) <= 1e-6 + 1e-3 * std::fabs(wanted);
}

enum class PropertyKind { Number, Switch, Text, Other };
enum class PropertyState { Idle, Ok, Busy, Alert };

struct PropertySnapshot {
    PropertyKind kind = PropertyKind::Other;
    PropertyState state = PropertyState::Idle;
    std::vector<PropertyElement> elements;
    std::uint64_t serial = 0; // rises with every update the cache stores

    const PropertyElement* Find(const std::string& element) const;
    std::optional<double> Value(const std::string& element) const;
    bool On(const std::string& element) const;
};

// The properties of every device on the server, and the order in which the
// devices appeared.
class PropertyCache {
public:
    void Store(const std::string& device, const std::string& property, PropertySnapshot snapshot);
    void Remove(const std::string& device, const std::string& property);
    void RemoveDevice(const std::string& device);
    void Clear();

    const PropertySnapshot* Find(const std::string& device, const std::string& property) const;
    std::optional<double> Value(const std::string& device, const std::string& property,
                                const std::string& element) const;
    bool On(const std::string& device, const std::string& property,
            const std::string& element) const;
    const std::vector<std::string>& Devices() const { return order_; }

private:
    std::map<std::string, std::map<std::string, PropertySnapshot>> devices_;
    std::vector<std::string> order_;
    std::uint64_t serial_ = 0;
};

} // namespace orbicap::indi
