// The Adaptive strategy on small phone days whose answers are known in
// advance, against the same day without any saver (the engine not loaded).

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"
#include "shared/SettingsCodes.h"
#include "tests/sim/SimTestSupport.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {
namespace {

using nlohmann::json;

sim::RunSummary withoutSaver(const sim::Scenario& scenario, const std::filesystem::path& folder) {
    sim::RunOptions options;
    options.root = folder / "nosaver";
    options.noSaver = true;
    options.engine = CORVANE_ENGINE_LIBRARY;
    return sim::IsolatedRun::run(scenario, options);
}

// Radios switched off; the low-power mode is no radio.
std::size_t radiosSwitchedOff(const SimulatedDay& day) {
    std::size_t off = 0;
    for (const json& line : day.trace) {
        off += line.contains("radio") && line["radio"] != "lowPowerMode" && line.value("on", true) == false;
    }
    return off;
}

TEST(AdaptiveDayTest, ADayOfOneMinuteLocksNeverSwitchesOffAndCostsWhatThePhoneWithoutSaverCosts) {
    TemporaryRoot folder;
    // From 08:00 to 20:00 the user works 14 minutes, then locks for one.
    std::string events = R"([{"at": 0, "do": "wifi", "network": "Office", "bars": 3})";
    for (int cycle = 0; cycle < 48; ++cycle) {
        const int at = 8 * 3600 + cycle * 900;
        events += R"(, {"at": )" + std::to_string(at) + R"(, "do": "unlock"}, {"at": )" + std::to_string(at + 840) +
                  R"(, "do": "lock"})";
    }
    const sim::Scenario scenario = sim::Scenario::parse(R"({
        "start": "2027-01-18T00:00:00Z", "duration": "20:00", "settings": {"Strategy": 6},
        "radios": {"wifi": true, "edge": true, "bluetooth": true, "location": true, "push": true},
        "apps": [{"bundle": "com.example.mail", "name": "Mail", "wakeEvery": 900}],
        "events": )" + events + "]}");
    const SimulatedDay adaptive = simulateInChild(scenario, folder.path(), kStrategyAdaptive);
    const sim::RunSummary noSaver = withoutSaver(scenario, folder.path());

    EXPECT_EQ(radiosSwitchedOff(adaptive), 0u);
    EXPECT_EQ(adaptive.summary.engineWakes, 0);
    EXPECT_NEAR(adaptive.summary.energyFromBattery, noSaver.energyFromBattery, noSaver.energyFromBattery * 0.01);
    EXPECT_DOUBLE_EQ(adaptive.summary.userTrafficWithoutNetworkMinutes, 0.0);
}

TEST(AdaptiveDayTest, ALongNightSwitchesOffWhatPaysAndRecordsTheSaving) {
    TemporaryRoot folder;
    const sim::Scenario scenario = sim::Scenario::parse(R"({
        "start": "2027-01-18T20:00:00Z", "duration": "12:00", "settings": {"Strategy": 6},
        "radios": {"wifi": true, "edge": true, "bluetooth": true, "location": true, "push": true},
        "events": [{"at": 0, "do": "wifi", "network": "Home", "bars": 3}, {"at": 0, "do": "unlock"},
                   {"at": "02:00", "do": "lock"}, {"at": "11:00", "do": "unlock"}]})");
    const SimulatedDay adaptive = simulateInChild(scenario, folder.path(), kStrategyAdaptive);
    const sim::RunSummary noSaver = withoutSaver(scenario, folder.path());

    // Bluetooth goes off within the first hour of the night and comes back
    // at the unlock; the network stays, as its idle draw cannot pay for a
    // join and a background wake-up every half hour on this phone.
    const auto off = adaptive.lines({{"radio", "bluetooth"}, {"on", false}});
    ASSERT_EQ(off.size(), 1u);
    EXPECT_LT(off[0]["t"].get<double>(), 3 * 3600.0);
    EXPECT_EQ(adaptive.lines({{"radio", "bluetooth"}, {"on", true}}).size(), 1u);
    EXPECT_TRUE(adaptive.lines({{"radio", "wifi"}, {"on", false}}).empty());
    // Bluetooth's idle draw (5 mW) over the rest of the night, less the few decision wake-ups.
    const double saved = noSaver.energyFromBattery - adaptive.summary.energyFromBattery;
    EXPECT_GT(saved, 0.005 * (11 * 3600.0 - off[0]["t"].get<double>()) - 15.0);
    EXPECT_LT(saved, 0.005 * 9 * 3600.0);

    // The engine recorded the night and the radio energy it saved.
    const auto records = plist::readDictionary(adaptive.root / paths::kAdaptiveRecords.substr(1));
    ASSERT_TRUE(records.has_value());
    EXPECT_EQ(records->find(adaptive::kLocks)->asArray()->size(), 1u);
    EXPECT_NEAR(records->find(adaptive::kRadioJoulesSaved)->doubleValue(),
                0.005 * (11 * 3600.0 - off[0]["t"].get<double>()), 1.0);
}

TEST(AdaptiveDayTest, MusicWhileLockedKeepsTheRadiosAndSavesWhatTheLowPowerModeTakesOffTheProcessor) {
    TemporaryRoot folder;
    const sim::Scenario scenario = sim::Scenario::parse(R"({
        "start": "2027-01-18T07:00:00Z", "duration": "01:45", "settings": {"Strategy": 6},
        "device": {"lowPowerMode": true},
        "radios": {"wifi": true, "edge": true, "bluetooth": true, "location": true, "push": true},
        "lists": {"keep": ["com.example.player"]},
        "apps": [{"bundle": "com.example.player", "name": "Player", "audio": true}],
        "events": [{"at": 0, "do": "wifi", "network": "Home", "bars": 3}, {"at": 0, "do": "unlock"},
                   {"at": 60, "do": "app", "bundle": "com.example.player", "state": "foreground"},
                   {"at": 120, "do": "app", "bundle": "com.example.player", "state": "background"},
                   {"at": 180, "do": "lock"},
                   {"at": 1980, "do": "app", "bundle": "com.example.player", "state": "suspended"},
                   {"at": 5580, "do": "unlock"},
                   {"at": 5600, "do": "app", "bundle": "com.example.player", "state": "background"},
                   {"at": 5640, "do": "lock"}, {"at": 6240, "do": "unlock"}]})");
    const SimulatedDay adaptive = simulateInChild(scenario, folder.path(), kStrategyAdaptive);
    const sim::RunSummary noSaver = withoutSaver(scenario, folder.path());

    // The player keeps every radio, playing or paused; the low-power mode
    // is on from the switch-off 5 s after each lock until its unlock.
    EXPECT_EQ(radiosSwitchedOff(adaptive), 0u);
    const auto on = adaptive.lines({{"radio", "lowPowerMode"}, {"on", true}});
    const auto off = adaptive.lines({{"radio", "lowPowerMode"}, {"on", false}});
    ASSERT_EQ(on.size(), 2u);
    ASSERT_EQ(off.size(), 2u);
    EXPECT_DOUBLE_EQ(on[0]["t"].get<double>(), 185.0);
    EXPECT_DOUBLE_EQ(off[0]["t"].get<double>(), 5580.0);
    EXPECT_DOUBLE_EQ(on[1]["t"].get<double>(), 5645.0);
    EXPECT_DOUBLE_EQ(off[1]["t"].get<double>(), 6240.0);
    EXPECT_DOUBLE_EQ(adaptive.summary.userTrafficWithoutNetworkMinutes, 0.0);
    // Nothing to decide while the paused player keeps the radios: the phone sleeps on.
    EXPECT_EQ(adaptive.summary.engineWakes, 0);
    // It saves while the music keeps the phone awake: a fifth of its 90 mW
    // awake draw, until the phone sleeps 20 s after the pause (1815 s), and
    // through the second lock, which the music keeps awake up to the unlock (595 s).
    const double expected = 0.090 * 0.2 * (1815.0 + 595.0);
    EXPECT_NEAR(noSaver.energyFromBattery - adaptive.summary.energyFromBattery, expected, 1.0);
    const auto records = plist::readDictionary(adaptive.root / paths::kAdaptiveRecords.substr(1));
    ASSERT_TRUE(records.has_value());
    EXPECT_NEAR(records->find(adaptive::kRadioJoulesSaved)->doubleValue(), expected, 0.5);
}

TEST(AdaptiveDayTest, AWakeEventGatheredTwiceWaitsNoMoreThanAWakeIntervalPastItsOwnTime) {
    TemporaryRoot folder;
    const sim::Scenario scenario = sim::Scenario::parse(R"({
        "start": "2027-01-18T00:00:00Z", "duration": "01:00", "settings": {"Strategy": 6},
        "apps": [{"bundle": "com.example.mail", "name": "Mail", "wakeEvery": 900}],
        "events": [{"at": 0, "do": "wifi", "network": "Home", "bars": 3}, {"at": 0, "do": "lock"},
                   {"at": 1000, "do": "unlock"}, {"at": 1060, "do": "lock"}]})");
    const SimulatedDay adaptive = simulateInChild(scenario, folder.path(), kStrategyAdaptive);

    // Due at 900 s, moved at the first sleep to half an hour after it, and
    // at the sleep after the glance to no later than 900 s + 30 minutes.
    const auto mail = adaptive.lines({{"appWake", "com.example.mail"}});
    ASSERT_FALSE(mail.empty());
    EXPECT_NEAR(mail[0]["t"].get<double>(), 900.0 + 1800.0, 1.0);
    EXPECT_LE(adaptive.summary.deliveryDelayWorst, 1800.0 + 1.0);
}

TEST(AdaptiveDayTest, ANoDelayApplicationWakingEveryHalfHourCarriesTheOthersAndNoWakeOfItsOwn) {
    TemporaryRoot folder;
    const sim::Scenario scenario = sim::Scenario::parse(R"({
        "start": "2027-01-18T00:00:00Z", "duration": "06:00", "settings": {"Strategy": 6},
        "lists": {"delay": ["com.example.chat"]},
        "apps": [{"bundle": "com.example.chat", "name": "Chat", "wakeEvery": 1800},
                 {"bundle": "com.example.mail", "name": "Mail", "wakeEvery": 900}],
        "events": [{"at": 0, "do": "wifi", "network": "Home", "bars": 3}, {"at": 0, "do": "lock"}]})");
    const SimulatedDay adaptive = simulateInChild(scenario, folder.path(), kStrategyAdaptive);

    EXPECT_EQ(adaptive.summary.engineWakes, 0);
    const auto chat = adaptive.lines({{"appWake", "com.example.chat"}});
    const auto mail = adaptive.lines({{"appWake", "com.example.mail"}});
    EXPECT_GE(chat.size(), 11u);
    // Mail fires with the chat's wake-ups, never on its own, and waits at
    // most a wake interval for them.
    ASSERT_GE(mail.size(), 5u);
    for (const json& fired : mail) {
        bool withChat = false;
        for (const json& carrier : chat)
            withChat = withChat || std::fabs(carrier["t"].get<double>() - fired["t"].get<double>()) < 1.0;
        EXPECT_TRUE(withChat) << fired;
    }
    // The phone wakes for the chat alone, not for the mail in between.
    EXPECT_EQ(adaptive.summary.backgroundWakes, static_cast<int>(chat.size()));
    EXPECT_LE(adaptive.summary.deliveryDelayWorst, 1800.0 + 20.0);
    EXPECT_EQ(adaptive.summary.undelivered, 0u);
}

}  // namespace
}  // namespace corvane::testing
