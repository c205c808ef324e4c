#include "PropertyCache.h"

#include <algorithm>

namespace orbicap::indi {

const PropertyElement* PropertySnapshot::Find(const std::string& element) const {
    for (const PropertyElement& e : elements)
        if (e.name == element)
            return &e;
    return nullptr;
}

std::optional<double> PropertySnapshot::Value(const std::string& element) const {
    if (const PropertyElement* e = Find(element))
        return e->value;
    return std::nullopt;
}

bool PropertySnapshot::On(const std::string& element) const {
    const PropertyElement* e = Find(element);
    return e && e->on;
}

void PropertyCache::Store(const std::string& device, const std::string& property,
                          PropertySnapshot snapshot) {
    if (!devices_.contains(device))
        order_.push_back(device);
    snapshot.serial = ++serial_;
    devices_[device][property] = std::move(snapshot);
}

void PropertyCache::Remove(const std::string& device, const std::string& property) {
    if (auto it = devices_.find(device); it != devices_.end())
        it->second.erase(property);
}

void PropertyCache::RemoveDevice(const std::string& device) {
    devices_.erase(device);
    order_.erase(std::remove(order_.begin(), order_.end(), device), order_.end());
}

void PropertyCache::Clear() {
    devices_.clear();
    order_.clear();
}

const PropertySnapshot* PropertyCache::Find(const std::string& device,
                                            const std::string& property) const {
    const auto it = devices_.find(device);
    if (it == devices_.end())
        return nullptr;
    const auto p = it->second.find(property);
    return p == it->second.end() ? nullptr : &p->second;
}

std::optional<double> PropertyCache::Value(const std::string& device, const std::string& property,
                                           const std::string& element) const {
    const PropertySnapshot* p = Find(device, property);
    return p ? p->Value(element) : std::nullopt;
}

bool PropertyCache::On(const std::string& device, const std::string& property,
                       const std::string& element) const {
    const PropertySnapshot* p = Find(device, property);
    return p && p->On(element);
}

} // namespace orbicap::indi
