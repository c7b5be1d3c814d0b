// The engine's spine on the simulated home screen: start-up through the
// replaced methods, the event sources of the sleep cycle, AC power and the
// temporary None strategy, the status-bar icon and the alerts.

#include <gtest/gtest.h>

#include "engine/strategies/StrategyTypes.h"
#include "shared/Names.h"
#include "tests/support/HookedPhone.h"

namespace corvane::testing {
namespace {

class EngineSpineTest : public HookedPhoneTest {};

TEST_F(EngineSpineTest, EventsBeforeLaunchReachOnlyTheHomeScreen) {
    sim::PhoneHost& phone = startPhone();
    battery(50, 100);
    phone.homeScreen().lock();
    phone.homeScreen().setOnAC(true);
    advance(60);

    EXPECT_EQ(engine(), nullptr);
    EXPECT_EQ(phone.homeScreen().batteryReportsSeen(), 1);  // the home screen's own work still happens
    EXPECT_TRUE(phone.phone().snapshot().screenOff);
    EXPECT_TRUE(phone.phone().radioChanges().empty());
    EXPECT_TRUE(phone.log().lines().empty());
}

TEST_F(EngineSpineTest, LaunchStartsTheEngineAndTheFirstBatteryReportFinishesItOnce) {
    sim::PhoneHost& phone = startPhone();
    phone.homeScreen().finishLaunching();
    ASSERT_NE(engine(), nullptr);
    EXPECT_TRUE(phone.homeScreen().launched());
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyNormal);
    EXPECT_EQ(engine()->currentStrategy(), engine()->userStrategy());
    EXPECT_FALSE(engine()->postPostInitDone);
    EXPECT_NE(engine()->radiosLib, nullptr);

    // A second launch report does not create a second engine.
    Corvane* first = engine();
    phone.homeScreen().finishLaunching();
    EXPECT_EQ(engine(), first);

    battery(80, 100);
    EXPECT_TRUE(engine()->postPostInitDone);
    EXPECT_EQ(logCount("File not found"), 1u);
    battery(79, 100);
    battery(78, 100);
    EXPECT_EQ(logCount("File not found"), 1u) << "the settings are read once, by the first report only";
    EXPECT_EQ(phone.darwin().handlerCount(notifications::kApplicationListRequest), 1u);
    EXPECT_EQ(phone.homeScreen().batteryReportsSeen(), 3);
}

TEST_F(EngineSpineTest, LockSourceFollowsSwitchRadiosOnLock) {
    for (const bool onLock : {true, false}) {
        SCOPED_TRACE(onLock ? "SwitchRadiosOnLock YES" : "SwitchRadiosOnLock NO");
        sim::PhoneHost& phone = startPhone();
        writeSettings({{"SwitchRadiosOnLock", onLock}, {"Strategy", 2}});
        launch();
        ASSERT_EQ(CommonToAllStrategies::sharedInstance().switchRadiosOnLock(), onLock);

        // The other source alone starts nothing.
        if (onLock) {
            phone.homeScreen().setScreenOff(true);
        } else {
            phone.homeScreen().setUILocked(true);
        }
        EXPECT_EQ(engine()->asleepTimer, nullptr);

        // The chosen source starts the sleep timer, and its opposite cancels it.
        if (onLock) {
            phone.homeScreen().setUILocked(true);
        } else {
            phone.homeScreen().setScreenOff(true);
        }
        EXPECT_NE(engine()->asleepTimer, nullptr);
        if (onLock) {
            phone.homeScreen().setUILocked(false);
        } else {
            phone.homeScreen().setScreenOff(false);
        }
        EXPECT_EQ(engine()->asleepTimer, nullptr);
        advance(60);
        EXPECT_TRUE(phone.phone().radioChanges().empty());
    }
}

TEST_F(EngineSpineTest, SystemVersionSelectsTheScreenOffMethod) {
    for (const char* version : {"7.1", "8.0", "10.3"}) {
        SCOPED_TRACE(version);
        sim::PhoneOptions options;
        options.systemVersion = version;
        sim::PhoneHost& phone = startPhone(options);
        EXPECT_EQ(phone.homeScreen().usesScreenOffForAutoUnlock(), std::string(version) != "7.1");
        launch();
        phone.homeScreen().setScreenOff(true);
        EXPECT_NE(engine()->asleepTimer, nullptr) << "the screen-off replacement must reach the engine";
        advance(30);
        EXPECT_FALSE(phone.phone().radioChanges().empty());
    }
}

TEST_F(EngineSpineTest, MissingClassesAndMethodsAreSkippedSilently) {
    // A system without the UI controller and without the lock-screen view
    // controller's method: their rows are not installed.
    startPhone({}, [](sim::PhoneHost& phone) {
        phone.simRuntime().removeClass("SBUIController");
        phone.simRuntime().removeMethod(phone.simRuntime().lookUpClass("SBLockScreenViewControllerBase"),
                                        "setInScreenOffMode:forAutoUnlock:");
    });
    launch();
    EXPECT_FALSE(engine()->onAC);
    EXPECT_EQ(logCount("does not responds to selector isOnAC"), 1u);
    host->homeScreen().setScreenOff(true);
    EXPECT_EQ(engine()->asleepTimer, nullptr);
    // The rows that exist still work.
    EXPECT_TRUE(engine()->postPostInitDone);
    EXPECT_EQ(host->homeScreen().batteryReportsSeen(), 1);
}

TEST_F(EngineSpineTest, ACPowerPutsNoneInForceOnlyWhileEnabledAndPluggedIn) {
    sim::PhoneHost& phone = startPhone();
    writeSettings({{"Strategy", 3}, {"NoneOnAC", false}});
    launch();
    const Strategie* base = engine()->userStrategy();

    phone.homeScreen().setOnAC(true);
    EXPECT_TRUE(engine()->onAC);
    EXPECT_EQ(engine()->currentStrategy(), base) << "NoneOnAC NO changes nothing but onAC";

    phone.homeScreen().setOnAC(false);
    writeSettings({{"Strategy", 3}, {"NoneOnAC", true}});
    phone.darwin().post(notifications::kPreferencesChanged);
    advance(1);
    base = engine()->userStrategy();
    phone.homeScreen().setOnAC(true);
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyNone);
    EXPECT_EQ(engine()->userStrategy(), base);
    EXPECT_EQ(phone.statusBarService().visibleImage(), "AW_disabled");

    phone.homeScreen().setOnAC(false);
    EXPECT_EQ(engine()->currentStrategy(), base);
    EXPECT_EQ(phone.statusBarService().visibleImage(), "AW_aggressive");
}

TEST_F(EngineSpineTest, PluggingInLeavesATemporaryUltimateForTheBaseThenNone) {
    sim::PhoneHost& phone = startPhone();
    writeSettings({{"Strategy", 3}, {"NoneOnAC", true}});
    launch();
    auto base = engine()->baseStrategy;
    engine()->strategy = std::shared_ptr<Strategie>(Strategie::strategyFromEnum(kStrategyUltimate));
    engine()->strategyDidChanged();

    phone.homeScreen().setOnAC(true);
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyNone);
    phone.homeScreen().setOnAC(false);
    EXPECT_EQ(engine()->strategy, base) << "unplugging returns to the base strategy, not to Ultimate";

    // With None as the user's own strategy, the same object stays in force.
    writeSettings({{"Strategy", 0}, {"NoneOnAC", true}});
    phone.darwin().post(notifications::kPreferencesChanged);
    advance(1);
    const Strategie* none = engine()->currentStrategy();
    phone.homeScreen().setOnAC(true);
    phone.homeScreen().setOnAC(false);
    EXPECT_EQ(engine()->currentStrategy(), none);
    EXPECT_EQ(engine()->userStrategy(), none);
}

TEST_F(EngineSpineTest, WakeUpDecisionFollowsSettingAndUltimate) {
    startPhone();
    launch();
    struct Case {
        bool memorized;
        std::int32_t setting;
        bool expected;
    };
    for (const Case& c : {Case{true, kRadioAuto, true}, Case{false, kRadioAuto, false}, Case{false, kRadioOn, true},
                          Case{true, kRadioOff, false}, Case{true, 3, true}, Case{false, 7, false}}) {
        EXPECT_EQ(engine()->shouldEnableRadio(c.memorized, c.setting), c.expected)
            << "memorized " << c.memorized << " setting " << c.setting;
    }
    engine()->strategy = std::shared_ptr<Strategie>(Strategie::strategyFromEnum(kStrategyUltimate));
    EXPECT_FALSE(engine()->shouldEnableRadio(true, kRadioOn));
    EXPECT_DOUBLE_EQ(engine()->getWakeIntervalMinutes(), 120.0);
    EXPECT_EQ(Corvane::networkSpeedToString(4), "4G");
    EXPECT_EQ(Corvane::networkSpeedToString(9), "Unmanaged : 9");
}

TEST_F(EngineSpineTest, IconFollowsTheStrategyAndRecoversWhenTheItemClassAppearsLate) {
    sim::PhoneHost& phone = startPhone();
    phone.statusBarService().setItemClassAvailable(false);
    writeSettings({{"Strategy", 1}});
    launch();
    EXPECT_EQ(phone.statusBarService().visibleImage(), std::nullopt);

    // Two more strategy changes while the class is missing: still no icon.
    writeSettings({{"Strategy", 4}});
    phone.darwin().post(notifications::kPreferencesChanged);
    advance(1);
    writeSettings({{"Strategy", 3}});
    phone.darwin().post(notifications::kPreferencesChanged);
    advance(5);
    EXPECT_EQ(phone.statusBarService().visibleImage(), std::nullopt);
    EXPECT_EQ(phone.statusBarService().itemsCreated(), 0);

    // The class appears: the next retry shows the strategy then in force, once.
    phone.statusBarService().setItemClassAvailable(true);
    advance(2.0);
    EXPECT_EQ(phone.statusBarService().visibleImage(), "AW_aggressive");
    EXPECT_EQ(phone.statusBarService().itemsCreated(), 1);
    advance(60);
    EXPECT_EQ(phone.statusBarService().itemsCreated(), 1) << "retries stop once the item exists";

    // An exception from the item library leaves no icon and keeps retrying.
    CommonToAllStrategies::sharedInstance().setDisableIcon(true);
    engine()->strategyDidChanged();
    EXPECT_EQ(phone.statusBarService().visibleImage(), std::nullopt);
    CommonToAllStrategies::sharedInstance().setDisableIcon(false);
    phone.statusBarService().setCreationThrows(true);
    engine()->strategyDidChanged();
    EXPECT_EQ(engine()->imageItem, nullptr);
    phone.statusBarService().setCreationThrows(false);
    advance(2.0);
    EXPECT_EQ(phone.statusBarService().visibleImage(), "AW_aggressive");
}

TEST_F(EngineSpineTest, SecondAlertIsRefusedWhileOneShows) {
    sim::PhoneHost& phone = startPhone();
    launch();
    EXPECT_TRUE(engine()->alertUser("first", "Title", 4.0));
    EXPECT_FALSE(engine()->alertUser("second", "Title", 4.0));
    advance(3.9);
    EXPECT_TRUE(phone.alerts().anyVisible());
    advance(0.2);
    EXPECT_FALSE(phone.alerts().anyVisible());
    EXPECT_TRUE(engine()->alertUser("third", "Title", 4.0));

    // Closed by the user: the next alert waits for the timer to free the slot.
    phone.alerts().dismissVisibleByUser();
    EXPECT_FALSE(engine()->alertUser("fourth", "Title", 4.0));
    advance(4.0);
    EXPECT_TRUE(engine()->alertUser("fifth", "Title", 1.0));

    const auto alerts = phone.alerts().alerts();
    ASSERT_EQ(alerts.size(), 3u);
    EXPECT_EQ(alerts[0].message, "first");
    EXPECT_EQ(alerts[0].button, "Dismiss");
    EXPECT_NEAR(alerts[0].dismissedAt->secondsSince1970 - alerts[0].shownAt.secondsSince1970, 4.0, 1e-9);
    EXPECT_TRUE(alerts[1].dismissedByUser);
    EXPECT_EQ(alerts[2].message, "fifth");
}

TEST_F(EngineSpineTest, DebugLinesCarryThePrefixAndStopWhenDebugIsOff) {
    sim::PhoneHost& phone = startPhone();
    writeSettings({{"Debug", false}, {"Strategy", 2}});
    phone.homeScreen().finishLaunching();
    ASSERT_FALSE(phone.log().lines().empty());
    for (const std::string& line : phone.log().lines()) {
        EXPECT_EQ(line.rfind("=== Corvane === [Line ", 0), 0u) << line;
    }
    battery(80, 100);
    ASSERT_FALSE(DebugLog::debugEnabled());
    phone.log().clear();
    phone.homeScreen().lock();
    advance(60);
    EXPECT_TRUE(phone.log().lines().empty());
    EXPECT_FALSE(phone.phone().radioChanges().empty());
}

}  // namespace
}  // namespace corvane::testing
