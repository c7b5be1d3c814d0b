// The power model, the energy meter and the simulated battery.

#include <gtest/gtest.h>

#include "shared/Names.h"
#include "sim/EnergyMeter.h"
#include "sim/PowerModel.h"
#include "sim/SimBattery.h"

namespace corvane::testing {
namespace {

using sim::Component;
using sim::ComponentState;
using sim::PowerModel;

double total(const sim::ComponentPower& power) {
    double sum = 0.0;
    for (double p : power) sum += p;
    return sum;
}

TEST(PowerModelTest, DrawFollowsTheStateOfEachComponent) {
    ComponentState asleep;
    asleep.asleep = true;
    asleep.screenOn = false;
    asleep.interactive = false;
    asleep.wifiEnabled = false;
    asleep.cellularData = false;
    asleep.location = true;  // no GPS while suspended
    EXPECT_DOUBLE_EQ(total(PowerModel::draw(asleep)), 68.6);

    ComponentState radiosOn = asleep;
    radiosOn.wifiEnabled = true;
    radiosOn.wifiAssociated = true;
    radiosOn.cellularData = true;
    radiosOn.bluetooth = true;
    EXPECT_GT(total(PowerModel::draw(radiosOn)), total(PowerModel::draw(asleep)));

    // Traffic goes over WiFi when associated; cellular data then stays idle.
    ComponentState working;
    working.wifiAssociated = true;
    const auto power = PowerModel::draw(working);
    EXPECT_GT(power[static_cast<std::size_t>(Component::WiFi)], 20.0);
    EXPECT_DOUBLE_EQ(power[static_cast<std::size_t>(Component::Cellular)], 10.0);
    EXPECT_DOUBLE_EQ(power[static_cast<std::size_t>(Component::Screen)], 307.0);

    // Faster networks cost more while transferring; airplane mode silences cellular.
    ComponentState lte = asleep;
    lte.asleep = false;
    lte.cellularData = true;
    lte.cellularActive = true;
    ComponentState edge2G = lte;
    edge2G.speed = sim::CellularSpeed::G2;
    EXPECT_GT(total(PowerModel::draw(lte)), total(PowerModel::draw(edge2G)));
    lte.cellularRadio = false;
    EXPECT_DOUBLE_EQ(PowerModel::draw(lte)[static_cast<std::size_t>(Component::Cellular)], 0.0);

    // Low-power mode lowers the awake baseline by what it reports saving.
    ComponentState lowPower = working;
    lowPower.lowPowerMode = true;
    EXPECT_NEAR(total(PowerModel::draw(working)) - total(PowerModel::draw(lowPower)),
                PowerModel::lowPowerModeSaving(lowPower), 1e-9);
    EXPECT_GT(PowerModel::lowPowerModeSaving(lowPower), 0.0);
}

TEST(PowerModelTest, MeterChargesTransfersAndTheirTailAndDrainsTheBattery) {
    sim::SimBattery battery(1000.0, 100.0);
    sim::EnergyMeter meter(battery, 0.0);
    ComponentState& s = meter.state();
    s.asleep = false;
    s.screenOn = false;
    s.interactive = false;
    s.wifiEnabled = false;
    s.location = false;
    s.speed = sim::CellularSpeed::G3;
    meter.startTransfer(false, 5.0);
    meter.advanceTo(100.0);
    // 5 s at 570 mW, 10 s of tail at 502 mW, 85 s idle at 10 mW.
    EXPECT_NEAR(meter.energy(Component::Cellular), (5 * 570.0 + 10 * 502.0 + 85 * 10.0) / 1000.0, 1e-9);
    EXPECT_NEAR(meter.energy(Component::Awake), 26.88, 1e-9);
    EXPECT_FALSE(meter.transferring(100.0));
    // Going backwards changes nothing; the radios were off the whole time except cellular.
    meter.advanceTo(50.0);
    EXPECT_DOUBLE_EQ(meter.time(), 100.0);
    EXPECT_DOUBLE_EQ(meter.offSeconds().at("wifi"), 100.0);
    EXPECT_DOUBLE_EQ(meter.offSeconds().at("edge"), 0.0);
    // The battery lost what the phone drew, at the nominal 3.8 V.
    EXPECT_NEAR(1000.0 - battery.charge(), meter.totalEnergy() / 3.8 / 3.6, 1e-9);
}

TEST(PowerModelTest, BatteryReportsEveryKeyAndChargesOnAC) {
    sim::SimBattery battery(1560.0, 50.0);
    const plist::Dictionary onBattery = battery.properties(1.8e9, 400.0, false);
    for (std::string_view key : {battery::kCurrentCapacity, battery::kMaxCapacity, battery::kDesignCapacity,
                                 battery::kVoltage, battery::kTemperature, battery::kInstantAmperage,
                                 battery::kTimeRemaining, battery::kIsCharging, battery::kFullyCharged,
                                 battery::kExternalConnected, battery::kUpdateTime, battery::kCycleCount,
                                 battery::kAmperage, battery::kBuiltIn, battery::kLocation, battery::kSerial,
                                 battery::kAtCriticalLevel, battery::kBootVoltage, battery::kIOClass}) {
        EXPECT_TRUE(onBattery.contains(key)) << key;
    }
    EXPECT_FALSE(onBattery.contains(battery::kAdapterDetails));
    EXPECT_EQ(onBattery.find(battery::kCurrentCapacity)->integerValue(), 780);
    EXPECT_LT(onBattery.find(battery::kInstantAmperage)->integerValue(), 0);
    EXPECT_EQ(onBattery.find(battery::kUpdateTime)->integerValue(), 1800000000);

    const plist::Dictionary onAC = battery.properties(1.8e9, 400.0, true);
    ASSERT_TRUE(onAC.contains(battery::kAdapterDetails));
    EXPECT_TRUE(onAC.find(battery::kAdapterDetails)->asDictionary()->contains(battery::kAdapterWatts));
    EXPECT_TRUE(onAC.find(battery::kIsCharging)->boolValue());
    // 1000 mA up to 80 % (under half an hour), then the taper slows it down; never above full.
    battery.run(3600.0, 400.0, true);
    EXPECT_GT(battery.charge(), 1248.0);
    EXPECT_LT(battery.charge(), 1560.0);
    battery.run(20 * 3600.0, 400.0, true);
    EXPECT_DOUBLE_EQ(battery.percent(), 100.0);
    EXPECT_TRUE(battery.properties(1.8e9, 400.0, true).find(battery::kFullyCharged)->boolValue());
    // The next percent comes when the draw has used 1 % of the charge.
    const auto seconds = battery.secondsToNextPercent(3800.0, false);  // 1000 mA
    ASSERT_TRUE(seconds.has_value());
    EXPECT_NEAR(*seconds, 15.6 / 1000.0 * 3600.0, 0.01);
}

}  // namespace
}  // namespace corvane::testing
