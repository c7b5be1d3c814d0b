#include "device/UPower.h"

#include <systemd/sd-bus.h>

namespace corvane::device {

namespace {
constexpr const char* kService = "org.freedesktop.UPower";
constexpr const char* kPath = "/org/freedesktop/UPower";
constexpr const char* kDevice = "org.freedesktop.UPower.Device";
constexpr long long kBatteryType = 2;

template <class T>
void take(const BusProperties& properties, const char* name, std::optional<T>& field) {
    auto found = properties.find(name);
    if (found == properties.end()) return;
    if constexpr (std::is_floating_point_v<T>) {
        field = found->second.asDouble();
    } else {
        field = static_cast<T>(found->second.asInteger());
    }
}
}  // namespace

UPower::UPower(Bus* bus, DaemonLog& log, Report report)
    : BusService(bus, log, kService, "battery reports"), report_(std::move(report)) {}

bool UPower::attach() {
    slots_.push_back(
        bus_->onPropertiesChanged(kPath, [this](const std::string& interface, const BusProperties& changed) {
            if (interface != kService) return;
            if (auto found = changed.find("OnBattery"); found != changed.end()) {
                onBattery_ = found->second.asBool();
                report();
            }
        }));
    slots_.push_back(bus_->subscribe(kPath, kService, "DeviceAdded", [this](sd_bus_message*) {
        if (batteryPath_.empty()) findBattery();
    }));
    slots_.push_back(bus_->subscribe(kPath, kService, "DeviceRemoved", [this](sd_bus_message* m) {
        const char* path = nullptr;
        if (sd_bus_message_read(m, "o", &path) >= 0 && path != nullptr && batteryPath_ == path) findBattery();
    }));
    auto onBattery = bus_->property(kService, kPath, kService, "OnBattery");
    if (!onBattery) return false;
    onBattery_ = onBattery->asBool();
    findBattery();
    return true;
}

void UPower::detach() {
    batteryWatch_.reset();
    batteryPath_.clear();
}

void UPower::findBattery() {
    batteryWatch_.reset();
    batteryPath_.clear();
    battery_ = UPowerBattery{};
    auto reply = bus_->call(kService, kPath, kService, "EnumerateDevices");
    BusValue devices;
    if (!reply || !readBusValue(reply->message, devices)) {
        callFailed("EnumerateDevices");
        return;
    }
    for (const std::string& path : devices.asStrings()) {
        auto properties = bus_->allProperties(kService, path, kDevice);
        if (!properties) continue;
        auto type = properties->find("Type");
        auto supply = properties->find("PowerSupply");
        if (type == properties->end() || type->second.asInteger() != kBatteryType) continue;
        if (supply != properties->end() && !supply->second.asBool()) continue;
        batteryPath_ = path;
        readBattery(*properties);
        batteryWatch_ =
            bus_->onPropertiesChanged(path, [this](const std::string& interface, const BusProperties& changed) {
                if (interface != kDevice) return;
                readBattery(changed);
                report();
            });
        report();
        return;
    }
}

void UPower::readBattery(const BusProperties& p) {
    take(p, "Percentage", battery_.percentage);
    take(p, "Energy", battery_.energy);
    take(p, "EnergyFull", battery_.energyFull);
    take(p, "EnergyFullDesign", battery_.energyFullDesign);
    take(p, "EnergyRate", battery_.energyRate);
    take(p, "Voltage", battery_.voltage);
    take(p, "Temperature", battery_.temperature);
    take(p, "State", battery_.state);
    take(p, "ChargeCycles", battery_.chargeCycles);
    take(p, "TimeToEmpty", battery_.timeToEmpty);
    take(p, "TimeToFull", battery_.timeToFull);
}

void UPower::report() {
    if (!batteryPath_.empty() && report_) report_(battery_, onBattery_);
}

}  // namespace corvane::device
