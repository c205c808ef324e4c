// Talking to the device: changes sent as whole vectors and checked against
// what the server shows, and reads of the driver's copy of its properties.
#include "IndiCamera.h"

#include <cstdlib>

namespace orbicap::indi {

namespace {

using std::chrono::milliseconds;

constexpr int kCcdInterface = 1 << 1;

} // namespace

bool IndiCamera::SetNumbersLocked(Lock& lock, const std::string& property,
                                  const std::vector<std::pair<std::string, double>>& values,
                                  milliseconds timeout) {
    const PropertySnapshot* current = cache_.Find(device_, property);
    if (!current || !client_)
        return false;
    // Every element goes out, the ones not changed with their present value:
    // some drivers read a partial vector as zeros.
    std::vector<std::pair<std::string, double>> all;
    for (const PropertyElement& e : current->elements) {
        double value = e.value;
        for (const auto& [name, wanted] : values)
            if (name == e.name)
                value = wanted;
        all.emplace_back(e.name, value);
    }
    const std::uint64_t sent = current->serial;
    IndiClient* link = client_.get();
    const std::string device = device_;
    lock.unlock();
    link->SendNumbers(device, property, all);
    lock.lock();
    // A refused value comes back as an alert and then the old values, so the
    // values are what counts, not the state.
    bool refused = false;
    const bool shown = WaitLocked(lock, timeout, [&] {
        const PropertySnapshot* p = cache_.Find(device_, property);
        if (!p)
            return false;
        if (p->serial > sent && p->state == PropertyState::Alert)
            refused = true;
        if (p->state == PropertyState::Busy)
            return false;
        for (const auto& [name, wanted] : values)
            if (const auto value = p->Value(name); !value || !NearlyEqual(*value, wanted))
                return refused;
        return true;
    });
    if (!shown || refused) {
        const PropertySnapshot* p = cache_.Find(device_, property);
        for (const auto& [name, wanted] : values)
            if (const auto value = p ? p->Value(name) : std::nullopt;
                !value || !NearlyEqual(*value, wanted))
                return false;
    }
    return true;
}

bool IndiCamera::SetSwitchLocked(Lock& lock, const std::string& property,
                                 const std::string& element, milliseconds timeout) {
    const PropertySnapshot* current = cache_.Find(device_, property);
    if (!current || !current->Find(element) || !client_)
        return false;
    std::vector<std::pair<std::string, bool>> states;
    for (const PropertyElement& e : current->elements)
        states.emplace_back(e.name, e.name == element);
    IndiClient* link = client_.get();
    const std::string device = device_;
    lock.unlock();
    link->SendSwitches(device, property, states);
    lock.lock();
    return WaitLocked(lock, timeout, [&] {
        const PropertySnapshot* p = cache_.Find(device_, property);
        return p && p->state != PropertyState::Busy && p->On(element);
    });
}

bool IndiCamera::Has(const std::string& property) const {
    return cache_.Find(device_, property) != nullptr;
}

std::optional<double> IndiCamera::Value(const std::string& property,
                                        const std::string& element) const {
    return cache_.Value(device_, property, element);
}

bool IndiCamera::On(const std::string& property, const std::string& element) const {
    return cache_.On(device_, property, element);
}

MosaicPhase IndiCamera::PhaseLocked() const {
    const PropertySnapshot* cfa = cache_.Find(device_, "CCD_CFA");
    if (!cfa)
        return {};
    const PropertyElement* type = cfa->Find("CFA_TYPE");
    const std::size_t red = type ? type->text.find('R') : std::string::npos;
    if (red == std::string::npos || red > 3)
        return {};
    MosaicPhase phase;
    phase.column = static_cast<int>(red % 2 + cfa->Value("CFA_OFFSET_X").value_or(0)) & 1;
    phase.row = static_cast<int>(red / 2 + cfa->Value("CFA_OFFSET_Y").value_or(0)) & 1;
    return phase;
}

int IndiCamera::SensorBitsLocked() const {
    const int bits = static_cast<int>(Value("CCD_INFO", "CCD_BITSPERPIXEL").value_or(16));
    return bits >= 9 && bits <= 16 ? bits : 16;
}

std::string IndiCamera::ChooseDeviceLocked(const std::string& wanted) const {
    auto offered = [&](const std::string& device) {
        return cache_.Find(device, "CONNECTION") != nullptr;
    };
    if (!wanted.empty())
        return offered(wanted) ? wanted : std::string();
    for (const std::string& device : cache_.Devices()) {
        const PropertySnapshot* info = cache_.Find(device, "DRIVER_INFO");
        const PropertyElement* interface = info ? info->Find("DRIVER_INTERFACE") : nullptr;
        if (interface && (std::atoi(interface->text.c_str()) & kCcdInterface) && offered(device))
            return device;
    }
    return {};
}

std::string IndiCamera::DevicesSeenLocked() const {
    std::string seen;
    for (const std::string& device : cache_.Devices())
        seen += (seen.empty() ? "" : ", ") + device;
    return seen.empty() ? "none" : seen;
}

} // namespace orbicap::indi
