#pragma once
// A strategy that decides with figures instead of fixed delays: at a lock it
// switches a radio off only when the energy the radio would draw while the
// phone stays locked exceeds what switching it off will cost (the join or
// attach when it comes back, and the background wake-ups that bring the
// network back for other applications' syncs), by at least a worthwhile
// margin. While an application of the keep-radios list runs, the radios
// stay as the list asks, and only the low-power mode goes on for the
// processor the application keeps awake. The figures are the device's
// (EnergyCostTable); the expected time locked comes from the user's own
// recent locks (AdaptiveRecords).

#include <optional>

#include "engine/platform/EnergyCosts.h"
#include "engine/strategies/Strategie.h"

namespace corvane {

class StrategyAdaptive : public Strategie {
public:
    // The smallest net saving worth a switch the user may notice, joules.
    static constexpr double kLeastWorthwhileJoules = 10.0;
    // A background restore keeps the radios on at least this long.
    static constexpr double kBackgroundHoldSeconds = 120.0;

    StrategyAdaptive();
    std::string name() const override;

    // The radios as they are when the decision is taken.
    struct Radios {
        bool wifi = false;
        bool wifiAssociated = false;
        bool cellularData = false;
        bool bluetooth = false;
        bool bluetoothConnected = false;
        bool location = false;
        // An application of the keep-radios list runs: it keeps the radios,
        // and the processor awake while it plays.
        bool keptByApplication = false;
    };
    // Which radios to switch off, and what that is expected to save.
    struct Plan {
        bool wifi = false;
        bool cellularData = false;
        bool bluetooth = false;
        bool location = false;
        bool lowPowerMode = false;  // on while locked; off again at the unlock
        double netJoules = 0.0;
        bool radios() const { return wifi || cellularData || bluetooth || location; }
        bool any() const { return radios() || lowPowerMode; }
        bool network() const { return wifi || cellularData; }
    };

    // The plan for a lock expected to last `expectedSeconds` more.
    Plan planFor(const platform::DeviceEnergyCosts& costs, const Radios& radios, double expectedSeconds) const;
    // The shortest expected time locked for which the plan would switch
    // some radio off; none when no length would.
    std::optional<double> paysAfter(const platform::DeviceEnergyCosts& costs, const Radios& radios) const;
    // What one background restore costs: the joins and attaches of the
    // network radios of the plan, and the processor held awake meanwhile.
    static double backgroundRestoreJoules(const platform::DeviceEnergyCosts& costs, const Radios& radios,
                                          const Plan& plan);
    // What switching the plan's radios back on costs at the unlock.
    static double switchOnJoules(const platform::DeviceEnergyCosts& costs, const Radios& radios, const Plan& plan);
};

}  // namespace corvane
