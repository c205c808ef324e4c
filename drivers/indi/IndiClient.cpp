#include "IndiClient.h"

#include <libindi/baseclient.h>
#include <libindi/basedevice.h>
#include <libindi/indiproperty.h>
#include <libindi/indipropertyblob.h>
#include <libindi/indipropertynumber.h>
#include <libindi/indipropertyswitch.h>
#include <libindi/indipropertytext.h>

namespace orbicap::indi {

namespace {

PropertyState StateOf(IPState state) {
    switch (state) {
    case IPS_OK:
        return PropertyState::Ok;
    case IPS_BUSY:
        return PropertyState::Busy;
    case IPS_ALERT:
        return PropertyState::Alert;
    default:
        return PropertyState::Idle;
    }
}

PropertySnapshot Snapshot(INDI::Property property) {
    PropertySnapshot snapshot;
    snapshot.state = StateOf(property.getState());
    switch (property.getType()) {
    case INDI_NUMBER: {
        snapshot.kind = PropertyKind::Number;
        INDI::PropertyNumber numbers(property);
        for (const auto& n : numbers) {
            PropertyElement e;
            e.name = n.getName();
            e.value = n.getValue();
            e.min = n.getMin();
            e.max = n.getMax();
            snapshot.elements.push_back(std::move(e));
        }
        break;
    }
    case INDI_SWITCH: {
        snapshot.kind = PropertyKind::Switch;
        INDI::PropertySwitch switches(property);
        for (const auto& s : switches) {
            PropertyElement e;
            e.name = s.getName();
            e.on = s.getState() == ISS_ON;
            snapshot.elements.push_back(std::move(e));
        }
        break;
    }
    case INDI_TEXT: {
        snapshot.kind = PropertyKind::Text;
        INDI::PropertyText texts(property);
        for (const auto& t : texts) {
            PropertyElement e;
            e.name = t.getName();
            e.text = t.getText() ? t.getText() : "";
            snapshot.elements.push_back(std::move(e));
        }
        break;
    }
    default:
        break;
    }
    return snapshot;
}

} // namespace

// Only the new-style callbacks are overridden: the library fires the old ones
// for the same events as well, and handling both would see everything twice.
class IndiClient::Link : public INDI::BaseClient {
public:
    explicit Link(ServerEvents& events) : events_(events) {}

    void newProperty(INDI::Property property) override { Forward(property); }
    void updateProperty(INDI::Property property) override { Forward(property); }
    void removeProperty(INDI::Property property) override {
        events_.OnPropertyRemoved(property.getDeviceName(), property.getName());
    }
    void removeDevice(INDI::BaseDevice device) override {
        events_.OnDeviceRemoved(device.getDeviceName());
    }
    void newMessage(INDI::BaseDevice device, int messageId) override {
        events_.OnMessage(device.getDeviceName(), device.messageQueue(messageId));
    }
    void serverDisconnected(int /*exitCode*/) override { events_.OnServerLost(); }

private:
    void Forward(INDI::Property property) {
        if (property.getType() == INDI_BLOB) {
            INDI::PropertyBlob blobs(property);
            for (const auto& blob : blobs)
                if (blob.getBlobLen() > 0)
                    events_.OnBlob(property.getDeviceName(), blob.getFormat(), blob.getBlob(),
                                   static_cast<std::size_t>(blob.getBlobLen()));
            return;
        }
        events_.OnProperty(property.getDeviceName(), property.getName(), Snapshot(property));
    }

    ServerEvents& events_;
};

IndiClient::IndiClient(ServerEvents& events) : link_(std::make_unique<Link>(events)) {}

IndiClient::~IndiClient() {
    Disconnect();
}

bool IndiClient::Connect(const std::string& host, int port) {
    link_->setServer(host.c_str(), static_cast<unsigned int>(port));
    link_->setConnectionTimeout(3, 0);
    return link_->connectServer();
}

void IndiClient::Disconnect() {
    if (link_->isServerConnected())
        link_->disconnectServer();
}

void IndiClient::ReceiveBlobs(const std::string& device) {
    link_->setBLOBMode(B_ALSO, device.c_str(), nullptr);
}

void IndiClient::SendNumbers(const std::string& device, const std::string& property,
                             const std::vector<std::pair<std::string, double>>& values) {
    INDI::PropertyNumber numbers(values.size());
    numbers.setDeviceName(device.c_str());
    numbers.setName(property);
    for (std::size_t i = 0; i < values.size(); ++i) {
        numbers[i].setName(values[i].first);
        numbers[i].setValue(values[i].second);
    }
    link_->sendNewNumber(numbers);
}

void IndiClient::SendSwitches(const std::string& device, const std::string& property,
                              const std::vector<std::pair<std::string, bool>>& states) {
    INDI::PropertySwitch switches(states.size());
    switches.setDeviceName(device.c_str());
    switches.setName(property);
    for (std::size_t i = 0; i < states.size(); ++i) {
        switches[i].setName(states[i].first);
        switches[i].setState(states[i].second ? ISS_ON : ISS_OFF);
    }
    link_->sendNewSwitch(switches);
}

} // namespace orbicap::indi
