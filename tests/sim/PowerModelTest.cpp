// The device profile, the power model, the energy meter and the simulated
// battery, on states whose answer is known from the profile's figures.

#include <gtest/gtest.h>

#include <map>

#include <numeric>

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

double total(const sim::ComponentPower& power) { return std::accumulate(power.begin(), power.end(), 0.0); }

double part(const sim::ComponentPower& power, Component component) {
    return power[static_cast<std::size_t>(component)];
}

ComponentState asleepOnCellular() {
    ComponentState s;
    s.asleep = true;
    s.screenOn = false;
    s.interactive = false;
    s.wifiEnabled = false;
    return s;
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

TEST(PowerModelTest, ChargesPagingUntilAirplaneModeAndTheRestOnlyWhileItIsUsed) {
    const PowerModel model(DeviceProfile::find("phone-2013"));
    const DeviceProfile& p = model.profile();

    // Standby is the suspended draw and paging, whether cellular data is on or not.
    ComponentState standby = asleepOnCellular();
    EXPECT_NEAR(total(model.draw(standby)), p.suspended + p.cellularPaging, 1e-9);
    ComponentState dataOff = standby;
    dataOff.cellularData = false;
    EXPECT_DOUBLE_EQ(total(model.draw(dataOff)), total(model.draw(standby)));
    ComponentState airplane = standby;
    airplane.cellularRadio = false;
    EXPECT_DOUBLE_EQ(total(model.draw(airplane)), p.suspended);

    // WiFi asleep and associated costs a few mW, broadcast wake-ups included.
    ComponentState wifiAsleep = standby;
    wifiAsleep.wifiEnabled = true;
    wifiAsleep.wifiAssociated = true;
    EXPECT_GT(part(model.draw(wifiAsleep), Component::WiFi), p.wifiAsleepIdle);
    EXPECT_LT(part(model.draw(wifiAsleep), Component::WiFi), 10.0);

    // Cellular grows as the bars fall, in every state.
    ComponentState weak = standby;
    double previous = 0.0;
    for (int bars : {3, 2, 1, 0}) {
        weak.cellularBars = bars;
        const double cellular = part(model.draw(weak), Component::Cellular);
        EXPECT_GT(cellular, previous) << bars;
        previous = cellular;
    }

    // Browsing on LTE: a transfer and its tail every page load, not a permanent tail.
    ComponentState browsing;
    browsing.wifiEnabled = false;
    browsing.userTraffic = true;
    const double pageLoad = p.webTransfer * p.cellularActive[2] + p.cellularTailSeconds[2] * p.cellularTail[2] +
                            (p.webEvery - p.webTransfer - p.cellularTailSeconds[2]) * p.cellularPaging;
    EXPECT_NEAR(part(model.draw(browsing), Component::Cellular), pageLoad / p.webEvery, 1e-9);
    // Without any network the user's traffic costs no radio energy.
    browsing.cellularData = false;
    EXPECT_DOUBLE_EQ(part(model.draw(browsing), Component::Cellular), p.cellularPaging);

    // Location costs only while an application uses it.
    browsing.location = true;
    EXPECT_DOUBLE_EQ(part(model.draw(browsing), Component::Location), 0.0);
    browsing.locationInUse = true;
    EXPECT_DOUBLE_EQ(part(model.draw(browsing), Component::Location), p.gps);
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
