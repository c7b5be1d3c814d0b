#include "sim/EnergyMeter.h"

#include <algorithm>
#include <numeric>

namespace corvane::sim {

EnergyMeter::EnergyMeter(const PowerModel& model, SimBattery& battery, double startTime)
    : model_(model), battery_(battery), cursor_(startTime) {
    for (Radio radio : kScenarioRadios) offSeconds_[radio] = 0.0;
}

ComponentState EnergyMeter::stateAt(double time) const {
    ComponentState s = state_;
    s.wifiActive = time < wifiActiveUntil_;
    s.cellularActive = time < cellularActiveUntil_;
    s.cellularTail = !s.cellularActive && time < cellularTailUntil_;
    if (s.cellularActive || s.cellularTail) s.speed = transferSpeed_;
    return s;
}

double EnergyMeter::drawNow() const {
    const ComponentPower power = model_.draw(stateAt(cursor_));
    return std::accumulate(power.begin(), power.end(), 0.0);
}

void EnergyMeter::charge(double from, double to) {
    const double seconds = to - from;
    const ComponentState s = stateAt(from);
    const ComponentPower power = model_.draw(s);
    double total = 0.0;
    for (std::size_t i = 0; i < kComponentCount; ++i) {
        energy_[i] += power[i] * seconds / 1000.0;
        total += power[i];
    }
    lowPowerModeSaved_ += model_.lowPowerModeSaving(s) * seconds / 1000.0;
    if (s.wifiActive || s.cellularActive || s.cellularTail || s.tethering || s.userTraffic || s.streaming) {
        // What the radios would draw in the same state without the transfers.
        ComponentState idle = s;
        idle.wifiActive = idle.cellularActive = idle.cellularTail = idle.tethering = false;
        idle.userTraffic = idle.streaming = false;
        const ComponentPower without = model_.draw(idle);
        constexpr std::size_t kWiFi = static_cast<std::size_t>(Component::WiFi);
        constexpr std::size_t kCellular = static_cast<std::size_t>(Component::Cellular);
        transferEnergy_ += (power[kWiFi] + power[kCellular] - without[kWiFi] - without[kCellular]) * seconds / 1000.0;
    }
    battery_.run(seconds, total, onAC_);
    if (!onAC_) {
        energyOnBattery_ += total * seconds / 1000.0;
        secondsOnBattery_ += seconds;
    }
    if (s.userTraffic && !s.asleep && !s.networkUp()) userTrafficWithoutNetwork_ += seconds;
    if (observer_) observer_(from, to, s);

    const bool cellularDataOff = !s.cellularData || !s.cellularRadio;
    if (!s.wifiEnabled) offSeconds_[Radio::WiFi] += seconds;
    if (cellularDataOff) offSeconds_[Radio::Edge] += seconds;
    if (!s.bluetooth) offSeconds_[Radio::Bluetooth] += seconds;
    if (!s.location) offSeconds_[Radio::Location] += seconds;
    if (!s.push) offSeconds_[Radio::Push] += seconds;
    if (!s.wifiEnabled && cellularDataOff) dataOffSeconds_ += seconds;
}

void EnergyMeter::advanceTo(double time) {
    while (time > cursor_) {
        // The next instant at which a transfer or a tail ends.
        double next = time;
        for (double boundary : {wifiActiveUntil_, cellularActiveUntil_, cellularTailUntil_}) {
            if (boundary > cursor_ && boundary < next) next = boundary;
        }
        charge(cursor_, next);
        cursor_ = next;
    }
}

void EnergyMeter::startTransfer(bool overWiFi, double until) {
    if (overWiFi) {
        wifiActiveUntil_ = std::max(wifiActiveUntil_, until);
        return;
    }
    if (state_.cellularBars <= 0) return;
    transferSpeed_ = state_.speed;
    cellularActiveUntil_ = std::max(cellularActiveUntil_, until);
    cellularTailUntil_ = cellularActiveUntil_ + model_.tailSeconds(transferSpeed_);
}

void EnergyMeter::spend(Component component, double joules) {
    energy_[static_cast<std::size_t>(component)] += joules;
    joinEnergy_ += joules;
    battery_.spend(joules, onAC_);
    if (!onAC_) energyOnBattery_ += joules;
}

double EnergyMeter::totalEnergy() const { return std::accumulate(energy_.begin(), energy_.end(), 0.0); }

}  // namespace corvane::sim
