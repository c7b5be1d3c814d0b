// Reading scenarios: what a good one gives, and how a bad one is refused
// (one message naming the place, exit status 2, nothing written).

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "sim/PhoneSimCommand.h"
#include "sim/Scenario.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {
namespace {

using sim::Scenario;
using sim::ScenarioError;

constexpr const char* kHead = R"("start": "2027-01-18T08:00:00Z", "duration": 3600)";

// The place and the message of the refusal; "(accepted)" for both when read.
std::pair<std::string, std::string> refusal(const std::string& json) {
    try {
        Scenario::parse(json);
    } catch (const ScenarioError& error) {
        return {error.place(), error.what()};
    }
    return {"(accepted)", "(accepted)"};
}
std::string placeOfError(const std::string& json) { return refusal(json).first; }
std::string messageOfError(const std::string& json) { return refusal(json).second; }

TEST(ScenarioTest, ReadsEveryPartOfAScenario) {
    const Scenario s = Scenario::parse(std::string("{") + kHead + R"(,
        "name": "day", "comment": "free text", "profile": "phone-2013",
        "device": {"machine": "iPhone7,2", "systemVersion": "9.3", "dataRates": ["2G", "3G", "2G"], "lowPowerMode": false},
        "battery": {"designCapacity": 1810, "startPercent": 55.5},
        "radios": {"wifi": false, "edge": true, "bluetooth": true, "location": false, "push": false},
        "settings": {"Strategy": 3, "WakeInterval": 20.5, "Debug": true},
        "lists": {"shutdown": ["com.game"], "keep": {"com.music": true, "com.old": false}},
        "apps": [{"bundle": "com.mail", "name": "Mail", "wakeEvery": 900},
                 {"bundle": "com.music", "name": "Music", "audio": true, "location": true, "network": false,
                  "alarm": true}],
        "events": [
            {"at": 0, "do": "wifi", "network": "Home", "bars": 2},
            {"at": "00:10", "do": "lock", "comment": "ten minutes in"},
            {"at": 700, "do": "wifi", "network": null},
            {"at": "00:20:30", "do": "app", "bundle": "com.music", "state": "background"},
            {"at": 1300, "do": "settings", "set": {"Strategy": 4, "MinRate": 1}},
            {"at": 1400, "do": "call", "active": true},
            {"at": 1500, "do": "battery", "percent": 12},
            {"at": 1600, "do": "notify", "name": "com.quibbit.Corvane-wake"},
            {"at": 1700, "do": "cellular", "bars": 0},
            {"at": 3600, "do": "ac", "on": true}
        ]})");
    EXPECT_DOUBLE_EQ(s.start, 1800259200.0);  // 2027-01-18T08:00:00Z
    EXPECT_EQ(s.device.machine, "iPhone7,2");
    EXPECT_EQ(s.device.dataRates, (std::vector{platform::DataRate::Rate2G, platform::DataRate::Rate3G}));
    EXPECT_FALSE(s.device.lowPowerMode);
    EXPECT_DOUBLE_EQ(s.battery.startPercent, 55.5);
    EXPECT_EQ(s.radios, (std::map<sim::Radio, bool>{{sim::Radio::WiFi, false},
                                                    {sim::Radio::Edge, true},
                                                    {sim::Radio::Bluetooth, true},
                                                    {sim::Radio::Location, false},
                                                    {sim::Radio::Push, false}}));
    ASSERT_TRUE(s.settings.has_value());
    EXPECT_EQ(s.strategyNumber(), 3);
    EXPECT_TRUE(s.settings->find("WakeInterval")->isReal());
    EXPECT_TRUE(s.lists.shutdown->find("com.game")->boolValue());
    EXPECT_FALSE(s.lists.keep->find("com.old")->boolValue());
    EXPECT_FALSE(s.lists.delay.has_value());
    ASSERT_EQ(s.apps.size(), 2u);
    EXPECT_EQ(s.apps[0].wakeEvery, 900.0);
    EXPECT_EQ(s.profile, "phone-2013");
    EXPECT_TRUE(s.apps[1].audio && s.apps[1].location && !s.apps[1].network && s.apps[1].alarm);
    ASSERT_EQ(s.events.size(), 10u);
    EXPECT_EQ(s.events[8].kind, sim::EventKind::Cellular);
    EXPECT_DOUBLE_EQ(s.events[1].at, 600.0);
    EXPECT_FALSE(s.events[2].network.has_value());
    EXPECT_DOUBLE_EQ(s.events[3].at, 1230.0);
    EXPECT_EQ(s.events[3].state, sim::AppState::Background);
    EXPECT_EQ(s.events[4].set.find("Strategy")->intValue(), 4);
    EXPECT_EQ(s.events[7].name, "com.quibbit.Corvane-wake");
}

TEST(ScenarioTest, AProfileFileIsFoundBesideTheScenario) {
    TemporaryRoot folder;
    const std::filesystem::path days = folder.path() / "days";
    std::filesystem::create_directories(days);
    std::ofstream(days / "day.json") << std::string("{") + kHead + R"(, "profile": "slow.json"})";
    EXPECT_EQ(Scenario::load(days / "day.json").profile, (days / "slow.json").string());
}

TEST(ScenarioTest, RefusesBadInputNamingThePlace) {
    const std::string head = std::string("{") + kHead;
    // Unknown keys, at the top, nested, and in an event.
    EXPECT_EQ(placeOfError(head + R"(, "colour": 1})"), "/colour");
    EXPECT_EQ(placeOfError(head + R"(, "battery": {"startPercent": 50, "capacity": 1}})"), "/battery/capacity");
    EXPECT_EQ(placeOfError(head + R"(, "radios": {"wifi": true, "lowPowerMode": true}})"), "/radios/lowPowerMode");
    EXPECT_EQ(placeOfError(head + R"(, "device": {"dataRates": ["3G", "5G"]}})"), "/device/dataRates/1");
    EXPECT_EQ(
        placeOfError(head + R"(, "events": [{"at": 0, "do": "lock"}, {"at": 1, "do": "ac", "on": true, "volts": 5}]})"),
        "/events/1/volts");
    EXPECT_NE(messageOfError(head + R"(, "colour": 1})").find("unknown key \"colour\""), std::string::npos);
    // A key that belongs to another kind of event is unknown for this one.
    EXPECT_EQ(placeOfError(head + R"(, "events": [{"at": 0, "do": "lock", "on": true}]})"), "/events/0/on");
    // Wrong types.
    EXPECT_EQ(placeOfError(head + R"(, "battery": {"startPercent": "full"}})"), "/battery/startPercent");
    EXPECT_EQ(placeOfError(head + R"(, "events": {"at": 0}})"), "/events");
    EXPECT_EQ(placeOfError(head + R"(, "settings": {"Strategy": "Normal"}})"), "/settings/Strategy");
    EXPECT_NE(messageOfError(head + R"(, "radios": {"wifi": 1}})").find("expected a boolean"), std::string::npos);
    // Out of time order, after the end, unknown kinds, unknown applications.
    EXPECT_EQ(
        placeOfError(
            head + R"(, "events": [{"at": 10, "do": "lock"}, {"at": 20, "do": "unlock"}, {"at": 15, "do": "lock"}]})"),
        "/events/2/at");
    EXPECT_EQ(placeOfError(head + R"(, "events": [{"at": 3601, "do": "lock"}]})"), "/events/0/at");
    EXPECT_EQ(placeOfError(head + R"(, "events": [{"at": 0, "do": "lock"}, {"at": 5, "do": "dance"}]})"),
              "/events/1/do");
    EXPECT_EQ(
        placeOfError(head + R"(, "events": [{"at": 0, "do": "app", "bundle": "com.nope", "state": "foreground"}]})"),
        "/events/0/bundle");
    EXPECT_EQ(placeOfError(head + R"(, "apps": [{"bundle": "", "name": "Nameless"}]})"), "/apps/0/bundle");
    EXPECT_EQ(placeOfError(head + R"(, "events": [{"at": 0, "do": "wifi", "network": "x", "bars": 7}]})"),
              "/events/0/bars");
    EXPECT_EQ(placeOfError(head + R"(, "events": [{"at": 0, "do": "cellular"}]})"), "/events/0");
    // Missing keys name the object that lacks them; JSON pointers escape '/' and '~'.
    EXPECT_EQ(placeOfError(R"({"duration": 10})"), "");
    EXPECT_EQ(placeOfError(head + R"(, "events": [{"at": 0}]})"), "/events/0");
    EXPECT_EQ(placeOfError(R"({"start": "2027-02-30T00:00:00Z", "duration": 10})"), "/start");
    // Not JSON at all.
    EXPECT_NE(messageOfError("{\"start\": ").find("not JSON"), std::string::npos);
}

TEST(ScenarioTest, NumbersThatOverflowWrapOrRunAwayAreRefusedAtTheirPlace) {
    const std::string start = R"({"start": "2027-01-18T08:00:00Z", )";
    const std::vector<std::pair<std::string, std::string>> refused = {
        {start + R"("duration": 1e400})", "/duration"},
        {start + R"("duration": 60, "events": [{"at": 0, "do": "lock"}, {"at": -1e999, "do": "lock"}]})",
         "/events/1/at"},
        {start + R"("duration": "4294967297:00"})", "/duration"},
        {start + R"("duration": "99999999999999999999999:00"})", "/duration"},
        {start + R"("duration": 1e12})", "/duration"},
        {start + R"("duration": "8761:00"})", "/duration"},
        {start + R"("duration": -5})", "/duration"},
        {start + R"("duration": 60, "events": [{"at": -5, "do": "lock"}]})", "/events/0/at"},
        {start + R"("duration": 0})", "/duration"},
        {start + R"("duration": "90"})", "/duration"},  // a clock time has its minutes
        {start + R"("duration": 60, "battery": {"startPercent": 100.5}})", "/battery/startPercent"},
        {start + R"("duration": 60, "battery": {"designCapacity": 50}})", "/battery/designCapacity"},
        {start + R"("duration": 60, "events": [{"at": 0, "do": "cellular", "bars": -1}]})", "/events/0/bars"},
        {start + R"("duration": 60, "settings": {"Strategy": 18446744073709551614}})", "/settings/Strategy"},
        {R"({"start": "2027-01-18T-1:00:00Z", "duration": 60})", "/start"},
        {R"({"start": "2027-01-18T08:00:nanZ", "duration": 60})", "/start"},
        {R"({"start": "2027-01-18T08:00:00+01:00", "duration": 60})", "/start"},
    };
    for (const auto& [json, place] : refused) EXPECT_EQ(placeOfError(json), place) << json;
    EXPECT_DOUBLE_EQ(Scenario::parse(start + R"("duration": "8760:00"})").duration, 365 * 86400.0);
    // Seconds keep their fraction; an event sent to a running phone for a past time happens now.
    EXPECT_DOUBLE_EQ(Scenario::parse(R"({"start": "2027-01-18T08:00:30.5Z", "duration": 60})").start, 1800259230.5);
    EXPECT_DOUBLE_EQ(Scenario::parse(R"({"start": "2027-01-18T08:00:00+00:00", "duration": 60})").start, 1800259200.0);
    EXPECT_DOUBLE_EQ(Scenario::parse(start + R"("duration": 60})").parseEvent(R"({"at": 10, "do": "lock"})", 30, "").at,
                     30.0);
}

TEST(ScenarioTest, BadScenarioExitsWithStatusTwoBeforeWritingAnything) {
    TemporaryRoot folder;
    const std::filesystem::path scenario = folder.path() / "bad.json";
    const std::filesystem::path phoneRoot = folder.path() / "phone";
    const std::filesystem::path trace = folder.path() / "trace.jsonl";
    std::ofstream(scenario) << std::string("{") + kHead +
                                   R"(, "events": [{"at": 0, "do": "lock"}, {"at": 3, "do": "fly"}]})";

    std::ostringstream out, err;
    const int status = sim::PhoneSimCommand::run(
        {"--root", phoneRoot.string(), "--trace", trace.string(), scenario.string()}, "unused.so", out, err);
    EXPECT_EQ(status, sim::PhoneSimCommand::kBadInput);
    EXPECT_TRUE(out.str().empty());
    EXPECT_NE(err.str().find("/events/1/do"), std::string::npos) << err.str();
    const std::string message = err.str();
    EXPECT_EQ(std::count(message.begin(), message.end(), '\n'), 1) << "one message: " << message;
    EXPECT_FALSE(std::filesystem::exists(phoneRoot));
    EXPECT_FALSE(std::filesystem::exists(trace));

    // A bad command line too: an unknown option, profile or plot format.
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{"--frobnicate", scenario.string()},
          {"--profile", "phone-1999", scenario.string()},
          {"--plot", (folder.path() / "day.gif").string(), scenario.string()}}) {
        std::ostringstream out2, err2;
        EXPECT_EQ(sim::PhoneSimCommand::run(arguments, "unused.so", out2, err2), sim::PhoneSimCommand::kBadInput)
            << arguments[0];
        EXPECT_FALSE(std::filesystem::exists(phoneRoot));
    }
    // --validate needs no scenario.
    std::ostringstream validation, quiet;
    EXPECT_EQ(sim::PhoneSimCommand::run({"--validate"}, "unused.so", validation, quiet),
              sim::PhoneSimCommand::kSuccess);
    EXPECT_NE(validation.str().find("predicted"), std::string::npos);
}

TEST(ScenarioTest, AFolderThatPhonesimDidNotLayOutIsNeverEmptied) {
    TemporaryRoot folder;
    std::ofstream(folder.path() / "precious.txt") << "keep me";
    const std::filesystem::path scenario = folder.path() / "ok.json";
    std::ofstream(scenario) << std::string("{") + kHead + "}";
    std::ostringstream out, err;
    EXPECT_EQ(sim::PhoneSimCommand::run({"--root", folder.path().string(), scenario.string()}, "unused.so", out, err),
              sim::PhoneSimCommand::kRunFailed);
    EXPECT_NE(err.str().find("not empty"), std::string::npos) << err.str();
    EXPECT_TRUE(std::filesystem::exists(folder.path() / "precious.txt"));
}

}  // namespace
}  // namespace corvane::testing
