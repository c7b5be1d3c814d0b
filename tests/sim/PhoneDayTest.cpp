// The phone day around the engine library: the cycle seen in the trace, the
// background wakes and the gathering of other applications' wake events,
// and the files the phone leaves under its root.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <set>

#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"
#include "sim/DeviceProfile.h"
#include "sim/SimServices.h"
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
    TemporaryRoot folder;
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
    EXPECT_NEAR(day.summary.radioOffHours, 588.0 / 3600.0, 0.001);
    EXPECT_EQ(day.summary.userWakes, 1);

    // The files land under the root as on the phone; the last report came on
    // AC, so the adapter is described.
    ::setenv("CORVANE_ROOT", day.root.c_str(), 1);
    EXPECT_GT(day.summary.rowsWritten, 10);
    const auto last = plist::readDictionary(paths::resolve(paths::kLastBatteryState));
    ASSERT_TRUE(last.has_value());
    EXPECT_TRUE(last->find(battery::kExternalConnected)->boolValue());
}

TEST(PhoneDayTest, BackgroundWakesComeAtTheWakeIntervalAndGatherOtherApplications) {
    TemporaryRoot folder;
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

    // Left on the root for the app, the phone's scheduled events as the day
    // ended: the engine's next wake and both applications' events.
    ::setenv("CORVANE_ROOT", day.root.c_str(), 1);
    const auto file = plist::readDictionary(paths::resolve(paths::kScheduledPowerEvents));
    ASSERT_TRUE(file.has_value());
    const plist::Value* events = file->find(power::kEventsKey);
    ASSERT_TRUE(events != nullptr && events->isArray());
    std::set<std::string> schedulers;
    for (const plist::Value& event : *events->asArray()) {
        const plist::Value* by = event.isDictionary() ? event.asDictionary()->find(power::kEventScheduledBy) : nullptr;
        if (by != nullptr && by->asString() != nullptr) schedulers.insert(*by->asString());
    }
    EXPECT_TRUE(schedulers.count(engine));
    EXPECT_EQ(schedulers.size(), 3u);
}

// An application on the no-delay list wakes the phone every 30 minutes,
// more often than the strategy's wake interval (60 minutes): every sleep
// would push the engine's own wake, and the hourly mail event gathered
// behind it, further on. The mail event still fires within the wake
// interval and the 20 s grace past its own time; under None it keeps its time.
TEST(PhoneDayTest, AFrequentNoDelayApplicationNoLongerStarvesAnotherApplicationsEvent) {
    TemporaryRoot folder;
    const std::string scenario = R"({
        "start": "2027-01-18T00:00:00Z", "duration": "12:00",
        "settings": {"Strategy": 5, "WakeInterval": 60, "WiFiAtSleep": 0, "EdgeAtSleep": 0},
        "lists": {"delay": ["com.example.chat"]},
        "apps": [{"bundle": "com.example.mail", "name": "Mail", "wakeEvery": 3600},
                 {"bundle": "com.example.chat", "name": "Chat", "wakeEvery": 1800}],
        "events": [{"at": 0, "do": "wifi", "network": "Home"}, {"at": 0, "do": "lock"}]})";
    for (const std::int32_t strategy : {5, 0}) {
        const SimulatedDay day =
            simulateInChild(sim::Scenario::parse(scenario), folder.path() / std::to_string(strategy), strategy);
        const auto mail = day.lines({{"appWake", "com.example.mail"}});
        const auto chat = day.lines({{"appWake", "com.example.chat"}});
        EXPECT_EQ(chat.size(), 23u) << strategy;  // at its own times, every 30 minutes
        if (strategy == 0) {
            EXPECT_EQ(mail.size(), 11u);
            EXPECT_EQ(day.summary.neverDelivered(), 0u);
            EXPECT_LT(day.summary.deliveryDelayWorst, 5.0);
            continue;
        }
        // Each mail event fires 60 min 20 s past its own time, then the next is due an hour later.
        ASSERT_EQ(mail.size(), 5u);
        for (std::size_t i = 0; i < mail.size(); ++i) {
            EXPECT_NEAR(mail[i]["t"].get<double>(), 3600.0 + 3620.0 + 7220.0 * static_cast<double>(i), 2.0) << i;
        }
        EXPECT_LE(day.summary.deliveryDelayWorst, 3600.0 + 20.0 + 5.0);
        EXPECT_GT(day.summary.deliveryDelayWorst, 3600.0);
        // The sixth, due at 11 h 1 min 40 s, still waits at the end and counts with its wait.
        EXPECT_EQ(day.summary.neverFired, 1u);
        EXPECT_EQ(day.summary.wakeEventsDue(), mail.size() + chat.size() + 1);
    }
}

// Car mode alone, under None, on a day that leaves the charger in the
// morning: it switches Bluetooth and location off at the unplug, and with no
// application using location that saves Bluetooth's idle draw, exactly.
TEST(PhoneDayTest, CarModeAloneSavesBluetoothsIdleDraw) {
    TemporaryRoot folder;
    const sim::DeviceProfile p = sim::DeviceProfile::find("phone-2013");
    std::vector<std::unique_ptr<sim::IsolatedRun>> runs;
    for (const char* carMode : {"false", "true"}) {
        sim::RunOptions options;
        options.root = folder.path() / carMode;
        options.engine = CORVANE_ENGINE_LIBRARY;
        runs.push_back(std::make_unique<sim::IsolatedRun>(
            sim::Scenario::parse(std::string(R"({"start": "2027-01-18T07:00:00Z", "duration": "10:00",
                "settings": {"Strategy": 0, "CarMode": )") +
                                 carMode + R"(},
                "radios": {"wifi": false, "bluetooth": true, "location": true},
                "events": [{"at": 0, "do": "ac", "on": true}, {"at": 60, "do": "ac", "on": false},
                           {"at": 60, "do": "lock"}]})"),
            options));
    }
    const sim::RunSummary without = runs[0]->finish("without car mode");
    const sim::RunSummary with = runs[1]->finish("with car mode");
    const double bluetooth = p.bluetoothIdle * (10 * 3600.0 - 60.0) / 1000.0;
    EXPECT_NEAR(without.energyFromBattery - with.energyFromBattery, bluetooth, 0.002);  // joules to 3 places
    EXPECT_NEAR(with.radioOffHoursByRadio.at("location"), 10.0 - 60.0 / 3600.0, 0.001);
    EXPECT_DOUBLE_EQ(without.radioOffHoursByRadio.at("bluetooth"), 0.0);
}

// Phone days whose energy is known from the profile's figures, strategy
// None (the engine switches nothing), all run side by side.
TEST(PhoneDayTest, SmallDaysCostWhatTheProfileSays) {
    TemporaryRoot folder;
    const sim::DeviceProfile p = sim::DeviceProfile::find("phone-2013");
    const std::string head = R"({"start": "2027-01-18T00:00:00Z", "settings": {"Strategy": 0},
                                  "radios": {"bluetooth": false, "location": false, )";
    struct Day {
        const char* name = "";
        std::string json;
        std::unique_ptr<sim::IsolatedRun> run;
        sim::RunSummary summary;
    };
    std::vector<Day> days;
    const auto add = [&](const char* name, std::string json) {
        days.emplace_back();
        days.back().name = name;
        days.back().json = std::move(json);
    };
    add("standby", head + R"("wifi": false}, "duration": "10:00", "events": [{"at": 0, "do": "lock"}]})");
    add("web", head + R"("wifi": true}, "duration": "01:00",
                    "events": [{"at": 0, "do": "wifi", "network": "Home"}, {"at": 0, "do": "unlock"}]})");
    add("offline", head + R"("wifi": false, "edge": false}, "duration": "01:00",
                    "events": [{"at": 0, "do": "unlock"}]})");
    // Nights: data on, data on in airplane mode, data off.
    using Night = std::pair<const char*, const char*>;
    for (const auto& [edge, airplane] : {Night{"true", "false"}, Night{"true", "true"}, Night{"false", "false"}}) {
        add("night", head + R"("wifi": true, "edge": )" + edge + R"(}, "duration": "08:00",
                        "events": [{"at": 0, "do": "wifi", "network": "Home"}, {"at": 0, "do": "lock"},
                                   {"at": 0, "do": "airplane", "on": )" +
                         airplane + "}]}");
    }
    for (std::size_t i = 0; i < days.size(); ++i) {
        sim::RunOptions options;
        options.root = folder.path() / std::to_string(i);
        options.engine = CORVANE_ENGINE_LIBRARY;
        days[i].run = std::make_unique<sim::IsolatedRun>(sim::Scenario::parse(days[i].json), options);
    }
    for (Day& day : days) day.summary = day.run->finish(day.name);

    // Standby alone lasts the rated 250 h; an hour of web on WiFi the rated 10 h.
    ASSERT_TRUE(days[0].summary.hoursAtMeanDraw().has_value());
    EXPECT_NEAR(*days[0].summary.hoursAtMeanDraw(), 250.0, 250.0 * 0.03);
    ASSERT_TRUE(days[1].summary.hoursAtMeanDraw().has_value());
    EXPECT_NEAR(*days[1].summary.hoursAtMeanDraw(), 10.0, 10.0 * 0.03);
    // Without any network the user's hour is lost traffic and costs no radio.
    // A page a minute on WiFi: one second at the transfer draw instead of idle.
    EXPECT_NEAR(days[1].summary.transferEnergy, (p.wifiActive - p.wifiIdle) * p.webTransfer * 3.6 / p.webEvery, 0.05);
    EXPECT_NEAR(days[2].summary.userTrafficWithoutNetworkMinutes, 60.0, 0.1);
    EXPECT_DOUBLE_EQ(days[2].summary.transferEnergy, 0.0);
    EXPECT_NEAR(days[2].summary.energy[static_cast<std::size_t>(sim::Component::Cellular)], p.cellularPaging * 3.6,
                0.5);
    // Airplane mode at night saves the paging of eight hours; data off saves nothing.
    const double paging = p.cellularPaging * 8 * 3.6;
    EXPECT_NEAR(days[3].summary.energyFromBattery - days[4].summary.energyFromBattery, paging, paging * 0.05);
    EXPECT_NEAR(days[5].summary.energyFromBattery, days[3].summary.energyFromBattery, 1.0);
}

TEST(PhoneDayTest, OSBatchingDefersWakesToGrowingWindowsButNotAlarmClocks) {
    TemporaryRoot folder;
    const sim::Scenario scenario = sim::Scenario::parse(R"({
        "start": "2027-01-18T00:00:00Z", "duration": "08:00", "settings": {"Strategy": 2},
        "apps": [{"bundle": "com.example.mail", "name": "Mail", "wakeEvery": 600},
                 {"bundle": "com.example.alarm", "name": "Alarm", "wakeEvery": 5400, "alarm": true}],
        "events": [{"at": 0, "do": "wifi", "network": "Home"}, {"at": 0, "do": "lock"},
                   {"at": "05:00", "do": "unlock"}, {"at": "05:05", "do": "lock"}]})");
    sim::RunOptions options;
    options.root = folder.path() / "root";
    options.trace = folder.path() / "trace.jsonl";
    options.engine = CORVANE_ENGINE_LIBRARY;
    options.osBatching = true;
    const sim::RunSummary summary = sim::IsolatedRun::run(scenario, options);
    const auto trace = readTrace(*options.trace);
    EXPECT_EQ(summary.strategyName, "OS batching");
    EXPECT_EQ(summary.engineWakes, 0);  // no saver: the engine is not even loaded

    std::vector<double> mail, alarm;
    for (const json& line : trace) {
        if (line.value("appWake", "") == "com.example.mail") mail.push_back(line["t"].get<double>());
        if (line.value("appWake", "") == "com.example.alarm") alarm.push_back(line["t"].get<double>());
    }
    // Windows 1 h and 3 h into the idle spell; the unlock at 5 h releases what
    // waits; a new spell starts at the lock (first window 1 h later).
    const std::vector<double> windows{3600.5, 10800.5, 18000.0, 18300.0 + 3600.5};
    ASSERT_EQ(mail.size(), windows.size());
    for (std::size_t i = 0; i < mail.size(); ++i) EXPECT_NEAR(mail[i], windows[i], 1.0) << i;
    // The alarm clock fires at its own times, 1.5 h apart.
    ASSERT_GE(alarm.size(), 4u);
    for (std::size_t i = 0; i < alarm.size(); ++i) EXPECT_NEAR(alarm[i], 5400.0 * (i + 1), 3.0) << i;
    // The longest wait: the event due at 3 h 10 min, released by the unlock at 5 h.
    EXPECT_NEAR(summary.deliveryDelayWorst, 18000.0 - 11400.5, 2.0);
}

TEST(PhoneDayTest, AStrategyNumberThatNamesNoStrategyRunsAndIsReportedAsNormal) {
    TemporaryRoot folder;
    const sim::Scenario scenario = sim::Scenario::parse(R"({
        "start": "2027-01-18T08:00:00Z", "duration": 600, "settings": {"Strategy": 99},
        "events": [{"at": 0, "do": "wifi", "network": "Home"}, {"at": 60, "do": "lock"}]})");
    const SimulatedDay day = simulateInChild(scenario, folder.path());
    EXPECT_EQ(day.summary.strategyName, "Normal");
    // Normal's 15 s after the lock.
    EXPECT_DOUBLE_EQ(firstTime(day.lines({{"radio", "wifi"}, {"on", false}})), 75.0);
}

TEST(SimSystemLogTest, KeepsOnlyTheLatestLines) {
    sim::SimSystemLog log;
    for (std::size_t i = 0; i <= sim::SimSystemLog::kKeptLines; ++i) log.write("line " + std::to_string(i));
    const std::vector<std::string> kept = log.lines();
    ASSERT_EQ(kept.size(), sim::SimSystemLog::kKeptLines);
    EXPECT_EQ(kept.front(), "line 1");
    EXPECT_EQ(kept.back(), "line " + std::to_string(sim::SimSystemLog::kKeptLines));
}

}  // namespace
}  // namespace corvane::testing
