#pragma once
// Integrates what the phone draws over virtual time: energy per component,
// the battery's charge, how long each radio stayed off, and how long the
// user wanted the network and had none. The state in force is changed only
// after the meter has been brought up to the instant of the change, so every
// interval is charged at the draw it really had. Transfers and the cellular
// tail after them end by themselves at their time; the meter splits its
// intervals there.

#include <array>
#include <functional>
#include <map>

#include "sim/PowerModel.h"
#include "sim/RadioNames.h"
#include "sim/SimBattery.h"

namespace corvane::sim {

class EnergyMeter {
public:
    // Sees every charged interval with the state it had.
    using Observer = std::function<void(double from, double to, const ComponentState& state)>;

    EnergyMeter(const PowerModel& model, SimBattery& battery, double startTime);

    // Charges the time from the last call up to `time` (seconds from start);
    // a time in the past changes nothing.
    void advanceTo(double time);
    double time() const { return cursor_; }
    void setObserver(Observer observer) { observer_ = std::move(observer); }

    // The state in force from now on (call advanceTo first).
    ComponentState& state() { return state_; }
    const ComponentState& state() const { return state_; }
    void setOnAC(bool onAC) { onAC_ = onAC; }
    bool onAC() const { return onAC_; }

    // A transfer from now until `until`, over WiFi or cellular data; the
    // cellular radio then lingers in its tail.
    void startTransfer(bool overWiFi, double until);
    bool transferring(double time) const { return time < wifiActiveUntil_ || time < cellularActiveUntil_; }
    // A one-off cost now (joining a network, attaching, registering), joules.
    void spend(Component component, double joules);

    // Draw at the meter's instant, milliwatts.
    double drawNow() const;

    double energy(Component component) const { return energy_[static_cast<std::size_t>(component)]; }  // joules
    double totalEnergy() const;
    double lowPowerModeSaved() const { return lowPowerModeSaved_; }
    // Joules of the one-off costs (joins, attaches, registrations), and of
    // WiFi and cellular above their idle draw while they transfer (the
    // cellular tail included).
    double joinEnergy() const { return joinEnergy_; }
    double transferEnergy() const { return transferEnergy_; }
    // The phone's draw while it ran on its battery, joules, and for how long.
    double energyOnBattery() const { return energyOnBattery_; }
    double secondsOnBattery() const { return secondsOnBattery_; }
    // Seconds in which the user's applications wanted the network and had none.
    double userTrafficWithoutNetwork() const { return userTrafficWithoutNetwork_; }
    // Seconds during which each of kScenarioRadios was off, and during
    // which WiFi and cellular data were both off.
    const std::map<Radio, double>& offSeconds() const { return offSeconds_; }
    double dataOffSeconds() const { return dataOffSeconds_; }

private:
    ComponentState stateAt(double time) const;
    void charge(double from, double to);

    const PowerModel& model_;
    SimBattery& battery_;
    double cursor_;
    bool onAC_ = false;
    ComponentState state_;
    Observer observer_;
    double wifiActiveUntil_ = -1.0;
    double cellularActiveUntil_ = -1.0;
    double cellularTailUntil_ = -1.0;
    platform::DataRate transferSpeed_ = platform::DataRate::Rate4G;
    std::array<double, kComponentCount> energy_{};
    double lowPowerModeSaved_ = 0.0;
    double joinEnergy_ = 0.0;
    double transferEnergy_ = 0.0;
    double energyOnBattery_ = 0.0;
    double secondsOnBattery_ = 0.0;
    double userTrafficWithoutNetwork_ = 0.0;
    std::map<Radio, double> offSeconds_;
    double dataOffSeconds_ = 0.0;
};

}  // namespace corvane::sim
