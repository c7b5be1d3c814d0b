#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "engine/battery/AdapterDetails.h"
#include "engine/battery/BatteryStatus.h"
#include "engine/platform/PowerManagement.h"
#include "shared/PropertyListFile.h"
#include "tests/support/HookedPhone.h"
#include "tests/support/StatisticsQueries.h"

namespace corvane::testing {
namespace {

TEST(BatteryStatusRecord, AdapterDetailsFromTheNestedDictionary) {
    const plist::Dictionary adapter{{"Amperage", 1000},
                                    {"Description", "usb host"},
                                    {"FamilyCode", -536854528},
                                    {"PMUConfiguration", 2},
                                    {"Watts", 5.5},
                                    {"Other", 1}};
    const BatteryStatus full(plist::Dictionary{{"AdapterDetails", adapter}});
    ASSERT_NE(full.adapterDetails, nullptr);
    EXPECT_EQ(full.adapterDetails->Amperage, plist::Value(1000));
    EXPECT_EQ(full.adapterDetails->Description, plist::Value("usb host"));
    EXPECT_EQ(full.adapterDetails->FamilyCode, plist::Value(-536854528));
    EXPECT_EQ(full.adapterDetails->PMUConfiguration, plist::Value(2));
    EXPECT_EQ(full.adapterDetails->Watts, plist::Value(5.5));
    // The plain "Amperage" field reads the outer dictionary only.
    EXPECT_FALSE(full.Amperage.has_value());

    // An empty nested dictionary, and a value that is not a dictionary at
    // all, both give a record whose five fields are none.
    for (const plist::Value& nested : {plist::Value(plist::Dictionary{}), plist::Value("not a dictionary")}) {
        const BatteryStatus status(plist::Dictionary{{"AdapterDetails", nested}});
        ASSERT_NE(status.adapterDetails, nullptr);
        const AdapterDetails& details = *status.adapterDetails;
        EXPECT_FALSE(details.Amperage || details.Description || details.FamilyCode || details.PMUConfiguration ||
                     details.Watts);
    }
}

TEST_F(StartedEngineTest, LastBatteryStateFileIsTheReceivedDictionary) {
    plist::Dictionary dictionary{{"Serial", "C01234"}, {"CurrentCapacity", 1500}, {"Temperature", 2950}};
    dictionary.set("AdapterDetails", plist::Dictionary{{"Watts", 12}});
    dictionary.set("KeyTheRecordDoesNotKnow", plist::Array{plist::Value(1), plist::Value("two")});
    const std::filesystem::path file = paths::resolve(paths::kLastBatteryState);

    // Statistics saving off, last state on: no database (so nothing created
    // the statistics folder before), yet the file is written with every key.
    useStrategy(kStrategyAggressive, [](Strategie& s) { s.enableSaveStats = false; });
    advance(40);
    battery(dictionary);
    EXPECT_EQ(plist::readDictionary(file), dictionary);
    EXPECT_FALSE(std::filesystem::exists(databasePath()));

    // The switch off: the file keeps the previous event.
    useStrategy(kStrategyAggressive, [](Strategie& s) { s.enableSaveLastBattStat = false; });
    battery(50, 100);
    EXPECT_EQ(plist::readDictionary(file), dictionary);
    engine()->batteryStateChanged(nullptr);  // no dictionary: nothing at all, and no crash
}

// The file lags one report at most: a report that changes only the readings
// waits for the next one; the percent, the charging and the power source are
// written at once, and a waiting report before the system sleeps.
TEST_F(StartedEngineTest, LastBatteryStateFileLagsOneReportAtMost) {
    const std::filesystem::path file = paths::resolve(paths::kLastBatteryState);
    const auto identity = [&] {
        struct stat info {};
        return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
    };
    const auto state = [](int capacity, int time, bool charging = false) {
        return plist::Dictionary{
            {"CurrentCapacity", capacity}, {"MaxCapacity", 2000}, {"UpdateTime", time}, {"IsCharging", charging}};
    };
    const auto report = [&](const plist::Dictionary& dictionary) {
        advance(20);
        battery(dictionary);
        return plist::readDictionary(file);
    };
    EXPECT_EQ(report(state(1500, 100)), state(1500, 100)) << "the first report is written at once";
    const auto written = identity();
    EXPECT_EQ(report(state(1500, 100)), state(1500, 100));
    EXPECT_EQ(identity(), written) << "the same state is not written again";

    EXPECT_EQ(report(state(1500, 120)), state(1500, 100)) << "a new reading waits for the next report";
    EXPECT_EQ(report(state(1500, 140)), state(1500, 140)) << "the waiting report never waits twice";
    EXPECT_EQ(report(state(1499, 160)), state(1499, 160)) << "75 % to 74 %: at once";
    EXPECT_EQ(report(state(1499, 180, true)), state(1499, 180, true)) << "charging: at once";
    EXPECT_EQ(report(state(1497, 200, true)), state(1499, 180, true));
    const std::intptr_t sleep = host->power().postMessage(platform::kIOMessageSystemWillSleep);
    host->loop().runPending();
    ASSERT_TRUE(host->power().message(sleep)->delivered);
    EXPECT_EQ(plist::readDictionary(file), state(1497, 200, true)) << "written before the system sleeps";

    // Taken away (or never written, on a full disk): the same state is written again.
    std::filesystem::remove(file);
    EXPECT_EQ(report(state(1497, 200, true)), state(1497, 200, true));
    host->phone().ioMeter().setDiskFull(true);
    EXPECT_EQ(report(state(1400, 240)), state(1497, 200, true));
    host->phone().ioMeter().setDiskFull(false);
    EXPECT_EQ(report(state(1400, 240)), state(1400, 240));
}

}  // namespace
}  // namespace corvane::testing
