// The engine's spine on the simulated home screen: start-up through the
// replaced methods, the event sources of the sleep cycle, AC power and the
// temporary None strategy, the status-bar icon and the alerts.

#include <gtest/gtest.h>

#include <stdexcept>

#include "engine/controller/Guarded.h"
#include "tests/support/HookedPhone.h"

namespace corvane::testing {
namespace {

using EngineSpineTest = HookedPhoneTest;

TEST_F(EngineSpineTest, EventsBeforeLaunchReachOnlyTheHomeScreen) {
    host->log().clear();  // past the hooks' installation report
    battery(50, 100);
    host->homeScreen().lock();
    host->homeScreen().setOnAC(true);
    advance(60);

    EXPECT_EQ(engine(), nullptr);
    EXPECT_EQ(host->homeScreen().batteryReportsSeen(), 1);  // the home screen's own work still happens
    EXPECT_TRUE(state().screenOff);
    EXPECT_TRUE(host->phone().radioChanges().empty());
    EXPECT_TRUE(host->log().lines().empty());
}

TEST_F(EngineSpineTest, LaunchStartsTheEngineAndTheFirstBatteryReportFinishesItOnce) {
    launchHomeScreen();
    EXPECT_TRUE(host->homeScreen().launched());
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyNormal);
    EXPECT_EQ(logCount("File not found"), 0u) << "the settings wait for the first battery report";

    // A second launch report does not create a second engine.
    Corvane* first = engine();
    host->homeScreen().finishLaunching();
    EXPECT_EQ(engine(), first);

    battery(80, 100);
    battery(79, 100);
    battery(78, 100);
    EXPECT_EQ(logCount("File not found"), 1u) << "the settings are read once, by the first report only";
    EXPECT_EQ(host->homeScreen().batteryReportsSeen(), 3);
}

TEST_F(EngineSpineTest, LockSourceFollowsSwitchRadiosOnLock) {
    for (const bool onLock : {true, false}) {
        SCOPED_TRACE(onLock ? "SwitchRadiosOnLock YES" : "SwitchRadiosOnLock NO");
        startPhone();
        writeSettings({{"SwitchRadiosOnLock", onLock}, {"Strategy", 2}});
        launch();
        ASSERT_EQ(CommonToAllStrategies::sharedInstance().switchRadiosOnLock(), onLock);
        host::HomeScreenHost& home = host->homeScreen();
        const auto chosenSource = [&](bool on) { onLock ? home.setUILocked(on) : home.setScreenOff(on); };
        const auto otherSource = [&](bool on) { onLock ? home.setScreenOff(on) : home.setUILocked(on); };

        otherSource(true);  // alone it starts nothing
        advance(60);
        EXPECT_TRUE(host->phone().radioChanges().empty());
        chosenSource(true);  // its opposite cancels the switch-off; nothing is off, so nothing to restore
        chosenSource(false);
        advance(600);
        EXPECT_TRUE(host->phone().radioChanges().empty());
        chosenSource(true);
        advance(15);
        EXPECT_FALSE(host->phone().radioChanges().empty());
    }
}

TEST_F(EngineSpineTest, SystemVersionSelectsTheScreenOffMethod) {
    for (const char* version : {"7.1", "8.0", "10.3"}) {
        SCOPED_TRACE(version);
        sim::PhoneOptions options;
        options.systemVersion = version;
        startPhone(options);
        EXPECT_EQ(host->homeScreen().usesScreenOffForAutoUnlock(), std::string(version) != "7.1");
        launch();
        host->homeScreen().setScreenOff(true);
        advance(30);
        EXPECT_FALSE(host->phone().radioChanges().empty()) << "the screen-off replacement must reach the engine";
    }
}

TEST_F(EngineSpineTest, MissingOrMismatchedMethodsAreSkippedAndReported) {
    // A system without the UI controller, without the lock-screen view
    // controller's method and with a link method of another signature: their
    // rows are not installed, and the log says so.
    startPhone({}, [](sim::PhoneHost& phone) {
        host::HostRuntime& runtime = phone.simRuntime();
        runtime.removeClass("SBUIController");
        runtime.removeMethod(runtime.lookUpClass("SBLockScreenViewControllerBase"),
                             "setInScreenOffMode:forAutoUnlock:");
        runtime.addMethod<void (*)(platform::Object*, bool)>(runtime.lookUpClass("SBWiFiManager"), "_linkDidChange",
                                                             [](platform::Object*, bool) {});
    });
    EXPECT_EQ(logCount("skipped"), 3u);
    phoneState([](sim::PhoneState& s) { s.onAC = true; });
    writeSettings({{"Strategy", 3}, {"NoneOnAC", true}});
    launch();
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyAggressive) << "unknown power source counts as battery";
    host->homeScreen().setScreenOff(true);
    advance(60);
    EXPECT_TRUE(host->phone().radioChanges().empty());
    // The rows that exist still work.
    EXPECT_EQ(host->homeScreen().batteryReportsSeen(), 1);
}

TEST_F(EngineSpineTest, ACPowerPutsNoneInForceOnlyWhileEnabledAndPluggedInOverAnyTemporaryStrategy) {
    writeSettings({{"Strategy", 3}, {"NoneOnAC", false}});
    launch();
    const Strategie* base = engine()->userStrategy();

    host->homeScreen().setOnAC(true);
    EXPECT_EQ(engine()->currentStrategy(), base) << "NoneOnAC NO changes nothing";

    host->homeScreen().setOnAC(false);
    writeSettings({{"Strategy", 3}, {"NoneOnAC", true}});
    host->darwin().post(notifications::kPreferencesChanged);
    advance(1);
    base = engine()->userStrategy();
    host->homeScreen().setOnAC(true);
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyNone);
    EXPECT_EQ(engine()->userStrategy(), base);
    EXPECT_EQ(host->statusBarService().visibleImage(), "AW_disabled");

    host->homeScreen().setOnAC(false);
    EXPECT_EQ(engine()->currentStrategy(), base);
    EXPECT_EQ(host->statusBarService().visibleImage(), "AW_aggressive");

    // Plugging in leaves a temporary Ultimate for None, and unplugging returns to the base.
    access().forceTemporaryStrategy(kStrategyUltimate);
    EXPECT_FALSE(engine()->shouldEnableRadio(true, kRadioOn)) << "Ultimate never wants a radio back";

    host->homeScreen().setOnAC(true);
    EXPECT_EQ(engine()->currentStrategy()->strategy, kStrategyNone);
    host->homeScreen().setOnAC(false);
    EXPECT_EQ(engine()->currentStrategy(), base) << "unplugging returns to the base strategy, not to Ultimate";

    // With None as the user's own strategy, the same object stays in force.
    writeSettings({{"Strategy", 0}, {"NoneOnAC", true}});
    host->darwin().post(notifications::kPreferencesChanged);
    advance(1);
    const Strategie* none = engine()->currentStrategy();
    host->homeScreen().setOnAC(true);
    host->homeScreen().setOnAC(false);
    EXPECT_EQ(engine()->currentStrategy(), none);
    EXPECT_EQ(engine()->userStrategy(), none);
}

TEST_F(EngineSpineTest, IconFollowsTheStrategyAndRecoversWhenTheItemClassAppearsLate) {
    host->statusBarService().setItemClassAvailable(false);
    writeSettings({{"Strategy", 1}});
    launch();
    EXPECT_EQ(host->statusBarService().visibleImage(), std::nullopt);

    // Two more strategy changes while the class is missing: still no icon.
    for (int strategy : {4, 3}) {
        writeSettings({{"Strategy", strategy}});
        host->darwin().post(notifications::kPreferencesChanged);
        advance(3);
    }
    EXPECT_EQ(host->statusBarService().itemsCreated(), 0);

    // The class appears: the next retry shows the strategy then in force, once.
    host->statusBarService().setItemClassAvailable(true);
    advance(2.0);
    EXPECT_EQ(host->statusBarService().visibleImage(), "AW_aggressive");
    EXPECT_EQ(host->statusBarService().itemsCreated(), 1);
    advance(60);
    EXPECT_EQ(host->statusBarService().itemsCreated(), 1) << "retries stop once the item exists";

    // An exception from the item library leaves no icon and keeps retrying.
    CommonToAllStrategies::sharedInstance().setDisableIcon(true);
    engine()->strategyDidChanged();
    EXPECT_EQ(host->statusBarService().visibleImage(), std::nullopt);
    CommonToAllStrategies::sharedInstance().setDisableIcon(false);
    host->statusBarService().setCreationThrows(true);
    engine()->strategyDidChanged();
    host->statusBarService().setCreationThrows(false);
    advance(2.0);
    EXPECT_EQ(host->statusBarService().visibleImage(), "AW_aggressive");
}

TEST_F(EngineSpineTest, SecondAlertIsRefusedWhileOneShows) {
    launch();
    EXPECT_TRUE(engine()->alertUser("first", "Title", 4.0));
    EXPECT_FALSE(engine()->alertUser("second", "Title", 4.0));
    advance(3.9);
    EXPECT_TRUE(host->alerts().anyVisible());
    advance(0.2);
    EXPECT_FALSE(host->alerts().anyVisible());
    EXPECT_TRUE(engine()->alertUser("third", "Title", 4.0));
    ASSERT_EQ(host->alerts().alerts().size(), 2u);
    EXPECT_EQ(host->alerts().alerts()[0].button, "Dismiss");
}

TEST_F(EngineSpineTest, DebugLinesCarryThePrefixAndStopWhenDebugIsOff) {
    writeSettings({{"Debug", false}, {"Strategy", 2}});
    host->homeScreen().finishLaunching();
    ASSERT_FALSE(host->log().lines().empty());
    for (const std::string& line : host->log().lines()) {
        EXPECT_EQ(line.rfind("=== Corvane === [Line ", 0), 0u) << line;
    }
    battery(80, 100);
    ASSERT_FALSE(DebugLog::debugEnabled());
    host->log().clear();
    host->homeScreen().lock();
    advance(60);
    EXPECT_TRUE(host->log().lines().empty());
    EXPECT_FALSE(host->phone().radioChanges().empty());
}

TEST_F(EngineSpineTest, WorkHandedToTheHostNeverThrowsIntoIt) {
    sim::PhoneHost& phone = startPhone();
    launch();
    phone.loop().scheduleTimer(1.0, false, guarded([] { throw std::runtime_error("boom"); }));
    phone.loop().dispatchToMain(guarded([] { throw 42; }));
    EXPECT_NO_THROW(advance(2.0));
    EXPECT_EQ(logCount("Engine work failed: boom"), 1u);
    EXPECT_EQ(logCount("Engine work failed"), 2u);
}

}  // namespace
}  // namespace corvane::testing
