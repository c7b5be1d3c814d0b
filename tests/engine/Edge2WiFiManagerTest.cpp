// The Edge/WiFi manager on the simulated phone in virtual time: signal
// events, the lock rule for cellular data, the verification after a wake-up
// (its 4.5-second threshold and its ten one-second pauses), car mode on AC
// changes and the persistence of its two flags.
#include <gtest/gtest.h>

#include "engine/edgewifi/Edge2WiFiManager.h"
#include "engine/platform/HomeScreen.h"
#include "tests/support/HookedPhone.h"

namespace corvane::testing {
namespace {

class Edge2WiFiManagerTest : public HookedPhoneTest {
protected:
    void SetUp() override {
        HookedPhoneTest::SetUp();
        makeRadios();
        manager = std::make_unique<Edge2WiFiManager>(*host);
        manager->setRadioLib(radios.get());
        useAggressive([](Strategie&) {});
    }
    void TearDown() override {
        manager.reset();
        HookedPhoneTest::TearDown();
    }

    // An Aggressive strategy (cellular data off on WiFi), adjusted, put in force.
    void useAggressive(const std::function<void(Strategie&)>& adjust) {
        std::shared_ptr<Strategie> strategy = Strategie::strategyFromEnum(kStrategyAggressive);
        ASSERT_TRUE(strategy->enabledEdgeOffOnWifi);
        adjust(*strategy);
        manager->strategyDidChanged(strategy);
    }

    // Arms the verification after a wake-up `woke` seconds from now (it fires 5 s later).
    double arm(bool wifiWasOn, double woke = 0.0) {
        const double armedAt = now();
        manager->timerVerifyWiFiAndEdge(wifiWasOn, platform::Date{armedAt + woke});
        return armedAt + 5.0;
    }

    void wifi(bool enabled, bool associated) {
        phoneState([=](sim::PhoneState& s) {
            s.wifiEnabled = enabled;
            s.wifiAssociated = associated;
        });
    }

    // Seconds after `from` at which each switch of a radio took effect.
    std::vector<std::pair<double, bool>> switchesOf(std::string_view radio, double from) const {
        std::vector<std::pair<double, bool>> found;
        for (const sim::RadioChange& change : changesOf(radio)) {
            found.emplace_back(change.time.secondsSince1970 - from, change.on);
        }
        return found;
    }

    std::unique_ptr<Edge2WiFiManager> manager;
};

using Switches = std::vector<std::pair<double, bool>>;

TEST_F(Edge2WiFiManagerTest, SignalEventsSwitchCellularDataThroughTheEngine) {
    launchHomeScreen();
    useStrategy(kStrategyAggressive);
    access().edge2WiFiManager().deviceUnlocked();
    platform::Object* wifiManager = platform::HomeScreen(host->runtime()).sharedWiFiManager();

    phoneState([](sim::PhoneState& s) { s.wifiAssociated = true; });
    engine()->wifiBarsChanged(3, wifiManager);
    EXPECT_FALSE(state().cellularData);
    engine()->wifiBarsChanged(2, wifiManager);  // repeated events change nothing more
    EXPECT_EQ(changesOf("edge").size(), 1u);

    // Zero bars while associated counts as lost.
    engine()->wifiBarsChanged(0, wifiManager);
    EXPECT_TRUE(state().cellularData);

    phoneState([](sim::PhoneState& s) { s.wifiAssociated = false; });
    engine()->wifiBarsChanged(3, wifiManager);
    EXPECT_TRUE(state().cellularData);
    EXPECT_EQ(changesOf("edge").size(), 2u);

    // A strategy that keeps both leaves cellular data alone.
    useStrategy(kStrategyNormal);
    phoneState([](sim::PhoneState& s) { s.wifiAssociated = true; });
    engine()->wifiBarsChanged(3, wifiManager);
    EXPECT_TRUE(state().cellularData);
}

TEST_F(Edge2WiFiManagerTest, LockedPhoneGetsCellularDataBackOnlyWhenTheStrategyForcesIt) {
    phoneState([](sim::PhoneState& s) { s.cellularData = false; });
    // Locked since creation: WiFi loss does not bring cellular data back.
    manager->wifiDisconnected();
    EXPECT_FALSE(state().cellularData);
    // Turning it off is never held back.
    manager->deviceLocked();
    phoneState([](sim::PhoneState& s) { s.cellularData = true; });
    manager->wifiConnected();
    EXPECT_FALSE(state().cellularData);

    useAggressive([](Strategie& s) { s.edgeAtSleep = kRadioOn; });
    manager->wifiDisconnected();
    EXPECT_TRUE(state().cellularData);

    useAggressive([](Strategie&) {});
    phoneState([](sim::PhoneState& s) { s.cellularData = false; });
    manager->deviceUnlocked();
    manager->wifiDisconnected();
    EXPECT_TRUE(state().cellularData);
    manager->deviceLocked();
    manager->switchEdge(false);
    manager->switchEdge(true);
    EXPECT_FALSE(state().cellularData);

    // Without a strategy nothing is switched either way.
    manager->strategyDidChanged(nullptr);
    manager->deviceUnlocked();
    manager->switchEdge(true);
    EXPECT_FALSE(state().cellularData);
    phoneState([](sim::PhoneState& s) { s.cellularData = true; });
    manager->wifiConnected();
    manager->switchEdge(false);
    EXPECT_TRUE(state().cellularData);
}

TEST_F(Edge2WiFiManagerTest, VerificationNeedsFourAndAHalfSecondsOfWakefulness) {
    manager->deviceUnlocked();
    wifi(true, false);

    // Woke 0.6 s after arming: the timer fires 4.4 s after the wake-up.
    arm(true, 0.6);
    advance(20.0);
    EXPECT_TRUE(changesOf("wifi").empty());
    EXPECT_TRUE(changesOf("edge").empty());

    // Woke 0.5 s after arming: 4.5 s, the verification runs.
    phoneState([](sim::PhoneState& s) { s.cellularData = false; });
    const double fired = arm(true, 0.5);
    advance(20.0);
    EXPECT_EQ(switchesOf("wifi", fired), (Switches{{10.0, false}}));
    EXPECT_EQ(switchesOf("edge", fired), (Switches{{10.0, true}}));
}

TEST_F(Edge2WiFiManagerTest, UnassociatedWiFiIsGivenTenOneSecondPauses) {
    manager->deviceUnlocked();
    phoneState([](sim::PhoneState& s) { s.cellularData = false; });
    wifi(true, false);
    const double fired = arm(true);
    // Association exactly at the tenth pause is still seen.
    host->phone().scheduleAssociation(platform::Date{fired + 10.0}, std::string("home"), 3);
    advance(30.0);
    EXPECT_TRUE(changesOf("wifi").empty());
    EXPECT_TRUE(changesOf("edge").empty());
    EXPECT_TRUE(state().wifiAssociated);

    // Half a second later is too late: WiFi off, cellular data on, after ten
    // pauses, switched from the verification's own thread.
    std::vector<bool> onMainThread;
    host->phone().setChangeObserver(
        [&](const sim::RadioChange&) { onMainThread.push_back(host->loop().isMainThread()); });
    wifi(true, false);
    const double second = arm(true);
    host->phone().scheduleAssociation(platform::Date{second + 10.5}, std::string("home"), 3);
    advance(30.0);
    host->phone().setChangeObserver({});
    EXPECT_EQ(switchesOf("wifi", second), (Switches{{10.0, false}}));
    EXPECT_EQ(switchesOf("edge", second), (Switches{{10.0, true}}));
    EXPECT_EQ(onMainThread, (std::vector<bool>{false, false}));
}

TEST_F(Edge2WiFiManagerTest, WiFiFoundOffIsTriedAgain) {
    manager->deviceUnlocked();
    wifi(false, false);
    // WiFi that the manager itself switched off earlier...
    manager->reloadStates(plist::Dictionary{{std::string(statistics::kWifiDisabledByMySelf), plist::Value(true)}});
    // ...associates three seconds into the attempt: cellular data goes off then,
    // and WiFi counts as the user's again.
    double fired = arm(true);
    host->phone().scheduleAssociation(platform::Date{fired + 3.0}, std::string("office"), 2);
    advance(30.0);
    EXPECT_EQ(switchesOf("wifi", fired), (Switches{{0.0, true}}));
    EXPECT_EQ(switchesOf("edge", fired), (Switches{{3.0, false}}));
    EXPECT_FALSE(manager->wifiDisabledByMySelf());

    // No network at all: WiFi back off and cellular data on, ten seconds later.
    freshPhone();
    manager->deviceUnlocked();
    phoneState([](sim::PhoneState& s) { s.cellularData = false; });
    wifi(false, false);
    fired = arm(true);
    advance(30.0);
    EXPECT_EQ(switchesOf("wifi", fired), (Switches{{0.0, true}, {10.0, false}}));
    EXPECT_EQ(switchesOf("edge", fired), (Switches{{10.0, true}}));
    EXPECT_TRUE(manager->wifiDisabledByMySelf());
}

TEST_F(Edge2WiFiManagerTest, VerificationStopsEarlyWhenThereIsNothingToVerify) {
    manager->deviceUnlocked();
    struct Case {
        const char* what;
        bool wifiOn, associated, memorizedOn, airplane, edgeOffOnWifi;
    };
    for (const Case& c : {Case{"associated", true, true, true, false, true},
                          Case{"off before sleep by the user", false, false, false, false, true},
                          Case{"airplane mode", true, false, true, true, true},
                          Case{"strategy keeps both", true, false, true, false, false}}) {
        SCOPED_TRACE(c.what);
        wifi(c.wifiOn, c.associated);
        phoneState([&c](sim::PhoneState& s) { s.airplaneMode = c.airplane; });
        useAggressive([&c](Strategie& s) { s.enabledEdgeOffOnWifi = c.edgeOffOnWifi; });
        arm(c.memorizedOn);
        advance(20.0);
        EXPECT_TRUE(host->phone().radioChanges().empty());
    }
    // WiFi off by the engine's own doing counts as memorized on.
    phoneState([](sim::PhoneState& s) { s.airplaneMode = false; });
    useAggressive([](Strategie&) {});
    wifi(false, false);
    manager->reloadStates(plist::Dictionary{{std::string(statistics::kWifiDisabledByMySelf), plist::Value(true)}});
    const double fired = arm(false);
    advance(20.0);
    EXPECT_EQ(switchesOf("wifi", fired), (Switches{{0.0, true}, {10.0, false}}));
}

TEST_F(Edge2WiFiManagerTest, EachTimerFireStartsItsOwnVerification) {
    manager->deviceUnlocked();
    wifi(true, false);
    arm(true, -10.0);
    manager->timerVerifyWiFiAndEdge();  // e.g. the background monitor, before the one-shot timer
    advance(20.0);
    // The first one turned WiFi off; the second found it off and tried again.
    EXPECT_EQ(changesOf("wifi").size(), 3u);
}

TEST_F(Edge2WiFiManagerTest, VerificationsOfAGoneManagerDoNothing) {
    manager->deviceUnlocked();
    wifi(true, false);
    arm(true, -10.0);                   // a timer pending...
    manager->timerVerifyWiFiAndEdge();  // ...and a thread not started yet
    manager.reset();                    // returns at once
    advance(20.0);
    EXPECT_TRUE(host->phone().radioChanges().empty());
}

TEST_F(Edge2WiFiManagerTest, CarModeOnACChanges) {
    CommonToAllStrategies& common = CommonToAllStrategies::sharedInstance();
    phoneState([](sim::PhoneState& s) {
        s.bluetoothEnabled = false;
        s.locationServices = false;
    });
    manager->ACPowerChanged(true);
    EXPECT_TRUE(host->phone().radioChanges().empty());

    common.setCarMode(true);
    phoneState([](sim::PhoneState& s) { s.airplaneMode = true; });
    manager->ACPowerChanged(true);
    EXPECT_TRUE(host->phone().radioChanges().empty());
    phoneState([](sim::PhoneState& s) { s.airplaneMode = false; });

    manager->ACPowerChanged(true);
    EXPECT_TRUE(state().bluetoothEnabled);
    EXPECT_TRUE(state().locationServices);

    useAggressive([](Strategie& s) {
        s.bluetoothAtSleep = kRadioOn;
        s.locationAtSleep = kRadioOff;
    });
    manager->ACPowerChanged(false);
    EXPECT_TRUE(state().bluetoothEnabled);
    EXPECT_FALSE(state().locationServices);

    manager->ACPowerChanged(true);
    useAggressive([](Strategie& s) {
        s.bluetoothAtSleep = kRadioAuto;
        s.locationAtSleep = kRadioOn;
    });
    manager->ACPowerChanged(false);
    EXPECT_FALSE(state().bluetoothEnabled);
    EXPECT_TRUE(state().locationServices);
}

}  // namespace
}  // namespace corvane::testing
