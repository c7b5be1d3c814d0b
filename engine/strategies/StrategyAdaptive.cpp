#include "engine/strategies/StrategyAdaptive.h"

#include <cmath>

namespace corvane {

namespace {
// Milliwatts over seconds, in joules.
double joules(double milliwatts, double seconds) { return milliwatts * seconds / 1000.0; }
// The longest lock `paysAfter` considers: two days.
constexpr double kLongestLockSeconds = 2 * 86400.0;
}  // namespace

StrategyAdaptive::StrategyAdaptive() {
    strategy = kStrategyAdaptive;
    radioTimerDurationAtSleep = 5.0;
    // Whatever comes back at the unlock comes back at once: the user's
    // applications never wait longer for the network than under Normal.
    radioTimerDurationAtWakeup = 0.0;
    // Background syncs and the gathering of other applications' wake events.
    wakeIntervalMinutes = 30.0;
    enabledAllRadios = true;
    enabledAllRadiosInBackground = true;
    setAllRadiosAtWakeup(kRadioAuto);
    // Candidates only: the plan of each lock says which go off.
    setAllRadiosAtSleep(kRadioOff);
    lowPowerMode = kRadioOff;
    lowPowerModeAtSleep = kRadioOn;
}

std::string StrategyAdaptive::name() const { return "Adaptive"; }

double StrategyAdaptive::switchOnJoules(const platform::DeviceEnergyCosts& costs, const Radios& radios,
                                        const Plan& plan) {
    double cost = 0.0;
    if (plan.wifi && radios.wifi) cost += costs.wifiJoinJoules;
    // Back on a known network, WiFi comes first and cellular data waits.
    const bool wifiFirst = plan.wifi && radios.wifiAssociated;
    if (plan.cellularData && radios.cellularData && !wifiFirst) cost += costs.cellularAttachJoules;
    if (plan.bluetooth && radios.bluetooth) cost += costs.bluetoothOnJoules;
    return cost;
}

double StrategyAdaptive::backgroundRestoreJoules(const platform::DeviceEnergyCosts& costs, const Radios& radios,
                                                 const Plan& plan) {
    Plan network;
    network.wifi = plan.wifi;
    network.cellularData = plan.cellularData;
    return switchOnJoules(costs, radios, network) + joules(costs.awakeMilliwatts, kBackgroundHoldSeconds);
}

StrategyAdaptive::Plan StrategyAdaptive::planFor(const platform::DeviceEnergyCosts& costs, const Radios& radios,
                                                 double expectedSeconds) const {
    Plan plan;
    if (!(expectedSeconds > 0.0)) return plan;
    const double t = expectedSeconds;

    if (radios.keptByApplication) {
        // The radios stay for the application. Low-power mode costs nothing
        // to switch and shows nothing while the screen is off, so any saving
        // on the processor the application keeps awake is worth it.
        const double net = joules(costs.lowPowerModeSavingMilliwatts, t);
        if (net > 0.0) {
            plan.lowPowerMode = true;
            plan.netJoules = net;
        }
        return plan;
    }

    // Bluetooth and location stand alone: nothing else needs them back.
    if (radios.bluetooth && !radios.bluetoothConnected) {
        const double net = joules(costs.bluetoothIdleMilliwatts, t) - costs.bluetoothOnJoules;
        if (net >= kLeastWorthwhileJoules) {
            plan.bluetooth = true;
            plan.netJoules += net;
        }
    }
    if (radios.location) {
        const double net = joules(costs.locationIdleMilliwatts, t);
        if (net >= kLeastWorthwhileJoules) {
            plan.location = true;
            plan.netJoules += net;
        }
    }

    // The network. Cellular data alone may go while WiFi carries the
    // traffic: nobody needs a background restore then. Both may go when the
    // idle draw over the lock pays for their return and for a background
    // restore at every sync.
    double best = 0.0;
    Plan network;
    if (radios.cellularData && radios.wifi && radios.wifiAssociated) {
        Plan cellular;
        cellular.cellularData = true;
        const double net = joules(costs.cellularDataIdleMilliwatts, t) - switchOnJoules(costs, radios, cellular);
        if (net > best) {
            best = net;
            network = cellular;
        }
    }
    if (radios.wifi || radios.cellularData) {
        Plan both;
        both.wifi = radios.wifi;
        both.cellularData = radios.cellularData;
        const double idle = (radios.wifi ? costs.wifiIdleMilliwatts : 0.0) +
                            (radios.cellularData ? costs.cellularDataIdleMilliwatts : 0.0);
        const double syncs = std::floor(t / (wakeIntervalMinutes * 60.0));
        const double net = joules(idle, t) - switchOnJoules(costs, radios, both) -
                           syncs * backgroundRestoreJoules(costs, radios, both);
        if (net > best) {
            best = net;
            network = both;
        }
    }
    if (best >= kLeastWorthwhileJoules) {
        plan.wifi = network.wifi;
        plan.cellularData = network.cellularData;
        plan.netJoules += best;
    }
    return plan;
}

std::optional<double> StrategyAdaptive::paysAfter(const platform::DeviceEnergyCosts& costs,
                                                  const Radios& radios) const {
    for (double t = 60.0; t <= kLongestLockSeconds; t *= 1.25) {
        if (planFor(costs, radios, t).any()) return t;
    }
    return std::nullopt;
}

}  // namespace corvane
