#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "engine/battery/AdapterDetails.h"
#include "engine/battery/BatteryStatus.h"
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

TEST_F(StartedEngineTest, LastBatteryStateFileIsRewrittenOnlyWhenTheStateChanges) {
    const std::filesystem::path file = paths::resolve(paths::kLastBatteryState);
    const auto identity = [&] {
        struct stat info {};
        return ::stat(file.c_str(), &info) == 0 ? info.st_ino : 0;
    };
    const plist::Dictionary first{{"CurrentCapacity", 1500}, {"UpdateTime", 100}};
    const plist::Dictionary second{{"CurrentCapacity", 1500}, {"UpdateTime", 120}};
    battery(first);
    const auto written = identity();
    ASSERT_NE(written, 0u);
    advance(20);
    battery(first);
    EXPECT_EQ(identity(), written) << "the same state is not written again";

    advance(20);
    battery(second);
    EXPECT_EQ(plist::readDictionary(file), second);
    EXPECT_NE(identity(), written);

    // Taken away (or never written, on a full disk): the same state is written again.
    std::filesystem::remove(file);
    advance(20);
    battery(second);
    EXPECT_EQ(plist::readDictionary(file), second);
    host->phone().ioMeter().setDiskFull(true);
    battery(first);
    EXPECT_EQ(plist::readDictionary(file), second);
    host->phone().ioMeter().setDiskFull(false);
    battery(first);
    EXPECT_EQ(plist::readDictionary(file), first);
}

}  // namespace
}  // namespace corvane::testing
