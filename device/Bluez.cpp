#include "device/Bluez.h"

namespace corvane::device {

namespace {
constexpr const char* kService = "org.bluez";
constexpr const char* kAdapter = "org.bluez.Adapter1";
constexpr const char* kDevice = "org.bluez.Device1";
constexpr const char* kObjectManager = "org.freedesktop.DBus.ObjectManager";
}  // namespace

Bluez::Bluez(Bus* bus, DaemonLog& log, std::function<void()> changed)
    : BusService(bus, log, kService, "Bluetooth"), changed_(std::move(changed)) {}

bool Bluez::attach() {
    slots_.push_back(bus_->subscribe("/", kObjectManager, "InterfacesAdded", [this](sd_bus_message*) { scan(); }));
    slots_.push_back(bus_->subscribe("/", kObjectManager, "InterfacesRemoved", [this](sd_bus_message*) { scan(); }));
    slots_.push_back(bus_->subscribe("/org/bluez/", "org.freedesktop.DBus.Properties", "PropertiesChanged",
                                     [this](sd_bus_message*) { scan(); }));
    scan();
    return true;
}

void Bluez::detach() {
    adapter_.clear();
    powered_ = false;
    connected_ = false;
    if (changed_) changed_();
}

void Bluez::scan() {
    auto reply = bus_->call(kService, "/", kObjectManager, "GetManagedObjects");
    BusValue objects;
    if (!reply || !readBusValue(reply->message, objects)) {
        callFailed("GetManagedObjects");
        return;
    }
    adapter_.clear();
    powered_ = false;
    connected_ = false;
    for (const BusValue& object : objects.items) {
        if (object.items.size() != 2) continue;
        for (const BusValue& interface : object.items[1].items) {
            if (interface.items.size() != 2) continue;
            const std::string name = interface.items[0].asString();
            for (const BusValue& property : interface.items[1].items) {
                if (property.items.size() != 2 || property.items[1].items.empty()) continue;
                const std::string key = property.items[0].asString();
                const bool value = property.items[1].items.front().asBool();
                if (name == kAdapter && adapter_.empty() && key == "Powered") powered_ = value;
                if (name == kDevice && key == "Connected" && value) connected_ = true;
            }
            if (name == kAdapter && adapter_.empty()) adapter_ = object.items[0].asString();
        }
    }
    if (changed_) changed_();
}

bool Bluez::setPowered(bool powered) {
    if (!present() || adapter_.empty()) return false;
    if (!bus_->setProperty(kService, adapter_, kAdapter, "Powered", powered)) {
        callFailed("Set Powered");
        return false;
    }
    powered_ = powered;
    return true;
}

}  // namespace corvane::device
