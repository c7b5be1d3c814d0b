// The loop, and the engine's power management on it: power messages around
// logind's sleep, and the scheduled wakes that arm the alarm.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "device/DevicePowerManagement.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::device {
namespace {

TEST(EventLoop, TimersAndWorkFromOtherThreadsRunOnTheLoopAndAnInvalidatedTimerNever) {
    EventLoop loop;
    ASSERT_TRUE(loop.ready());
    std::vector<std::string> ran;
    auto cancelled = loop.scheduleTimer(0.0, false, [&] { ran.push_back("cancelled"); });
    cancelled->invalidate();
    EXPECT_FALSE(cancelled->isValid());
    int repeats = 0;
    std::shared_ptr<platform::Timer> repeating;
    loop.scheduleTimer(0.0, false, [&] { ran.push_back("timer"); });
    repeating = loop.scheduleTimer(0.0, true, [&] {
        if (++repeats < 3) return;
        repeating->invalidate();
        std::thread([&loop, &ran] {
            EXPECT_FALSE(loop.isMainThread());
            loop.dispatchToMain([&] {
                EXPECT_TRUE(loop.isMainThread());
                ran.push_back("dispatched");
                loop.exit(7);
            });
        }).detach();
    });
    EXPECT_EQ(loop.run(), 7);
    EXPECT_EQ(ran, (std::vector<std::string>{"timer", "dispatched"}));
    EXPECT_EQ(repeats, 3);
}

class PowerManagementTest : public ::testing::Test {
protected:
    PowerManagementTest() { log.setQuiet(true); }

    testing::TemporaryRoot root;
    DaemonLog log;
    EventLoop loop;
    WakeAlarm alarm{loop.event(), log, nullptr};
    DevicePowerManagement power{loop, log, alarm};
};

TEST_F(PowerManagementTest, SleepIsAskedThenAnnouncedAndWakingIsAnnounced) {
    std::vector<std::uint32_t> heard;
    ASSERT_TRUE(power.registerForSystemPower([&](std::uint32_t type, std::intptr_t argument) {
        heard.push_back(type);
        power.allowPowerChange(argument);
    }));
    power.prepareForSleep(true);
    power.prepareForSleep(false);
    EXPECT_EQ(heard, (std::vector<std::uint32_t>{
                         platform::kIOMessageCanSystemSleep, platform::kIOMessageSystemWillSleep,
                         platform::kIOMessageSystemWillPowerOn, platform::kIOMessageSystemHasPoweredOn}));
}

TEST_F(PowerManagementTest, TheEarliestWakeToComeArmsTheAlarmAndLandsInTheFile) {
    const double now = loop.now().secondsSince1970;
    const plist::Date later{std::floor(now) + 3600};
    const plist::Date sooner{std::floor(now) + 600};
    const plist::Date past{std::floor(now) - 600};
    EXPECT_EQ(power.schedulePowerEvent(later, "com.quibbit.Ampwise", "wake"), 0);
    EXPECT_EQ(power.schedulePowerEvent(past, "other", "wake"), 0);
    EXPECT_EQ(alarm.armedFor(), later);
    EXPECT_EQ(power.schedulePowerEvent(sooner, "other", "wakepoweron"), 0);
    EXPECT_EQ(alarm.armedFor(), sooner);
    EXPECT_EQ(power.copyScheduledPowerEvents().size(), 3u);
    auto file = plist::readDictionary(paths::resolve(paths::kScheduledPowerEvents));
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->find("events")->asArray()->size(), 3u);

    EXPECT_EQ(power.cancelScheduledPowerEvent(sooner, "other", "wakepoweron"), 0);
    EXPECT_EQ(alarm.armedFor(), later);
    EXPECT_NE(power.cancelScheduledPowerEvent(sooner, "other", "wakepoweron"), 0);
    EXPECT_NE(power.schedulePowerEvent(later, "", "wake"), 0);
    EXPECT_EQ(power.cancelScheduledPowerEvent(later, "com.quibbit.Ampwise", "wake"), 0);
    EXPECT_FALSE(alarm.armedFor().has_value());
}

}  // namespace
}  // namespace corvane::device
