#include "sim/PowerModel.h"

#include <algorithm>
#include <utility>

namespace corvane::sim {

namespace {

// The index of the rate in the profile's per-generation figures.
std::size_t generation(platform::DataRate speed) { return static_cast<std::size_t>(speed); }

}  // namespace

std::string_view componentName(Component component) {
    switch (component) {
        case Component::Suspended: return "suspended";
        case Component::Awake: return "awake";
        case Component::Screen: return "screen";
        case Component::Media: return "media";
        case Component::WiFi: return "wifi";
        case Component::Cellular: return "cellular";
        case Component::Bluetooth: return "bluetooth";
        case Component::Location: return "location";
        case Component::Count: break;
    }
    return "?";
}

PowerModel::PowerModel(DeviceProfile profile) : profile_(std::move(profile)) {}

double PowerModel::cellularFactor(int bars) const {
    return profile_.cellularFactorByBars[static_cast<std::size_t>(std::clamp(bars, 0, 3))];
}

double PowerModel::wifiFactor(int bars) const {
    return profile_.wifiFactorByBars[static_cast<std::size_t>(std::clamp(bars, 0, 3))];
}

double PowerModel::cellularTraffic(platform::DataRate speed, double every, double seconds) const {
    const std::size_t g = generation(speed);
    const double tail = std::min(profile_.cellularTailSeconds[g], every - seconds);
    const double idle = every - seconds - tail;
    return (seconds * profile_.cellularActive[g] + tail * profile_.cellularTail[g] + idle * profile_.cellularPaging) /
           every;
}

ComponentPower PowerModel::draw(const ComponentState& s) const {
    const DeviceProfile& p = profile_;
    ComponentPower power{};
    auto at = [&](Component c) -> double& { return power[static_cast<std::size_t>(c)]; };

    if (s.asleep) {
        at(Component::Suspended) = p.suspended;
    } else {
        const double factor = s.lowPowerMode ? p.lowPowerModeFactor : 1.0;
        at(Component::Awake) = (p.awake + (s.interactive ? p.interactiveLoad : 0.0)) * factor;
        at(Component::Screen) = s.screenOn ? p.screen : 0.0;
        at(Component::Media) = (s.streaming || s.localAudio ? p.audio : 0.0) + (s.video ? p.video : 0.0);
    }

    // The user's traffic goes over WiFi when it is associated, else over
    // cellular data; without either it does not happen.
    const bool wantsTraffic = !s.asleep && (s.userTraffic || s.streaming);
    const double every = s.streaming ? p.streamEvery : p.webEvery;
    const double seconds = s.streaming ? p.streamTransfer : p.webTransfer;
    const bool trafficOverWiFi = wantsTraffic && s.wifiUp();
    const bool trafficOverCellular = wantsTraffic && !s.wifiUp() && s.cellularUp();

    if (s.wifiEnabled) {
        const double transfer = p.wifiActive * wifiFactor(s.wifiBars);
        double wifi = 0.0;
        if (s.wifiActive || s.tethering) {
            wifi = transfer;
        } else if (!s.wifiAssociated) {
            wifi = s.asleep ? p.wifiAsleepScanning : p.wifiScanning;
        } else if (s.asleep) {
            wifi = p.wifiAsleepIdle + p.wifiBroadcastWakesPerHour * p.wifiBroadcastWake / 3.6;
        } else if (trafficOverWiFi) {
            wifi = (seconds * transfer + (every - seconds) * p.wifiIdle) / every;
        } else {
            wifi = p.wifiIdle;
        }
        at(Component::WiFi) = wifi;
    }

    if (s.cellularRadio) {
        const std::size_t g = generation(s.speed);
        // Registered and idle: paging, in every state; a call replaces it.
        double cellular = s.call ? p.call : p.cellularPaging;
        if (s.cellularUp()) {
            const double calling = s.call ? p.call : 0.0;
            if (s.cellularActive || s.tethering) {
                cellular = calling + p.cellularActive[g];
            } else if (trafficOverCellular) {
                cellular = calling + cellularTraffic(s.speed, every, seconds);
            } else if (s.cellularTail) {
                cellular = calling + p.cellularTail[g];
            }
        }
        at(Component::Cellular) = cellular * cellularFactor(s.cellularBars);
    }

    if (s.bluetooth) at(Component::Bluetooth) = s.bluetoothConnected ? p.bluetoothConnected : p.bluetoothIdle;
    if (s.location && s.locationInUse && !s.asleep) at(Component::Location) = p.gps;
    return power;
}

double PowerModel::lowPowerModeSaving(const ComponentState& s) const {
    if (s.asleep || !s.lowPowerMode) return 0.0;
    return (profile_.awake + (s.interactive ? profile_.interactiveLoad : 0.0)) * (1.0 - profile_.lowPowerModeFactor);
}

double PowerModel::tailSeconds(platform::DataRate speed) const {
    return profile_.cellularTailSeconds[generation(speed)];
}

double PowerModel::chargeCurrent(double fraction) const {
    if (fraction >= 1.0) return 0.0;
    if (fraction <= profile_.chargeTaperStart) return profile_.chargeCurrent;
    const double along = (fraction - profile_.chargeTaperStart) / (1.0 - profile_.chargeTaperStart);
    return profile_.chargeCurrent + along * (profile_.chargeCurrentAtFull - profile_.chargeCurrent);
}

}  // namespace corvane::sim
