// The Adaptive strategy's arithmetic: which radios a lock switches off for
// the device's figures and the expected time locked, how the user's own
// locks give that expectation, and where the figures come from.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "engine/strategies/AdaptiveRecords.h"
#include "engine/strategies/EnergyCostTable.h"
#include "engine/strategies/StrategyAdaptive.h"
#include "shared/Names.h"
#include "shared/PropertyListFile.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {
namespace {

platform::DeviceEnergyCosts phone() {
    platform::DeviceEnergyCosts costs;
    costs.wifiIdleMilliwatts = 20.0;
    costs.cellularDataIdleMilliwatts = 10.0;
    costs.bluetoothIdleMilliwatts = 5.0;
    costs.wifiJoinJoules = 2.0;
    costs.cellularAttachJoules = 1.5;
    costs.bluetoothOnJoules = 1.0;
    costs.awakeMilliwatts = 100.0;
    return costs;
}

StrategyAdaptive::Radios allOn(bool associated = true) {
    StrategyAdaptive::Radios radios;
    radios.wifi = radios.cellularData = radios.bluetooth = radios.location = true;
    radios.wifiAssociated = associated;
    return radios;
}

TEST(AdaptiveTest, SwitchesOffOnlyWhatPaysForTheExpectedTimeLocked) {
    const StrategyAdaptive adaptive;
    EXPECT_EQ(adaptive.strategy, kStrategyAdaptive);
    EXPECT_DOUBLE_EQ(adaptive.radioTimerDurationAtWakeup, 0.0);

    // A minute: nothing is worth a switch.
    EXPECT_FALSE(adaptive.planFor(phone(), allOn(), 60.0).any());
    EXPECT_FALSE(adaptive.planFor(phone(), allOn(), std::nan("")).any());
    // 25 minutes on WiFi: Bluetooth (7.5 J - 1 J) is not worth it yet; the
    // network is (45 J - the join; cellular data waits for WiFi at the
    // return; no background sync falls within the lock).
    StrategyAdaptive::Plan plan = adaptive.planFor(phone(), allOn(), 1500.0);
    EXPECT_TRUE(plan.wifi && plan.cellularData);
    EXPECT_FALSE(plan.bluetooth);
    EXPECT_NEAR(plan.netJoules, 45.0 - 2.0, 1e-9);
    // Without the join (WiFi already off) cellular data alone goes: 15 J - its attach.
    StrategyAdaptive::Radios cellularOnly = allOn(false);
    cellularOnly.wifi = false;
    plan = adaptive.planFor(phone(), cellularOnly, 1500.0);
    EXPECT_TRUE(plan.cellularData);
    EXPECT_FALSE(plan.wifi);
    EXPECT_NEAR(plan.netJoules, 15.0 - 1.5, 1e-9);
    // Eight hours: Bluetooth goes; the network's 30 mW pays for its return
    // and a background restore (2 J + 12 J held awake) every half hour.
    plan = adaptive.planFor(phone(), allOn(), 8 * 3600.0);
    EXPECT_TRUE(plan.bluetooth && plan.wifi && plan.cellularData);
    EXPECT_FALSE(plan.location);
    EXPECT_NEAR(plan.netJoules, (144.0 - 1.0) + (864.0 - 2.0 - 16 * 14.0), 1e-9);
    // An accessory keeps Bluetooth on; without WiFi there is no cellular-alone choice.
    StrategyAdaptive::Radios connected = allOn(false);
    connected.bluetoothConnected = true;
    plan = adaptive.planFor(phone(), connected, 8 * 3600.0);
    EXPECT_FALSE(plan.bluetooth);
    EXPECT_TRUE(plan.wifi && plan.cellularData);
    // A costly processor makes the network's syncs too dear.
    platform::DeviceEnergyCosts hot = phone();
    hot.awakeMilliwatts = 1000.0;
    EXPECT_FALSE(adaptive.planFor(hot, connected, 8 * 3600.0).network());

    // The shortest lock that pays for anything: the network's 30 mW against
    // its 2 J join and the 10 J margin (400 s).
    const std::optional<double> after = adaptive.paysAfter(phone(), allOn());
    ASSERT_TRUE(after.has_value());
    EXPECT_GE(*after, 400.0);
    EXPECT_LT(*after, 400.0 * 1.25);
    StrategyAdaptive::Radios none;
    EXPECT_FALSE(adaptive.paysAfter(phone(), none).has_value());
}

TEST(AdaptiveTest, AKeepRadiosApplicationKeepsTheRadiosAndOnlyTheLowPowerModeMayGoOn) {
    const StrategyAdaptive adaptive;
    platform::DeviceEnergyCosts costs = phone();
    costs.lowPowerModeSavingMilliwatts = 20.0;
    StrategyAdaptive::Radios kept = allOn();
    kept.keptByApplication = true;
    // Any time at all pays: nothing to switch back, nothing to see while locked.
    StrategyAdaptive::Plan plan = adaptive.planFor(costs, kept, 8 * 3600.0);
    EXPECT_TRUE(plan.lowPowerMode);
    EXPECT_FALSE(plan.radios());
    EXPECT_NEAR(plan.netJoules, 0.020 * 8 * 3600.0, 1e-9);
    EXPECT_TRUE(adaptive.planFor(costs, kept, 5.0).lowPowerMode);
    EXPECT_FALSE(adaptive.planFor(costs, kept, 0.0).any());
    // A device whose low-power mode saves nothing keeps everything as it is.
    EXPECT_FALSE(adaptive.planFor(phone(), kept, 8 * 3600.0).any());
    // Without the application the low-power mode is no plan of its own.
    EXPECT_FALSE(adaptive.planFor(costs, allOn(), 8 * 3600.0).lowPowerMode);
}

TEST(AdaptiveTest, ExpectsWhatRemainedOfAlikeLocksAndOtherwiseAsLongAgain) {
    AdaptiveRecords records;
    const double day = 86400.0;
    const double night = 1'800'000'000.0 - std::fmod(1'800'000'000.0, day) + 23 * 3600.0;  // 23:00
    // Without evidence: as long again as the lock has lasted.
    EXPECT_DOUBLE_EQ(records.expectedRemaining(night, 0.0), 0.0);
    EXPECT_DOUBLE_EQ(records.expectedRemaining(night, 600.0), 600.0);
    // Three nights of 8, 7 and 9 hours, begun around 23:00, and a short
    // lock at noon that is nothing alike.
    records.addLock(night - 3 * day + 1800.0, 8 * 3600.0);
    records.addLock(night - 2 * day - 1800.0, 7 * 3600.0);
    records.addLock(night - day, 9 * 3600.0);
    records.addLock(night - 11 * 3600.0, 60.0);
    EXPECT_DOUBLE_EQ(records.expectedRemaining(night, 0.0), 8 * 3600.0);
    EXPECT_DOUBLE_EQ(records.expectedRemaining(night, 3600.0), 7 * 3600.0);
    // Past most of them the evidence runs out.
    EXPECT_DOUBLE_EQ(records.expectedRemaining(night, 7.5 * 3600.0), 7.5 * 3600.0);
    EXPECT_DOUBLE_EQ(records.expectedRemaining(night - 11 * 3600.0, 0.0), 0.0);

    // Locks older than the history are forgotten as new ones come.
    records.addLock(night + 20 * day, 60.0);
    EXPECT_EQ(records.locks().size(), 1u);
}

TEST(AdaptiveTest, RecordsSurviveTheFileAndDamagedEntriesReadAsNone) {
    TemporaryRoot root;
    const std::filesystem::path file = root.path() / "adaptive.plist";
    AdaptiveRecords records = AdaptiveRecords::load(file);
    EXPECT_TRUE(records.locks().empty());
    records.addLock(1'800'000'000.0, 3600.0);
    records.chargeEnded(1'800'000'100.0);
    records.savings().radioJoulesSaved = 12.5;
    records.savings().switchJoulesSpent = 2.5;
    records.savings().wakesAvoided = 3;
    records.savings().wakeJoulesSaved = 9.0;
    ASSERT_TRUE(records.save(file));

    const AdaptiveRecords read = AdaptiveRecords::load(file);
    ASSERT_EQ(read.locks().size(), 1u);
    EXPECT_DOUBLE_EQ(read.locks()[0].seconds, 3600.0);
    EXPECT_DOUBLE_EQ(read.savings().since, 1'800'000'100.0);
    EXPECT_DOUBLE_EQ(read.savings().netJoules(), 19.0);
    EXPECT_EQ(read.savings().wakesAvoided, 3);

    // Entries of the wrong kind are skipped; the rest stays.
    plist::Dictionary damaged = *plist::readDictionary(file);
    plist::Array locks = *damaged.find(adaptive::kLocks)->asArray();
    locks.emplace_back("not a lock");
    locks.emplace_back(plist::Dictionary{{"Start", "yesterday"}, {"Seconds", 5.0}});
    locks.emplace_back(plist::Dictionary{{"Start", plist::Date{1'800'000'000.0}}, {"Seconds", -5.0}});
    damaged.set(adaptive::kLocks, plist::Value(locks));
    damaged.set(adaptive::kRadioJoulesSaved, plist::Value("lots"));
    plist::writeFile(file, plist::Value(damaged));
    const AdaptiveRecords reread = AdaptiveRecords::load(file);
    EXPECT_EQ(reread.locks().size(), 1u);
    EXPECT_DOUBLE_EQ(reread.savings().radioJoulesSaved, 0.0);
    // A file that is no property list reads as no records.
    std::filesystem::resize_file(file, 10);
    EXPECT_TRUE(AdaptiveRecords::load(file).locks().empty());
}

class DeviceFigures final : public platform::EnergyCosts {
public:
    std::optional<platform::DeviceEnergyCosts> deviceEnergyCosts() override { return phone(); }
};

TEST(AdaptiveTest, FiguresComeFromTheDeviceOrTheDefaultsWithTheUsersFileOnTop) {
    TemporaryRoot root;
    const std::filesystem::path file = root.path() / "costs.plist";
    DeviceFigures device;
    EXPECT_DOUBLE_EQ(EnergyCostTable::load(&device, file).wifiIdleMilliwatts, 20.0);
    EXPECT_DOUBLE_EQ(EnergyCostTable::load(nullptr, file).wifiIdleMilliwatts,
                     EnergyCostTable::defaults().wifiIdleMilliwatts);

    plist::writeFile(file, plist::Value(plist::Dictionary{{"WiFiIdleMilliwatts", 35},
                                                          {"BluetoothIdleMilliwatts", 2.5},
                                                          {"LowPowerModeSavingMilliwatts", 12},
                                                          {"WakeJoules", -1.0},
                                                          {"AwakeMilliwatts", "fast"},
                                                          {"CellularAttachJoules", std::nan("")}}));
    for (platform::EnergyCosts* source :
         {static_cast<platform::EnergyCosts*>(&device), static_cast<platform::EnergyCosts*>(nullptr)}) {
        const platform::DeviceEnergyCosts costs = EnergyCostTable::load(source, file);
        const platform::DeviceEnergyCosts beneath = source ? phone() : EnergyCostTable::defaults();
        EXPECT_DOUBLE_EQ(costs.wifiIdleMilliwatts, 35.0);
        EXPECT_DOUBLE_EQ(costs.bluetoothIdleMilliwatts, 2.5);
        EXPECT_DOUBLE_EQ(costs.lowPowerModeSavingMilliwatts, 12.0);
        EXPECT_DOUBLE_EQ(costs.wakeJoules, beneath.wakeJoules);
        EXPECT_DOUBLE_EQ(costs.awakeMilliwatts, beneath.awakeMilliwatts);
        EXPECT_DOUBLE_EQ(costs.cellularAttachJoules, beneath.cellularAttachJoules);
    }
}

}  // namespace
}  // namespace corvane::testing
