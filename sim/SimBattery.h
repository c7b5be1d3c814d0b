#pragma once
// The simulated battery: its charge in mAh, discharged by what the phone
// draws and charged on AC, and the battery properties dictionary the system
// reports for it (every key the power source has, "AdapterDetails" on AC).

#include <optional>

#include "shared/PropertyList.h"

namespace corvane::sim {

class SimBattery {
public:
    SimBattery(double designCapacity, double startPercent);

    // Runs the battery for `seconds` while the phone draws `drawMilliwatts`.
    // On AC the adapter feeds the phone and charges the battery.
    void run(double seconds, double drawMilliwatts, bool onAC);
    // Seconds until the charge crosses the next whole percent at this draw;
    // none when it does not move.
    std::optional<double> secondsToNextPercent(double drawMilliwatts, bool onAC) const;

    void forcePercent(double percent);
    double percent() const;  // 0-100, not rounded
    int wholePercent() const;
    double charge() const { return charge_; }  // mAh

    // The dictionary the system hands to the home screen.
    plist::Dictionary properties(double wallClockSeconds, double drawMilliwatts, bool onAC) const;

private:
    double fraction() const { return charge_ / maxCapacity_; }
    double voltage(bool charging) const;  // millivolts

    double designCapacity_;
    double maxCapacity_;
    double charge_;
    double dischargedTotal_ = 0.0;  // mAh, for the cycle count
};

}  // namespace corvane::sim
