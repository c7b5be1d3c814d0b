// The radio sleep and wake cycle, driven through the home screen's lock and
// unlock in virtual time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/edgewifi/Edge2WiFiManager.h"
#include "sim/SimPowerManagement.h"
#include "tests/support/HookedPhone.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

using SleepCycleTest = LaunchedPhoneTest;

TEST_F(SleepCycleTest, NormalCycleSwitchesOffAfterTheDelayAndRestoresTheMemorizedStates) {
    allRadiosOn();
    engine()->manageLowPowerMode = true;
    engine()->savedRadioTime = 100.0;

    host->homeScreen().lock();
    advance(14);
    EXPECT_THAT(changeNames(), IsEmpty());

    advance(1);
    // Normal at sleep: everything off, cellular data too, and no speed set.
    EXPECT_THAT(changeNames(), ElementsAre("lowPowerMode on", "wifi off", "edge off", "location off", "bluetooth off"));
    EXPECT_FALSE(host->phone().pushEnabled());

    // Radios off for exactly half an hour: unlock 3 seconds before.
    markChanges();
    advance(1797);
    host->homeScreen().unlock();
    advance(2);
    EXPECT_THAT(changeNames(), IsEmpty());
    advance(1);
    EXPECT_THAT(changeNames(),
                ElementsAre("lowPowerMode off", "location on", "wifi on", "bluetooth on", "speed 4G", "edge on"));
    EXPECT_TRUE(host->phone().pushEnabled());
    // The radios-off time the app shows, added up and saved.
    std::optional<plist::Dictionary> stored = plist::readDictionary(paths::resolve(paths::kStatisticsPropertyList));
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(*stored->find(statistics::kLastSavedRadioTime), plist::Value(1800.0));
    EXPECT_EQ(*stored->find(statistics::kSavedRadioTime), plist::Value(1900.0));

    // Radios the user had off stay off, in the foreground and in a background wake.
    phoneState([](sim::PhoneState& s) { s.bluetoothEnabled = s.locationServices = false; });
    host->homeScreen().lock();
    advance(15 + 15 * 60 + 1);
    markChanges();
    host->power().postMessage(platform::kIOMessageSystemWillPowerOn);
    host->loop().runPending();
    EXPECT_TRUE(changed("wifi on"));
    EXPECT_FALSE(state().bluetoothEnabled || state().locationServices);
}

TEST_F(SleepCycleTest, LowPowerModeTheUserHadStaysOnAtWakeUp) {
    useStrategy(kStrategyCustom, [](Strategie& s) { s.lowPowerMode = s.lowPowerModeAtSleep = kRadioAuto; });
    engine()->manageLowPowerMode = true;
    phoneState([](sim::PhoneState& s) { s.lowPowerMode = true; });
    host->homeScreen().lock();
    advance(15);
    host->homeScreen().unlock();
    advance(3);
    EXPECT_TRUE(state().lowPowerMode);
}

TEST_F(SleepCycleTest, IMessageKeepsCellularDataOnAt2GWhileAsleep) {
    useStrategy(kStrategyIMessage);
    allRadiosOn();
    host->homeScreen().lock();
    advance(15);
    EXPECT_THAT(changeNames(), ElementsAre("wifi off", "location off", "bluetooth off", "speed 2G"));
    EXPECT_FALSE(host->phone().pushEnabled());
    EXPECT_TRUE(state().cellularData);
}

TEST_F(SleepCycleTest, WakeUpSpeedFollowsTheMemorizedSpeedAndTheSettings) {
    struct Case {
        std::optional<platform::DataRate> memorizedRate;  // what the speed reads before sleep
        RadioSetting threeG;
        RadioSetting fourG;
        const char* expected;
    };
    const Case cases[] = {
        {platform::DataRate::Rate4G, kRadioAuto, kRadioAuto, "4G"},
        {platform::DataRate::Rate3G, kRadioAuto, kRadioAuto, "3G"},
        {platform::DataRate::Rate2G, kRadioOn, kRadioOn, "4G"},  // 4G wins over 3G
        {platform::DataRate::Rate2G, kRadioOn, kRadioAuto, "3G"},
        {platform::DataRate::Rate4G, kRadioOff, kRadioOff, "2G"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        useStrategy(kStrategyCustom, [&](Strategie& s) {
            s.threeG = c.threeG;
            s.fourG = c.fourG;
        });
        engine()->radiosLib->setMaxAllowedRate(c.memorizedRate);
        allRadiosOn();
        host->homeScreen().lock();
        advance(5);
        host->homeScreen().unlock();
        markChanges();
        advance(3);
        EXPECT_THAT(requestedSpeeds(), ElementsAre(c.expected));
        advance(60);  // let the Edge/WiFi verification finish before the next round
    }
}

TEST_F(SleepCycleTest, UltimateSwitchesEverythingOffAndNothingBack) {
    useStrategy(kStrategyUltimate);
    engine()->manageLowPowerMode = true;
    allRadiosOn();
    host->homeScreen().lock();
    advance(10);
    EXPECT_THAT(changeNames(), ElementsAre("lowPowerMode on", "wifi off", "edge off", "location off", "bluetooth off"));
    EXPECT_FALSE(host->phone().pushEnabled());
    markChanges();
    host->homeScreen().unlock();
    advance(120);
    EXPECT_THAT(changeNames(), IsEmpty());
    EXPECT_TRUE(host->alerts().alerts().empty());  // Ultimate is the user's own choice: no warning

    // A temporary Ultimate over another strategy warns at the unlock.
    std::shared_ptr<Strategie> normal = Strategie::strategyFromEnum(kStrategyNormal);
    engine()->baseStrategy = normal;
    host->homeScreen().lock();
    advance(10);
    host->homeScreen().unlock();
    ASSERT_EQ(host->alerts().alerts().size(), 1u);
    EXPECT_EQ(host->alerts().alerts()[0].message, "Switching to Ultimate mode");
    advance(5);
    EXPECT_FALSE(host->alerts().anyVisible());
}

TEST_F(SleepCycleTest, NoneNeverSwitchesAnything) {
    useStrategy(kStrategyNone);
    allRadiosOn();
    host->homeScreen().lock();
    advance(60);
    EXPECT_THAT(changeNames(), IsEmpty());
    host->homeScreen().unlock();
    advance(60);
    EXPECT_THAT(changeNames(), IsEmpty());
}

TEST_F(SleepCycleTest, LockBeforeTheWakeDelayCancelsTheSwitchOnAndKeepsTheFirstSwitchOff) {
    allRadiosOn();
    host->homeScreen().lock();
    advance(15);
    const double offAt = now();

    // Meanwhile the user's WiFi would read off; a new memorization would see it.
    phoneState([](sim::PhoneState& s) { s.wifiEnabled = false; });
    markChanges();
    advance(100);
    host->homeScreen().unlock();
    advance(2);
    host->homeScreen().lock();  // before the 3-second wake delay
    advance(600);
    EXPECT_THAT(changeNames(), IsEmpty());

    // The next unlock restores, and the radios-off time runs from the first switch-off.
    host->homeScreen().unlock();
    advance(3);
    EXPECT_TRUE(changed("wifi on"));
    EXPECT_DOUBLE_EQ(engine()->lastSavedRadioTime, now() - offAt);
}

TEST_F(SleepCycleTest, AirplaneModeAtWakeUpRetriesOnceInBackgroundModeUnlessALockCameFirst) {
    const auto airplane = [this](bool on) { phoneState([on](sim::PhoneState& s) { s.airplaneMode = on; }); };
    allRadiosOn();
    host->homeScreen().lock();
    advance(15);
    airplane(true);
    host->homeScreen().unlock();
    markChanges();
    advance(3);
    EXPECT_THAT(changeNames(), IsEmpty());
    ASSERT_NE(engine()->awakeTimer, nullptr);  // the retry is pending

    // Still in airplane mode at the retry: only the switch-on date moves.
    advance(15);
    EXPECT_THAT(changeNames(), IsEmpty());
    EXPECT_EQ(engine()->lastTurnOn.secondsSince1970, now());
    EXPECT_FALSE(engine()->awokeInBackground);
    host->homeScreen().lock();
    EXPECT_EQ(engine()->awakeTimer, nullptr);
    EXPECT_EQ(engine()->asleepTimer, nullptr);

    // Airplane mode off before a retry: the radios come back in background mode.
    airplane(false);
    host->homeScreen().unlock();
    airplane(true);
    advance(3);
    airplane(false);
    advance(15);
    EXPECT_TRUE(changed("wifi on"));
    EXPECT_TRUE(engine()->awokeInBackground);
    EXPECT_EQ(engine()->awakeTimer, nullptr);
}

TEST_F(SleepCycleTest, CarModeKeepsLocationAndBluetoothOnlyOnAC) {
    CommonToAllStrategies::sharedInstance().setCarMode(true);
    for (bool onAC : {true, false}) {
        SCOPED_TRACE(onAC ? "on AC" : "on battery");
        useStrategy(kStrategyNormal);
        engine()->onAC = onAC;
        allRadiosOn();
        host->homeScreen().lock();
        advance(15);
        EXPECT_EQ(changed("location off"), !onAC);
        EXPECT_EQ(changed("bluetooth off"), !onAC);
        EXPECT_TRUE(changed("wifi off"));
        host->homeScreen().unlock();
        advance(3);
    }
}

TEST_F(SleepCycleTest, TetheringCancelsTheSwitchOff) {
    allRadiosOn();
    phoneState([](sim::PhoneState& s) { s.tethering = true; });
    host->homeScreen().lock();
    advance(15);
    EXPECT_THAT(changeNames(), IsEmpty());
    EXPECT_TRUE(engine()->memorizedOnce);  // memorized all the same
    EXPECT_FALSE(engine()->lastTurnOff.has_value());
}

TEST_F(SleepCycleTest, ARefusedCellularSwitchOnIsLeftToTheEdgeWiFiManager) {
    allRadiosOn();
    host->homeScreen().lock();
    advance(15);
    EXPECT_FALSE(state().cellularData);
    phoneState([](sim::PhoneState& s) { s.inCall = true; });
    host->homeScreen().unlock();
    advance(3);
    EXPECT_FALSE(state().cellularData);
    EXPECT_TRUE(engine()->edge2WiFiManager->edgeDisabledByMySelf());

    // It comes back at the next wake-up, also when a background wake-up in
    // between brought it back and off again.
    phoneState([](sim::PhoneState& s) { s.inCall = false; });
    const auto powerMessage = [this](std::uint32_t type) {
        host->power().postMessage(type);
        host->loop().runPending();
    };
    host->homeScreen().lock();
    advance(15 + 15 * 60 + 1);
    powerMessage(platform::kIOMessageSystemWillPowerOn);
    ASSERT_TRUE(state().cellularData);
    advance(121);
    powerMessage(platform::kIOMessageCanSystemSleep);
    ASSERT_FALSE(state().cellularData);
    host->homeScreen().unlock();
    advance(3);
    EXPECT_TRUE(state().cellularData);

    // ...and after a restart of the engine.
    host->homeScreen().lock();
    advance(15);
    phoneState([](sim::PhoneState& s) { s.inCall = true; });
    host->homeScreen().unlock();
    advance(3);
    phoneState([](sim::PhoneState& s) { s.inCall = false; });
    host->homeScreen().lock();
    advance(15);
    restartEngine();
    host->homeScreen().unlock();
    advance(3);
    EXPECT_TRUE(state().cellularData);
}

}  // namespace
}  // namespace corvane::testing
