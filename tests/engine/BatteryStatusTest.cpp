#include "engine/battery/BatteryStatus.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "BatteryEngineFixture.h"
#include "engine/battery/AdapterDetails.h"
#include "shared/PropertyListFile.h"

namespace corvane {
namespace {

using testing::BatteryEngineTest;

// Every key the record knows, each with a value of its own so that a field
// reading the wrong key shows.
plist::Dictionary everyKey() {
    plist::Dictionary dictionary;
    int number = 0;
    for (std::string_view key :
         {battery::kAdapterInfo, battery::kAmperage, battery::kAppleRawCurrentCapacity, battery::kAppleRawMaxCapacity,
          battery::kAtCriticalLevel, battery::kAtWarnLevel, battery::kBatteryInstalled, battery::kBatteryKey,
          battery::kBootBBCapacity, battery::kBootCapacityEstimate, battery::kBootVoltage,
          battery::kCFBundleIdentifier, battery::kChargerConfiguration, battery::kCurrentCapacity,
          battery::kCycleCount, battery::kDesignCapacity, battery::kExternalChargeCapable,
          battery::kExternalConnected, battery::kFullyCharged, battery::kIOClass, battery::kIOGeneralInterest,
          battery::kIOMatchCategory, battery::kIOProbeScore, battery::kIOProviderClass, battery::kInstantAmperage,
          battery::kIsCharging, battery::kLocation, battery::kManufacturer, battery::kMaxCapacity, battery::kModel,
          battery::kSerial, battery::kTemperature, battery::kTimeRemaining, battery::kUpdateTime, battery::kVoltage,
          battery::kBuiltIn}) {
        dictionary.set(key, plist::Value(++number));
    }
    return dictionary;
}

TEST(BatteryStatusRecord, EveryFieldHoldsTheValueUnderItsKey) {
    plist::Dictionary dictionary = everyKey();
    dictionary.set("SomethingNew", plist::Value("ignored by the record"));
    const BatteryStatus status(dictionary);

    const std::pair<const std::optional<plist::Value>*, std::string_view> fields[] = {
        {&status.AdapterInfo, battery::kAdapterInfo},
        {&status.Amperage, battery::kAmperage},
        {&status.AppleRawCurrentCapacity, battery::kAppleRawCurrentCapacity},
        {&status.AppleRawMaxCapacity, battery::kAppleRawMaxCapacity},
        {&status.AtCriticalLevel, battery::kAtCriticalLevel},
        {&status.AtWarnLevel, battery::kAtWarnLevel},
        {&status.BatteryInstalled, battery::kBatteryInstalled},
        {&status.BatteryKey, battery::kBatteryKey},
        {&status.BootBBCapacity, battery::kBootBBCapacity},
        {&status.BootCapacityEstimate, battery::kBootCapacityEstimate},
        {&status.BootVoltage, battery::kBootVoltage},
        {&status.CFBundleIdentifier, battery::kCFBundleIdentifier},
        {&status.ChargerConfiguration, battery::kChargerConfiguration},
        {&status.CurrentCapacity, battery::kCurrentCapacity},
        {&status.CycleCount, battery::kCycleCount},
        {&status.DesignCapacity, battery::kDesignCapacity},
        {&status.ExternalChargeCapable, battery::kExternalChargeCapable},
        {&status.ExternalConnected, battery::kExternalConnected},
        {&status.FullyCharged, battery::kFullyCharged},
        {&status.IOClass, battery::kIOClass},
        {&status.IOGeneralInterest, battery::kIOGeneralInterest},
        {&status.IOMatchCategory, battery::kIOMatchCategory},
        {&status.IOProbeScore, battery::kIOProbeScore},
        {&status.IOProviderClass, battery::kIOProviderClass},
        {&status.InstantAmperage, battery::kInstantAmperage},
        {&status.IsCharging, battery::kIsCharging},
        {&status._Location, "Location"},
        {&status.Manufacturer, battery::kManufacturer},
        {&status.MaxCapacity, battery::kMaxCapacity},
        {&status.Model, battery::kModel},
        {&status.Serial, battery::kSerial},
        {&status.Temperature, battery::kTemperature},
        {&status.TimeRemaining, battery::kTimeRemaining},
        {&status.UpdateTime, battery::kUpdateTime},
        {&status.Voltage, battery::kVoltage},
        {&status.builtIn, "built-in"},
    };
    for (const auto& [field, key] : fields) {
        ASSERT_TRUE(field->has_value()) << key;
        EXPECT_EQ(**field, *dictionary.find(key)) << key;
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
    const plist::Dictionary adapter{{"Amperage", 1000}, {"Description", "usb host"}, {"FamilyCode", -536854528},
                                    {"PMUConfiguration", 2}, {"Watts", 5.5}, {"Other", 1}};
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

TEST_F(BatteryEngineTest, LastBatteryStateFileIsTheReceivedDictionary) {
    plist::Dictionary dictionary = everyKey();
    dictionary.set("AdapterDetails", plist::Dictionary{{"Watts", 12}});
    dictionary.set("KeyTheRecordDoesNotKnow", plist::Array{plist::Value(1), plist::Value("two")});
    const std::filesystem::path file = paths::resolve(paths::kLastBatteryState);

    // Statistics saving off, last state on: no database (so nothing created
    // the statistics folder before), yet the file is written with every key.
    useStrategy(kStrategyAggressive, [](Strategie& s) { s.enableSaveStats = false; });
    advance(40);
    event(dictionary);
    EXPECT_EQ(plist::readDictionary(file), dictionary);
    EXPECT_FALSE(std::filesystem::exists(databasePath()));
    ASSERT_NE(engine->lastBatteryStatus, nullptr);
    EXPECT_EQ(engine->lastBatteryStatus->Serial, *dictionary.find("Serial"));

    // The switch off: the file keeps the previous event.
    useStrategy(kStrategyAggressive, [](Strategie& s) { s.enableSaveLastBattStat = false; });
    const plist::Dictionary next = reading(50, 100);
    event(next);
    EXPECT_EQ(plist::readDictionary(file), dictionary);
    EXPECT_EQ(engine->lastBatteryStatus->CurrentCapacity, plist::Value(50));
    EXPECT_EQ(logCount("Battery last status save is disabled"), 1u);

    // No dictionary: nothing at all.
    engine->batteryStateChanged(nullptr);
    EXPECT_EQ(engine->lastBatteryStatus->CurrentCapacity, plist::Value(50));
}

}  // namespace
}  // namespace corvane
