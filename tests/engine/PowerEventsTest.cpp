// System power messages and scheduled wake-ups: the engine's answers to the
// system's sleep requests, its own wake event and the gathering of other
// applications' wake events behind it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/SimPowerManagement.h"
#include "tests/support/HookedPhone.h"

namespace corvane::testing {
namespace {

using sim::SimPowerManagement;
using Answer = SimPowerManagement::Answer;
using ::testing::IsEmpty;

constexpr const char* kMail = "com.apple.persistentconnection.com.example.mail";
constexpr const char* kChat = "com.apple.persistentconnection.com.example.chat";
constexpr const char* kAlarm = "com.apple.persistentconnection.com.apple.mobiletimer";
// Calendar alerts come through a persistent connection too, and still stay.
constexpr const char* kCalendar = "com.apple.persistentconnection.com.apple.eventkit.alarmengine";
constexpr const char* kOtherTool = "com.example.backup";
const std::string kEngine(power::kEngineScheduler);

class PowerEventsTest : public LaunchedPhoneTest {
protected:
    SimPowerManagement& power() { return host->power(); }

    // The system sends a message; the main run loop delivers it.
    SimPowerManagement::Message send(std::uint32_t type) {
        const std::intptr_t argument = power().postMessage(type);
        host->loop().runPending();
        return power().message(argument).value();
    }

    std::optional<double> timeOf(const std::string& scheduledBy) {
        std::vector<SimPowerManagement::Event> events = power().eventsScheduledBy(scheduledBy);
        if (events.size() != 1) return std::nullopt;
        return events[0].time.secondsSince1970;
    }
};

TEST_F(PowerEventsTest, RegistrationHappensOnceAtLaunch) {
    EXPECT_TRUE(power().registered());
    EXPECT_EQ(host->darwin().handlerCount(notifications::kPreferencesChanged), 1u);

    engine()->registerPowerListener();
    EXPECT_EQ(host->darwin().handlerCount(notifications::kPreferencesChanged), 1u);

    // The Darwin notifications reach the engine.
    writeSettings({{"Strategy", 3}});
    host->darwin().post(notifications::kPreferencesChanged);
    host->darwin().post(notifications::kWake);
    host->loop().runPending();
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyAggressive);
}

TEST_F(PowerEventsTest, AFailedRegistrationLeavesTheDarwinNotifications) {
    startPhone();
    power().setRegistrationFails(true);
    launchHomeScreen();
    EXPECT_EQ(host->darwin().handlerCount(notifications::kPreferencesChanged), 1u);

    // No power message reaches the engine, so none is answered.
    EXPECT_EQ(send(platform::kIOMessageCanSystemSleep).answer, Answer::None);
    EXPECT_TRUE(power().events().empty());
}

TEST_F(PowerEventsTest, SleepGathersTheMovableWakeEventsBehindTheEnginesOwn) {
    const double t0 = now();
    ASSERT_EQ(power().schedulePowerEvent(plist::Date{t0 + 300}, kMail, "wake"), 0);
    ASSERT_EQ(power().schedulePowerEvent(plist::Date{t0 + 3600}, kMail, "poweron"), 0);
    ASSERT_EQ(power().schedulePowerEvent(plist::Date{t0 + 400}, kChat, "wake"), 0);
    ASSERT_EQ(power().schedulePowerEvent(plist::Date{t0 + 500}, kAlarm, "wake"), 0);
    ASSERT_EQ(power().schedulePowerEvent(plist::Date{t0 + 600}, kCalendar, "wake"), 0);
    ASSERT_EQ(power().schedulePowerEvent(plist::Date{t0 + 700}, kOtherTool, "wake"), 0);
    // The chat service is on the no-delay list; the mail entry with NO protects nothing.
    writeSettings({{"Strategy", 2}});
    writeFile(paths::kDelayList, {{"com.example.chat", true}, {"com.example.mail", false}});
    engine()->reloadPrefs();

    const SimPowerManagement::Message message = send(platform::kIOMessageSystemWillSleep);
    EXPECT_EQ(message.answer, Answer::Allowed);
    EXPECT_TRUE(message.answeredDuringCallback);

    // Normal wakes every 15 minutes; moved events follow 20 seconds later,
    // whether they were due earlier or later.
    const double next = t0 + 15 * 60;
    std::vector<SimPowerManagement::Event> mail = power().eventsScheduledBy(kMail);
    ASSERT_EQ(mail.size(), 2u);
    for (const auto& event : mail) EXPECT_EQ(event.time.secondsSince1970, next + 20);
    EXPECT_EQ(timeOf(kEngine), next);
    EXPECT_EQ(power().eventsScheduledBy(kEngine)[0].eventType, "wake");
    EXPECT_EQ(timeOf(kChat), t0 + 400);
    EXPECT_EQ(timeOf(kAlarm), t0 + 500);
    EXPECT_EQ(timeOf(kCalendar), t0 + 600);
    EXPECT_EQ(timeOf(kOtherTool), t0 + 700);

    // A second sleep replaces the engine's event: only one is ever pending.
    advance(60);
    send(platform::kIOMessageSystemWillSleep);
    EXPECT_EQ(power().eventsScheduledBy(kEngine).size(), 1u);
    EXPECT_EQ(timeOf(kEngine), now() + 15 * 60);
    EXPECT_EQ(power().events().size(), 7u);
}

TEST_F(PowerEventsTest, SleepsAgainAndAgainNeverHoldAnEventPastAWakeIntervalAfterItsTime) {
    const double t0 = now();
    ASSERT_EQ(power().schedulePowerEvent(plist::Date{t0 + 300}, kMail, "wake"), 0);
    writeSettings({{"Strategy", 4}});  // Ultimate: a wake every two hours
    engine()->reloadPrefs();

    // The first sleep gathers it behind the engine's wake; the sleeps that
    // follow every half hour (another application waking the phone) would
    // push it on for ever, but it stops at 2 h 20 s past its own time.
    send(platform::kIOMessageSystemWillSleep);
    EXPECT_EQ(timeOf(kMail), t0 + 7200 + 20);
    for (int i = 0; i < 5; ++i) {
        advance(1800);
        send(platform::kIOMessageSystemWillSleep);
        EXPECT_EQ(timeOf(kMail), t0 + 300 + 7200 + 20) << i;
        EXPECT_EQ(timeOf(kEngine), now() + 7200) << i;
    }
    // A new event of the application is measured from its own new time.
    ASSERT_EQ(power().cancelScheduledPowerEvent(plist::Date{t0 + 7520}, kMail, "wake"), 0);
    ASSERT_EQ(power().schedulePowerEvent(plist::Date{now() + 60}, kMail, "wake"), 0);
    send(platform::kIOMessageSystemWillSleep);
    EXPECT_EQ(timeOf(kMail), now() + 7200 + 20);

    // Under None the user chose no saving: no one's wake event moves.
    writeSettings({{"Strategy", 0}});
    engine()->reloadPrefs();
    ASSERT_EQ(power().schedulePowerEvent(plist::Date{now() + 600}, kChat, "wake"), 0);
    const double chat = now() + 600;
    const double mail = *timeOf(kMail);
    advance(30);
    send(platform::kIOMessageSystemWillSleep);
    EXPECT_EQ(timeOf(kChat), chat);
    EXPECT_EQ(timeOf(kMail), mail);
    EXPECT_EQ(timeOf(kEngine), now() + 7200);
}

TEST_F(PowerEventsTest, FailedCancelsAndSchedulesAreOnlyLogged) {
    const double t0 = now();
    ASSERT_EQ(power().schedulePowerEvent(plist::Date{t0 + 300}, kMail, "wake"), 0);
    power().failNextCancel(sim::kPowerError);
    send(platform::kIOMessageSystemWillSleep);
    // The mail event stays where it was and is not scheduled a second time.
    EXPECT_EQ(timeOf(kMail), t0 + 300);

    // Moving it fails at the scheduling: it goes back to its own time.
    power().failNextSchedule(sim::kPowerError);
    advance(10);
    send(platform::kIOMessageSystemWillSleep);
    EXPECT_EQ(timeOf(kMail), t0 + 300);
    EXPECT_EQ(timeOf(kEngine), now() + 15 * 60);

    // The engine's own event fails: the old one was cancelled, none is pending.
    ASSERT_EQ(power().cancelScheduledPowerEvent(plist::Date{t0 + 300}, kMail, "wake"), 0);
    power().failNextSchedule(sim::kPowerError);
    send(platform::kIOMessageSystemWillSleep);
    EXPECT_TRUE(power().events().empty());
}

TEST_F(PowerEventsTest, BackgroundWakeKeepsTheSystemAwakeFor120Seconds) {
    allRadiosOn();
    host->homeScreen().lock();
    advance(15);
    ASSERT_FALSE(state().wifiEnabled);

    // The radios are off: the system may sleep, and schedules the next wake.
    EXPECT_EQ(send(platform::kIOMessageCanSystemSleep).answer, Answer::Allowed);
    send(platform::kIOMessageSystemWillSleep);
    ASSERT_TRUE(timeOf(kEngine).has_value());
    host->loop().advanceTo(plist::Date{*timeOf(kEngine)});

    // Too early after the switch-off (15 minutes exactly): nothing restored.
    markChanges();
    send(platform::kIOMessageSystemWillPowerOn);
    EXPECT_THAT(changeNames(), IsEmpty());

    advance(1);
    send(platform::kIOMessageSystemWillPowerOn);
    EXPECT_TRUE(changed("wifi on"));
    const double restoredAt = now();

    advance(60);
    const SimPowerManagement::Message refused = send(platform::kIOMessageCanSystemSleep);
    EXPECT_EQ(refused.answer, Answer::Cancelled);
    EXPECT_TRUE(refused.answeredDuringCallback);
    EXPECT_TRUE(state().wifiEnabled);
    // With the screen on, sleep is allowed without even asking for the switch-off.
    phoneState([](sim::PhoneState& s) { s.screenOff = false; });
    EXPECT_EQ(send(platform::kIOMessageCanSystemSleep).answer, Answer::Allowed);
    phoneState([](sim::PhoneState& s) { s.screenOff = true; });

    host->loop().advanceTo(plist::Date{restoredAt + 121});
    markChanges();
    EXPECT_EQ(send(platform::kIOMessageCanSystemSleep).answer, Answer::Allowed);
    EXPECT_TRUE(changed("wifi off"));
    // Off again: the next wake-up may restore them again.
    advance(15 * 60 + 1);
    send(platform::kIOMessageSystemWillPowerOn);
    EXPECT_TRUE(changed("wifi on"));

    // A message the engine does not handle changes nothing.
    markChanges();
    EXPECT_EQ(send(platform::kIOMessageSystemHasPoweredOn).answer, Answer::None);
    EXPECT_THAT(changeNames(), IsEmpty());
}

TEST_F(PowerEventsTest, WithoutAnEngineTheSystemIsStillAnswered) {
    std::unique_ptr<Corvane> running = Corvane::setSharedEngine(nullptr);
    EXPECT_EQ(send(platform::kIOMessageCanSystemSleep).answer, Answer::Allowed);
    EXPECT_EQ(send(platform::kIOMessageSystemWillSleep).answer, Answer::Allowed);
    send(platform::kIOMessageSystemWillPowerOn);
    EXPECT_TRUE(power().events().empty());
    Corvane::setSharedEngine(std::move(running));
}

}  // namespace
}  // namespace corvane::testing
