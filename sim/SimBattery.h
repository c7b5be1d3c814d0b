#pragma once
// The simulated battery: its charge in mAh, discharged by what the phone
// draws and charged on AC, and the battery properties dictionary the system
// reports for it (every key the power source has, "AdapterDetails" on AC).
// On AC the adapter's current feeds the phone first; the battery gets what
// is left, up to what it accepts at its charge.

#include <optional>

#include "shared/PropertyList.h"
#include "sim/PowerModel.h"

namespace corvane::sim {

class SimBattery {
public:
    // `model` gives the voltage and the charging figures; it must outlive the battery.
    SimBattery(const PowerModel& model, double designCapacity, double startPercent);

    // Runs the battery for `seconds` while the phone draws `drawMilliwatts`.
    void run(double seconds, double drawMilliwatts, bool onAC);
    // A one-off energy the phone spends (joules), from the adapter on AC.
    void spend(double joules, bool onAC);
    // Seconds until the charge crosses the next whole percent at this draw;
    // none when it does not move.
    std::optional<double> secondsToNextPercent(double drawMilliwatts, bool onAC) const;

    void forcePercent(double percent);
    double percent() const;  // 0-100, not rounded
    int wholePercent() const;
    double charge() const { return charge_; }  // mAh
    double lowestPercent() const { return lowest_ / maxCapacity_ * 100.0; }
    // Energy the battery gave the phone, joules.
    double energyDrawn() const { return drawnTotal_ * model_.nominalVoltage() * 3.6; }
    double energyWhenFull() const { return maxCapacity_ * model_.nominalVoltage() * 3.6; }  // joules

    // The dictionary the system hands to the home screen.
    plist::Dictionary properties(double wallClockSeconds, double drawMilliwatts, bool onAC) const;

private:
    double fraction() const { return charge_ / maxCapacity_; }
    double voltage(bool charging) const;  // millivolts
    // Current into the battery (negative: out of it), mA.
    double netCurrent(double drawMilliwatts, bool onAC) const;
    void take(double milliampHours);

    const PowerModel& model_;
    double designCapacity_;
    double maxCapacity_;
    double charge_;
    double lowest_;
    double drawnTotal_ = 0.0;  // mAh, for the cycle count and the energy drawn
};

}  // namespace corvane::sim
