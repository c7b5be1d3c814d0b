// UPower's battery as the engine's battery dictionary.
#include <gtest/gtest.h>

#include "device/BatteryReport.h"
#include "shared/Names.h"

namespace corvane::device {
namespace {

using namespace corvane::battery;

long long integer(const plist::Dictionary& d, std::string_view key) {
    const plist::Value* value = d.find(key);
    return value != nullptr ? value->integerValue() : -999999;
}
bool flag(const plist::Dictionary& d, std::string_view key) {
    const plist::Value* value = d.find(key);
    return value != nullptr && value->boolValue();
}

UPowerBattery laptopBattery() {
    UPowerBattery b;
    b.percentage = 80.0;
    b.energy = 40.0;
    b.energyFull = 50.0;
    b.energyFullDesign = 55.0;
    b.energyRate = 10.0;
    b.voltage = 10.0;
    b.temperature = 31.5;
    b.state = 2;  // discharging
    b.chargeCycles = 123;
    b.timeToEmpty = 4 * 3600;
    return b;
}

TEST(BatteryReport, DischargingBatteryReadsInTheUnitsTheEngineStores) {
    const plist::Dictionary d = batteryDictionary(laptopBattery(), true, 1'800'000'000.7);
    // 50 Wh at 10 V is 5000 mAh; 80 % of it is 4000 mAh; 55 Wh new is 5500 mAh.
    EXPECT_EQ(integer(d, kMaxCapacity), 5000);
    EXPECT_EQ(integer(d, kCurrentCapacity), 4000);
    EXPECT_EQ(integer(d, kDesignCapacity), 5500);
    EXPECT_EQ(integer(d, kCycleCount), 123);
    EXPECT_EQ(integer(d, kVoltage), 10000);
    EXPECT_EQ(integer(d, kTemperature), 3150);
    // 10 W at 10 V drawn from the battery: -1000 mA.
    EXPECT_EQ(integer(d, kInstantAmperage), -1000);
    EXPECT_EQ(integer(d, kAmperage), -1000);
    EXPECT_EQ(integer(d, kTimeRemaining), 240);
    EXPECT_EQ(integer(d, kUpdateTime), 1'800'000'000);
    EXPECT_FALSE(flag(d, kIsCharging));
    EXPECT_FALSE(flag(d, kExternalConnected));
    EXPECT_FALSE(flag(d, kFullyCharged));
    EXPECT_EQ(batteryPercent(laptopBattery()), 80);
}

TEST(BatteryReport, ChargingOnACGainsCurrentAndFullyChargedIsSaid) {
    UPowerBattery b = laptopBattery();
    b.state = kUPowerCharging;
    b.timeToFull = 1800;
    plist::Dictionary d = batteryDictionary(b, false, 0.0);
    EXPECT_EQ(integer(d, kInstantAmperage), 1000);
    EXPECT_EQ(integer(d, kTimeRemaining), 30);
    EXPECT_TRUE(flag(d, kIsCharging));
    EXPECT_TRUE(flag(d, kExternalConnected));
    EXPECT_TRUE(flag(d, kExternalChargeCapable));

    b.state = kUPowerFullyCharged;
    d = batteryDictionary(b, false, 0.0);
    EXPECT_TRUE(flag(d, kFullyCharged));
    EXPECT_FALSE(flag(d, kIsCharging));
}

TEST(BatteryReport, WhatUPowerDoesNotKnowIsLeftOutOrEstimated) {
    UPowerBattery b;
    b.percentage = 57.0;
    b.energyFull = 3.8 * 2.0;  // 2000 mAh at the nominal voltage
    b.chargeCycles = -1;       // unknown to UPower
    const plist::Dictionary d = batteryDictionary(b, true, 0.0);
    EXPECT_EQ(integer(d, kMaxCapacity), 2000);
    EXPECT_EQ(integer(d, kCurrentCapacity), 1140);
    EXPECT_FALSE(d.contains(kCycleCount));
    EXPECT_FALSE(d.contains(kVoltage));
    EXPECT_FALSE(d.contains(kTemperature));
    EXPECT_FALSE(d.contains(kInstantAmperage));
    EXPECT_FALSE(d.contains(kDesignCapacity));

    UPowerBattery percentOnly;
    percentOnly.percentage = 33.4;
    const plist::Dictionary p = batteryDictionary(percentOnly, true, 0.0);
    EXPECT_EQ(integer(p, kCurrentCapacity), 33);
    EXPECT_EQ(integer(p, kMaxCapacity), 100);
}

}  // namespace
}  // namespace corvane::device
