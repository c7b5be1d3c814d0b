#pragma once
// UPower on the system bus: the battery device and whether the system runs
// on battery. Every change of either is one battery report.

#include <functional>
#include <string>

#include "device/BatteryReport.h"
#include "device/BusService.h"

namespace corvane::device {

class UPower final : public BusService {
public:
    using Report = std::function<void(const UPowerBattery& battery, bool onBattery)>;
    UPower(Bus* bus, DaemonLog& log, Report report);

    bool onBattery() const { return onBattery_; }
    bool hasBattery() const { return !batteryPath_.empty(); }
    const UPowerBattery& battery() const { return battery_; }

protected:
    bool attach() override;
    void detach() override;

private:
    void findBattery();
    void readBattery(const BusProperties& properties);
    void report();

    Report report_;
    std::string batteryPath_;
    UPowerBattery battery_;
    bool onBattery_ = true;
    std::unique_ptr<BusSlot> batteryWatch_;
};

}  // namespace corvane::device
