// The device profile, the power model, the energy meter and the simulated
// battery, on states whose answer is known from the profile's figures.

#include <gtest/gtest.h>

#include <map>

#include "shared/Names.h"
#include "sim/EnergyMeter.h"
#include "sim/PowerModel.h"
#include "sim/ProfileValidation.h"
#include "sim/SimBattery.h"

namespace corvane::testing {
namespace {

using sim::Component;
using sim::ComponentState;
using sim::DeviceProfile;
using sim::PowerModel;

double part(const sim::ComponentPower& power, Component component) {
    return power[static_cast<std::size_t>(component)];
}

TEST(PowerModelTest, ValidationKeepsFittedRowsWithinTenPercentAndPredictionsWithinAQuarter) {
    // Rows and fitted rows of each built-in profile.
    const std::map<std::string, std::pair<std::size_t, int>> expected{
        {"phone-2013", {7, 4}},        // standby, talk, web on WiFi and on LTE fitted
        {"linux-phone-2020", {2, 1}},  // standby fitted, web on WiFi predicted
    };
    ASSERT_EQ(DeviceProfile::bundledNames().size(), expected.size());
    for (const std::string& name : DeviceProfile::bundledNames()) {
        const auto rows = sim::ProfileValidation::rows(DeviceProfile::find(name));
        ASSERT_EQ(rows.size(), expected.at(name).first) << name;
        int fitted = 0;
        for (const auto& row : rows) {
            if (row.fitted) {
                ++fitted;
                EXPECT_GE(row.ratio(), 0.9) << name << " " << row.use;
                EXPECT_LE(row.ratio(), 1.1) << name << " " << row.use;
            } else {
                EXPECT_GE(row.ratio(), 0.75) << name << " " << row.use;
                EXPECT_LE(row.ratio(), 1.25) << name << " " << row.use;
            }
        }
        EXPECT_EQ(fitted, expected.at(name).second) << name;
    }
}

TEST(PowerModelTest, ProfilesNeedASourceForEveryFigure) {
    EXPECT_EQ(DeviceProfile::find("").name, "phone-2013");
    EXPECT_THROW(DeviceProfile::find("phone-1999"), sim::ProfileError);
    const auto refusal = [](const std::string& json) {
        try {
            DeviceProfile::parse(json);
        } catch (const sim::ProfileError& error) {
            return std::string(error.what());
        }
        return std::string("(accepted)");
    };
    EXPECT_NE(refusal(R"({"name": "x", "figures": {"batteryCapacity_mAh": {"value": 1560}}})")
                  .find("/figures/batteryCapacity_mAh"),
              std::string::npos);
    EXPECT_NE(refusal(R"({"name": "x", "figures": {}})").find("missing figure"), std::string::npos);
}

// A profile whose figures all differ, so that each charge shows which one it took.
DeviceProfile distinctFigures() {
    DeviceProfile p = DeviceProfile::find("phone-2013");
    p.suspended = 3, p.awake = 100, p.interactiveLoad = 50, p.screen = 400, p.audio = 70, p.video = 900;
    p.lowPowerModeFactor = 0.5;
    p.wifiAsleepIdle = 2, p.wifiAsleepScanning = 9, p.wifiIdle = 20, p.wifiScanning = 60, p.wifiActive = 300;
    p.wifiBroadcastWakesPerHour = 36, p.wifiBroadcastWake = 0.1;  // 1 mW on average
    p.cellularPaging = 5, p.call = 800;
    p.cellularActive = {200, 500, 1000}, p.cellularTail = {150, 350, 600}, p.cellularTailSeconds = {2, 5, 8};
    p.cellularFactorByBars = {4, 3, 2, 1}, p.wifiFactorByBars = {4, 3, 1.5, 1};
    p.bluetoothIdle = 1, p.bluetoothConnected = 30, p.gps = 250;
    p.webEvery = 10, p.webTransfer = 4, p.streamEvery = 20, p.streamTransfer = 5;
    p.chargeCurrent = 1000, p.chargeTaperStart = 0.8, p.chargeCurrentAtFull = 200;
    return p;
}

TEST(PowerModelTest, EachComponentChargesTheFigureOfItsState) {
    const PowerModel model(distinctFigures());
    struct Case {
        const char* state;
        void (*set)(ComponentState&);
        Component component;
        double milliwatts;
    };
    const Case cases[] = {
        {"asleep", [](ComponentState& s) { s.asleep = true; }, Component::Suspended, 3},
        {"awake, the user at work", [](ComponentState&) {}, Component::Awake, 150},
        {"awake in the background", [](ComponentState& s) { s.interactive = false; }, Component::Awake, 100},
        {"low-power mode", [](ComponentState& s) { s.lowPowerMode = true; }, Component::Awake, 75},
        {"screen off", [](ComponentState& s) { s.screenOn = false; }, Component::Screen, 0},
        {"screen on", [](ComponentState&) {}, Component::Screen, 400},
        {"local audio", [](ComponentState& s) { s.localAudio = true; }, Component::Media, 70},
        {"video", [](ComponentState& s) { s.video = true; }, Component::Media, 900},
        {"WiFi searching", [](ComponentState&) {}, Component::WiFi, 60},
        {"WiFi searching asleep", [](ComponentState& s) { s.asleep = true; }, Component::WiFi, 9},
        {"WiFi associated asleep", [](ComponentState& s) { s.asleep = true, s.wifiAssociated = true; }, Component::WiFi,
         3},
        {"WiFi associated idle", [](ComponentState& s) { s.wifiAssociated = true; }, Component::WiFi, 20},
        {"WiFi transfer at 2 bars", [](ComponentState& s) { s.wifiAssociated = s.wifiActive = true, s.wifiBars = 2; },
         Component::WiFi, 450},
        {"tethering", [](ComponentState& s) { s.wifiAssociated = s.tethering = true; }, Component::WiFi, 300},
        // 4 s of 300 mW and 6 s of 20 mW every 10 s; cellular only pages meanwhile.
        {"browsing over WiFi", [](ComponentState& s) { s.wifiAssociated = s.userTraffic = true; }, Component::WiFi,
         132},
        {"browsing over WiFi", [](ComponentState& s) { s.wifiAssociated = s.userTraffic = true; }, Component::Cellular,
         5},
        // 4 s of 1000 mW, then a tail of 8 s cut to the 6 s left before the next page.
        {"browsing over LTE", [](ComponentState& s) { s.wifiEnabled = false, s.userTraffic = true; },
         Component::Cellular, 760},
        // Paging goes on with cellular data off, grows as the bars fall, and stops in airplane mode.
        {"data off", [](ComponentState& s) { s.asleep = true, s.cellularData = false; }, Component::Cellular, 5},
        {"no service", [](ComponentState& s) { s.cellularBars = 0; }, Component::Cellular, 20},
        {"airplane mode", [](ComponentState& s) { s.cellularRadio = false; }, Component::Cellular, 0},
        {"browsing without network",
         [](ComponentState& s) { s.wifiEnabled = s.cellularData = false, s.userTraffic = true; }, Component::Cellular,
         5},
        {"a call", [](ComponentState& s) { s.call = true, s.cellularData = false; }, Component::Cellular, 800},
        {"a call during a transfer on 3G at 1 bar",
         [](ComponentState& s) {
             s.call = s.cellularActive = true, s.speed = platform::DataRate::Rate3G, s.cellularBars = 1;
         },
         Component::Cellular, 3900},
        {"the tail of a 2G transfer",
         [](ComponentState& s) { s.cellularTail = true, s.speed = platform::DataRate::Rate2G; }, Component::Cellular,
         150},
        {"Bluetooth idle", [](ComponentState& s) { s.bluetooth = true; }, Component::Bluetooth, 1},
        {"Bluetooth connected", [](ComponentState& s) { s.bluetooth = s.bluetoothConnected = true; },
         Component::Bluetooth, 30},
        {"location unused", [](ComponentState& s) { s.location = true; }, Component::Location, 0},
        {"location used", [](ComponentState& s) { s.location = s.locationInUse = true; }, Component::Location, 250},
        {"location used asleep", [](ComponentState& s) { s.location = s.locationInUse = s.asleep = true; },
         Component::Location, 0},
    };
    for (const Case& c : cases) {
        ComponentState s;
        c.set(s);
        EXPECT_NEAR(part(model.draw(s), c.component), c.milliwatts, 1e-9)
            << c.state << ", " << sim::componentName(c.component);
    }
    ComponentState saving;
    saving.lowPowerMode = true;
    EXPECT_DOUBLE_EQ(model.lowPowerModeSaving(saving), 75.0);
    saving.asleep = true;
    EXPECT_DOUBLE_EQ(model.lowPowerModeSaving(saving), 0.0);
    // The charge current tapers from 80 % to nothing once full.
    EXPECT_DOUBLE_EQ(model.chargeCurrent(0.5), 1000.0);
    EXPECT_NEAR(model.chargeCurrent(0.9), 600.0, 1e-9);
    EXPECT_DOUBLE_EQ(model.chargeCurrent(1.0), 0.0);
}

// A 10 s transfer over 3G, the network slowing to 2G 4 s in, the meter read
// once at 100 s: 10 s at 3G's active draw, 5 s in 3G's tail, then paging.
TEST(PowerModelTest, MeterChargesACellularTransferAndItsTailAtTheTransfersSpeed) {
    const PowerModel model(distinctFigures());
    sim::SimBattery battery(model, 1000.0, 100.0);
    sim::EnergyMeter meter(model, battery, 0.0);
    meter.state().wifiEnabled = false;
    meter.state().speed = platform::DataRate::Rate3G;
    meter.startTransfer(false, 10.0);
    meter.advanceTo(4.0);
    meter.state().speed = platform::DataRate::Rate2G;
    meter.advanceTo(100.0);
    EXPECT_NEAR(meter.energy(Component::Cellular), (10 * 500 + 5 * 350 + 85 * 5) / 1000.0, 1e-9);
    EXPECT_NEAR(meter.transferEnergy(), (10 * (500 - 5) + 5 * (350 - 5)) / 1000.0, 1e-9);

    // Without service there is nothing to transfer: when service returns a
    // second later the radio only pages (4 times its draw at no bars, then once).
    meter.state().cellularBars = 0;
    meter.startTransfer(false, 200.0);
    meter.advanceTo(101.0);
    meter.state().cellularBars = 3;
    meter.advanceTo(110.0);
    EXPECT_NEAR(meter.energy(Component::Cellular), (10 * 500 + 5 * 350 + 85 * 5 + 20 + 9 * 5) / 1000.0, 1e-9);
}

// Low-power mode awake, then asleep; WiFi and cellular data off in turns.
TEST(PowerModelTest, MeterCountsTheLowPowerModeSavingAndTheSecondsEachRadioWasOff) {
    const PowerModel model(distinctFigures());
    sim::SimBattery battery(model, 1000.0, 100.0);
    sim::EnergyMeter meter(model, battery, 0.0);
    ComponentState& s = meter.state();
    s.lowPowerMode = true;
    s.wifiEnabled = false;
    meter.advanceTo(60.0);
    s.cellularData = false;
    meter.advanceTo(100.0);
    s.wifiEnabled = s.cellularData = true, s.cellularRadio = false;  // WiFi on in airplane mode
    meter.advanceTo(130.0);
    s.wifiEnabled = false, s.asleep = true;
    meter.advanceTo(160.0);
    // Half of the 150 mW of the user at work, for the 130 s awake.
    EXPECT_NEAR(meter.lowPowerModeSaved(), 75 * 130 / 1000.0, 1e-9);
    EXPECT_DOUBLE_EQ(meter.offSeconds().at(sim::Radio::WiFi), 130.0);
    EXPECT_DOUBLE_EQ(meter.offSeconds().at(sim::Radio::Edge), 100.0);
    EXPECT_DOUBLE_EQ(meter.dataOffSeconds(), 70.0);  // both off
}

TEST(PowerModelTest, MeterCountsTrafficWithoutNetworkAndTheBatteryPaysOnlyOffAC) {
    const PowerModel model(DeviceProfile::find("phone-2013"));
    sim::SimBattery battery(model, 1000.0, 50.0);
    sim::EnergyMeter meter(model, battery, 0.0);
    ComponentState& s = meter.state();
    s.wifiEnabled = false;
    s.cellularData = false;
    s.userTraffic = true;
    meter.advanceTo(600.0);
    EXPECT_DOUBLE_EQ(meter.userTrafficWithoutNetwork(), 600.0);
    // The battery gave what the phone drew, at the profile's voltage; the lowest charge is now.
    EXPECT_NEAR(battery.energyDrawn(), meter.totalEnergy(), 1e-6);
    EXPECT_NEAR(battery.lowestPercent(), battery.percent(), 1e-9);

    // On AC the phone's own draw comes out of the charge current: 1000 mA less 100 mA.
    const double before = battery.charge();
    meter.setOnAC(true);
    meter.advanceTo(600.0 + 360.0);
    const double phone = meter.drawNow() / model.nominalVoltage();
    EXPECT_NEAR(battery.charge() - before, (model.chargeCurrent(0.0) - phone) * 0.1, 1e-6);
    EXPECT_NEAR(battery.energyDrawn(), meter.energyOnBattery(), 1e-6);  // nothing more from the battery
    meter.spend(Component::WiFi, 5.0);                                  // a one-off on AC comes from the adapter
    EXPECT_NEAR(battery.energyDrawn(), meter.energyOnBattery(), 1e-6);
    EXPECT_TRUE(battery.properties(1.8e9, meter.drawNow(), true).find(battery::kIsCharging)->boolValue());
    // Full, the adapter carries the phone alone.
    battery.run(20 * 3600.0, meter.drawNow(), true);
    EXPECT_DOUBLE_EQ(battery.percent(), 100.0);
    EXPECT_FALSE(battery.secondsToNextPercent(meter.drawNow(), true).has_value());
}

}  // namespace
}  // namespace corvane::testing
