#include <gtest/gtest.h>

#include <filesystem>

#include "engine/battery/AdapterDetails.h"
#include "engine/battery/BatteryStatus.h"
#include "shared/PropertyListFile.h"
#include "tests/support/HookedPhone.h"
#include "tests/support/StatisticsQueries.h"

namespace corvane::testing {
namespace {

using Field = std::optional<plist::Value> BatteryStatus::*;

// Every plain field with the key it must read.
// clang-format off
#define FIELD(name) {&BatteryStatus::name, #name}
const std::pair<Field, std::string_view> kFields[] = {
    FIELD(AdapterInfo), FIELD(Amperage), FIELD(AppleRawCurrentCapacity), FIELD(AppleRawMaxCapacity),
    FIELD(AtCriticalLevel), FIELD(AtWarnLevel), FIELD(BatteryInstalled), FIELD(BatteryKey), FIELD(BootBBCapacity),
    FIELD(BootCapacityEstimate), FIELD(BootVoltage), FIELD(CFBundleIdentifier), FIELD(ChargerConfiguration),
    FIELD(CurrentCapacity), FIELD(CycleCount), FIELD(DesignCapacity), FIELD(ExternalChargeCapable),
    FIELD(ExternalConnected), FIELD(FullyCharged), FIELD(IOClass), FIELD(IOGeneralInterest), FIELD(IOMatchCategory),
    FIELD(IOProbeScore), FIELD(IOProviderClass), FIELD(InstantAmperage), FIELD(IsCharging), FIELD(Manufacturer),
    FIELD(MaxCapacity), FIELD(Model), FIELD(Serial), FIELD(Temperature), FIELD(TimeRemaining), FIELD(UpdateTime),
    FIELD(Voltage), {&BatteryStatus::_Location, "Location"}, {&BatteryStatus::builtIn, "built-in"}};
#undef FIELD
// clang-format on

// Every key the record knows, each with a value of its own so that a field
// reading the wrong key shows.
plist::Dictionary everyKey() {
    plist::Dictionary dictionary;
    int number = 0;
    for (const auto& [field, key] : kFields) dictionary.set(key, plist::Value(++number));
    return dictionary;
}

TEST(BatteryStatusRecord, EveryFieldHoldsTheValueUnderItsKey) {
    plist::Dictionary dictionary = everyKey();
    dictionary.set("SomethingNew", plist::Value("ignored by the record"));
    const BatteryStatus status(dictionary);
    for (const auto& [field, key] : kFields) {
        ASSERT_TRUE((status.*field).has_value()) << key;
        EXPECT_EQ(*(status.*field), *dictionary.find(key)) << key;
    }
    EXPECT_EQ(status.adapterDetails, nullptr);

    // Absent keys give none; values keep their kind unconverted.
    const BatteryStatus sparse(plist::Dictionary{{"Temperature", plist::Value("hot")}, {"IsCharging", true}});
    EXPECT_EQ(sparse.Temperature, plist::Value("hot"));
    EXPECT_EQ(sparse.IsCharging, plist::Value(true));
    EXPECT_FALSE(sparse.CurrentCapacity.has_value());
    EXPECT_FALSE(sparse._Location.has_value());
    EXPECT_FALSE(sparse.builtIn.has_value());
}

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
    plist::Dictionary dictionary = everyKey();
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
    ASSERT_NE(engine()->lastBatteryStatus, nullptr);
    EXPECT_EQ(engine()->lastBatteryStatus->Serial, *dictionary.find("Serial"));

    // The switch off: the file keeps the previous event.
    useStrategy(kStrategyAggressive, [](Strategie& s) { s.enableSaveLastBattStat = false; });
    battery(50, 100);
    EXPECT_EQ(plist::readDictionary(file), dictionary);
    EXPECT_EQ(engine()->lastBatteryStatus->CurrentCapacity, plist::Value(50));
    EXPECT_EQ(logCount("Battery last status save is disabled"), 1u);

    // No dictionary: nothing at all.
    engine()->batteryStateChanged(nullptr);
    EXPECT_EQ(engine()->lastBatteryStatus->CurrentCapacity, plist::Value(50));
}

}  // namespace
}  // namespace corvane::testing
