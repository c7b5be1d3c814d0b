// The phone day around the engine library: the cycle seen in the trace, the
// background wakes and the gathering of other applications' wake events,
// and the files the phone leaves under its root.

#include <gtest/gtest.h>

#include <cmath>

#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"
#include "tests/sim/SimTestSupport.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {
namespace {

using nlohmann::json;

double firstTime(const std::vector<json>& lines, double after = -1.0) {
    for (const json& line : lines) {
        if (line["t"].get<double>() > after) return line["t"].get<double>();
    }
    return -1.0;
}

TEST(PhoneDayTest, NormalSwitchesRadiosOff15SecondsAfterTheLockAndOn3SecondsAfterTheUnlock) {
    MemoryBackedTemporaryRoot folder;
    const sim::Scenario scenario = sim::Scenario::parse(R"({
        "start": "2027-01-18T08:00:00Z", "duration": 1200,
        "settings": {"Strategy": 2},
        "events": [{"at": 0, "do": "wifi", "network": "Home"},
                   {"at": 60, "do": "lock"},
                   {"at": 660, "do": "unlock"},
                   {"at": 900, "do": "ac", "on": true}]})");
    const SimulatedDay day = simulateInChild(scenario, folder.path());

    for (const char* radio : {"wifi", "edge"}) {
        const auto off = day.lines({{"radio", radio}, {"on", false}});
        const auto on = day.lines({{"radio", radio}, {"on", true}});
        ASSERT_EQ(off.size(), 1u) << radio;
        ASSERT_EQ(on.size(), 1u) << radio;
        EXPECT_DOUBLE_EQ(off[0]["t"].get<double>(), 75.0) << radio;
        EXPECT_DOUBLE_EQ(on[0]["t"].get<double>(), 663.0) << radio;
    }
    // Between the two the phone slept, and the user's unlock woke it.
    EXPECT_EQ(firstTime(day.lines({{"system", "sleep"}})), 80.0);
    EXPECT_EQ(firstTime(day.lines({{"system", "powerOn"}, {"cause", "unlock"}})), 660.0);
    EXPECT_EQ(day.lines({{"power", "canSystemSleep"}, {"answer", "allowed"}}).size(), 1u);
    EXPECT_NEAR(day.summary.radioOffHours, 588.0 / 3600.0, 0.001);
    EXPECT_EQ(day.summary.userWakes, 1);

    // The files land under the root as on the phone, and the phone describes itself.
    ::setenv("CORVANE_ROOT", day.root.c_str(), 1);
    EXPECT_TRUE(std::filesystem::exists(paths::resolve(paths::kStatisticsDatabase)));
    EXPECT_GT(day.summary.rowsWritten, 10);
    const auto version = plist::readDictionary(paths::resolve(paths::kSystemVersion));
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(*version->find(systemversion::kProductVersion)->asString(), "8.1");
    const auto device = plist::readDictionary(paths::resolve(paths::kSimulatedDevice));
    ASSERT_TRUE(device.has_value());
    EXPECT_EQ(*device->find(simdevice::kMachine)->asString(), "iPhone6,1");
    EXPECT_TRUE(plist::readDictionary(paths::resolve(paths::kMobileData)).has_value());
    // The last report came on AC: the adapter is described.
    const auto last = plist::readDictionary(paths::resolve(paths::kLastBatteryState));
    ASSERT_TRUE(last.has_value());
    EXPECT_TRUE(last->find(battery::kAdapterDetails) != nullptr);
    EXPECT_TRUE(last->find(battery::kExternalConnected)->boolValue());
}

TEST(PhoneDayTest, BackgroundWakesComeAtTheWakeIntervalAndGatherOtherApplications) {
    MemoryBackedTemporaryRoot folder;
    const sim::Scenario scenario = sim::Scenario::parse(R"({
        "start": "2027-01-18T01:00:00Z", "duration": 7200,
        "settings": {"Strategy": 2},
        "apps": [{"bundle": "com.example.mail", "name": "Mail", "wakeEvery": 600},
                 {"bundle": "com.example.chat", "name": "Chat", "wakeEvery": 1500}],
        "events": [{"at": 0, "do": "wifi", "network": "Home"}, {"at": 10, "do": "lock"}]})");
    const SimulatedDay day = simulateInChild(scenario, folder.path());
    const std::string engine(power::kEngineScheduler);

    const auto sleeps = day.lines({{"system", "sleep"}});
    const auto engineWakes = day.lines({{"system", "powerOn"}, {"cause", engine}});
    ASSERT_GE(engineWakes.size(), 4u);
    EXPECT_EQ(day.summary.engineWakes, static_cast<int>(engineWakes.size()));
    // No application wakes the sleeping phone on its own: every wake is the engine's.
    EXPECT_EQ(day.summary.backgroundWakes, day.summary.engineWakes);

    for (const json& wake : engineWakes) {
        const double t = wake["t"].get<double>();
        // The sleep before it scheduled the engine's event one wake interval (15 min) later ...
        double slept = -1.0;
        for (const json& sleep : sleeps) {
            if (sleep["t"].get<double>() < t) slept = sleep["t"].get<double>();
        }
        ASSERT_GE(slept, 0.0);
        EXPECT_NEAR(t - slept, 900.0, 1.0);
        // ... and moved both applications' events 20 s behind it, where they fire.
        for (const char* bundle : {"com.example.mail", "com.example.chat"}) {
            bool gathered = false;
            for (const json& fired : day.lines({{"appWake", bundle}})) {
                gathered = gathered || std::fabs(fired["t"].get<double>() - (t + 20.0)) <= 1.0;
            }
            EXPECT_TRUE(gathered) << bundle << " at engine wake " << t;
        }
    }
    // Every other wake restores the radios in background and holds them 120 s.
    EXPECT_GE(day.lines({{"radio", "wifi"}, {"on", true}}).size(), 2u);
    EXPECT_GT(day.summary.sleepsRefused, 0);
    EXPECT_GT(day.summary.delivered, 0u);
    EXPECT_GT(day.summary.deliveryDelayMean, 0.0);
}

}  // namespace
}  // namespace corvane::testing
