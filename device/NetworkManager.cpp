#include "device/NetworkManager.h"

#include <systemd/sd-bus.h>

namespace corvane::device {

namespace {
constexpr const char* kService = "org.freedesktop.NetworkManager";
constexpr const char* kPath = "/org/freedesktop/NetworkManager";
constexpr const char* kDevice = "org.freedesktop.NetworkManager.Device";
constexpr const char* kWireless = "org.freedesktop.NetworkManager.Device.Wireless";
constexpr const char* kAccessPoint = "org.freedesktop.NetworkManager.AccessPoint";
constexpr const char* kActive = "org.freedesktop.NetworkManager.Connection.Active";
constexpr long long kWiFiType = 2;
constexpr long long kModemType = 8;
constexpr long long kActivated = 100;

bool isObject(const std::string& path) { return !path.empty() && path != "/"; }
}  // namespace

NetworkManager::NetworkManager(Bus* bus, DaemonLog& log, std::function<void()> changed)
    : BusService(bus, log, kService, "WiFi and cellular data"), changed_(std::move(changed)) {}

bool NetworkManager::attach() {
    auto enabled = bus_->property(kService, kPath, kService, "WirelessEnabled");
    if (!enabled) return false;
    wifi_.enabled = enabled->asBool();
    slots_.push_back(
        bus_->onPropertiesChanged(kPath, [this](const std::string& interface, const BusProperties& changed) {
            if (interface != kService) return;
            if (auto found = changed.find("WirelessEnabled"); found != changed.end()) {
                wifi_.enabled = found->second.asBool();
                notify();
            }
            if (changed.contains("Devices")) scanDevices();
        }));
    slots_.push_back(bus_->subscribe(kPath, kService, "DeviceAdded", [this](sd_bus_message*) { scanDevices(); }));
    slots_.push_back(bus_->subscribe(kPath, kService, "DeviceRemoved", [this](sd_bus_message*) { scanDevices(); }));
    scanDevices();
    return true;
}

void NetworkManager::detach() {
    wifiWatch_.reset();
    accessPointWatch_.reset();
    modemWatch_.reset();
    wifiDevice_.clear();
    accessPoint_.clear();
    modemDevice_.clear();
    wifi_ = WiFiState{};
    modemActive_ = false;
    notify();
}

void NetworkManager::scanDevices() {
    auto reply = bus_->call(kService, kPath, kService, "GetDevices");
    BusValue devices;
    if (!reply || !readBusValue(reply->message, devices)) {
        callFailed("GetDevices");
        return;
    }
    std::string wifi;
    std::string modem;
    for (const std::string& path : devices.asStrings()) {
        auto type = bus_->property(kService, path, kDevice, "DeviceType");
        if (!type) continue;
        if (type->asInteger() == kWiFiType && wifi.empty()) wifi = path;
        if (type->asInteger() == kModemType && modem.empty()) modem = path;
    }
    if (wifi != wifiDevice_) {
        wifiDevice_ = wifi;
        wifiWatch_.reset();
        if (!wifi.empty()) {
            wifiWatch_ = bus_->onPropertiesChanged(wifi, [this](const std::string& interface, const BusProperties& c) {
                if ((interface == kDevice && c.contains("State")) ||
                    (interface == kWireless && c.contains("ActiveAccessPoint"))) {
                    readWiFiDevice();
                }
            });
        }
    }
    if (modem != modemDevice_) {
        modemDevice_ = modem;
        modemWatch_.reset();
        if (!modem.empty()) {
            modemWatch_ =
                bus_->onPropertiesChanged(modem, [this](const std::string& interface, const BusProperties& c) {
                    if (interface == kDevice && (c.contains("State") || c.contains("ActiveConnection")))
                        readModemDevice();
                });
        }
    }
    readWiFiDevice();
    readModemDevice();
}

void NetworkManager::readWiFiDevice() {
    std::string accessPoint;
    bool activated = false;
    if (!wifiDevice_.empty()) {
        activated =
            bus_->property(kService, wifiDevice_, kDevice, "State").value_or(BusValue{}).asInteger() == kActivated;
        accessPoint =
            bus_->property(kService, wifiDevice_, kWireless, "ActiveAccessPoint").value_or(BusValue{}).asString();
    }
    if (accessPoint != accessPoint_) {
        accessPoint_ = accessPoint;
        accessPointWatch_.reset();
        if (isObject(accessPoint)) {
            accessPointWatch_ =
                bus_->onPropertiesChanged(accessPoint, [this](const std::string& interface, const BusProperties& c) {
                    if (interface == kAccessPoint && (c.contains("Strength") || c.contains("Ssid"))) readAccessPoint();
                });
        }
    }
    wifi_.associated = activated && isObject(accessPoint_);
    readAccessPoint();
}

void NetworkManager::readAccessPoint() {
    wifi_.network.reset();
    wifi_.strength = 0;
    if (wifi_.associated) {
        if (auto properties = bus_->allProperties(kService, accessPoint_, kAccessPoint)) {
            if (auto ssid = properties->find("Ssid"); ssid != properties->end())
                wifi_.network = ssid->second.asString();
            if (auto strength = properties->find("Strength"); strength != properties->end()) {
                wifi_.strength = static_cast<int>(strength->second.asInteger());
            }
        }
    }
    notify();
}

void NetworkManager::readModemDevice() {
    modemActive_ = false;
    modemActiveConnection_.clear();
    if (!modemDevice_.empty()) {
        modemActive_ =
            bus_->property(kService, modemDevice_, kDevice, "State").value_or(BusValue{}).asInteger() == kActivated;
        modemActiveConnection_ =
            bus_->property(kService, modemDevice_, kDevice, "ActiveConnection").value_or(BusValue{}).asString();
    }
    notify();
}

void NetworkManager::notify() {
    if (changed_) changed_();
}

bool NetworkManager::setWirelessEnabled(bool enabled) {
    if (!present()) return false;
    if (!bus_->setProperty(kService, kPath, kService, "WirelessEnabled", enabled)) {
        callFailed("Set WirelessEnabled");
        return false;
    }
    wifi_.enabled = enabled;
    return true;
}

std::optional<bool> NetworkManager::cellularData() const {
    if (!present() || modemDevice_.empty()) return std::nullopt;
    return modemActive_;
}

bool NetworkManager::setCellularData(bool enabled) {
    if (!present() || modemDevice_.empty()) return false;
    if (!enabled) {
        if (!isObject(modemActiveConnection_)) return true;
        modemConnection_ =
            bus_->property(kService, modemActiveConnection_, kActive, "Connection").value_or(BusValue{}).asString();
        const std::string active = modemActiveConnection_;
        if (!bus_->call(kService, kPath, kService, "DeactivateConnection",
                        [&](sd_bus_message* m) { return sd_bus_message_append(m, "o", active.c_str()) >= 0; })) {
            callFailed("DeactivateConnection");
            return false;
        }
        modemActive_ = false;
        return true;
    }
    std::string connection = modemConnection_;
    if (!isObject(connection)) {
        // Not deactivated by this run (a start after a crash): the modem's first offered connection.
        auto offered = bus_->property(kService, modemDevice_, kDevice, "AvailableConnections");
        const std::vector<std::string> connections = offered ? offered->asStrings() : std::vector<std::string>{};
        connection = connections.empty() ? "/" : connections.front();
    }
    if (!bus_->call(kService, kPath, kService, "ActivateConnection", [&](sd_bus_message* m) {
            return sd_bus_message_append(m, "ooo", connection.c_str(), modemDevice_.c_str(), "/") >= 0;
        })) {
        callFailed("ActivateConnection");
        return false;
    }
    modemActive_ = true;
    return true;
}

}  // namespace corvane::device
