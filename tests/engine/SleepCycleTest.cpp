// The radio sleep and wake cycle, driven through the home screen's lock and
// unlock in virtual time.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/SimPowerManagement.h"
#include "tests/support/HookedPhone.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SleepCycleTest : public LaunchedPhoneTest {
protected:
    // The user lets the engine manage the low power mode.
    void manageLowPowerMode() {
        writeSettings({{"LowPowerMode", true}});
        engine()->reloadPrefs();
    }
    double storedRadioTime(std::string_view key) const {
        std::optional<plist::Dictionary> stored = plist::readDictionary(paths::resolve(paths::kStatisticsPropertyList));
        const plist::Value* value = stored ? stored->find(key) : nullptr;
        return value ? value->doubleValue() : -1.0;
    }
};

TEST_F(SleepCycleTest, NormalCycleSwitchesOffAfterTheDelayAndRestoresTheMemorizedStates) {
    manageLowPowerMode();
    allRadiosOn();

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
    // The radios-off time the app shows, saved.
    EXPECT_EQ(storedRadioTime(statistics::kLastSavedRadioTime), 1800.0);

    // Radios the user had off stay off, in the foreground and in a background wake.
    phoneState([](sim::PhoneState& s) { s.bluetoothEnabled = s.locationServices = false; });
    host->homeScreen().lock();
    advance(15 + 15 * 60 + 1);
    markChanges();
    host->power().postMessage(platform::kIOMessageSystemWillPowerOn);
    host->loop().runPending();
    EXPECT_TRUE(changed("wifi on"));
    EXPECT_FALSE(state().bluetoothEnabled || state().locationServices);
    EXPECT_EQ(storedRadioTime(statistics::kSavedRadioTime), 1800.0 + 15 * 60 + 1) << "added up";
}

TEST_F(SleepCycleTest, LowPowerModeTheUserHadStaysOnAtWakeUp) {
    manageLowPowerMode();
    useStrategy(kStrategyCustom, [](Strategie& s) { s.lowPowerMode = s.lowPowerModeAtSleep = kRadioAuto; });
    phoneState([](sim::PhoneState& s) { s.lowPowerMode = true; });
    host->homeScreen().lock();
    advance(15);
    host->homeScreen().unlock();
    advance(3);
    EXPECT_TRUE(state().lowPowerMode);
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
        access().radios().setMaxAllowedRate(c.memorizedRate);
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

TEST_F(SleepCycleTest, IMessageUltimateAndNoneAtSleepAndAtWakeUp) {
    manageLowPowerMode();
    const struct {
        std::int32_t strategy;
        std::vector<std::string> atSleep;
        bool restores;
    } cases[] = {
        // iMessage keeps cellular data on, at 2G.
        {kStrategyIMessage, {"lowPowerMode on", "wifi off", "location off", "bluetooth off", "speed 2G"}, true},
        {kStrategyUltimate, {"lowPowerMode on", "wifi off", "edge off", "location off", "bluetooth off"}, false},
        {kStrategyNone, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.strategy);
        useStrategy(c.strategy);
        phoneState([](sim::PhoneState& s) { s.lowPowerMode = false; });
        allRadiosOn();
        host->homeScreen().lock();
        advance(60);
        EXPECT_EQ(changeNames(), c.atSleep);
        EXPECT_EQ(host->phone().pushEnabled(), c.atSleep.empty());
        markChanges();
        host->homeScreen().unlock();
        advance(120);
        EXPECT_EQ(changeNames().empty(), !c.restores);
    }
    EXPECT_TRUE(host->alerts().alerts().empty());  // Ultimate as the user's own choice: no warning

    // A temporary Ultimate over another strategy warns at the unlock.
    useStrategy(kStrategyNormal);
    access().forceTemporaryStrategy(kStrategyUltimate);
    host->homeScreen().lock();
    advance(10);
    host->homeScreen().unlock();
    ASSERT_EQ(host->alerts().alerts().size(), 1u);
    EXPECT_EQ(host->alerts().alerts()[0].message, "Switching to Ultimate mode");
    advance(5);
    EXPECT_FALSE(host->alerts().anyVisible());
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
    EXPECT_DOUBLE_EQ(storedRadioTime(statistics::kLastSavedRadioTime), now() - offAt);
}

TEST_F(SleepCycleTest, CarModeKeepsLocationAndBluetoothOnlyOnAC) {
    CommonToAllStrategies::sharedInstance().setCarMode(true);
    for (bool onAC : {true, false}) {
        SCOPED_TRACE(onAC ? "on AC" : "on battery");
        useStrategy(kStrategyNormal);
        engine()->setOnAC(onAC);
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
    // Memorized all the same: the wake-up sets the memorized speed again.
    host->homeScreen().unlock();
    advance(3);
    EXPECT_THAT(requestedSpeeds(), ElementsAre("4G"));
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

TEST_F(SleepCycleTest, AdaptiveBringsWiFiFirstAndCellularDataOnlyWhenWiFiDoesNotAssociate) {
    // The user's figures make the network pay at once: WiFi idle at 5 W.
    writeFile(paths::kEnergyCosts, {{"WiFiIdleMilliwatts", 5000.0}, {"AwakeMilliwatts", 0.0}});
    useStrategy(kStrategyAdaptive);
    allRadiosOn();
    phoneState([](sim::PhoneState& s) { s.wifiAssociated = true; });
    host->homeScreen().lock();
    advance(6);
    EXPECT_TRUE(changed("wifi off"));
    EXPECT_TRUE(changed("edge off"));

    // Back on the known network: WiFi first; it associates, cellular data stays off.
    markChanges();
    host->homeScreen().unlock();
    advance(1);
    EXPECT_TRUE(changed("wifi on"));
    phoneState([](sim::PhoneState& s) { s.wifiAssociated = true; });
    advance(10);
    EXPECT_FALSE(changed("edge on"));

    // The next time WiFi finds no network: cellular data 5 s after WiFi.
    host->homeScreen().lock();
    advance(6);
    markChanges();
    host->homeScreen().unlock();
    advance(1);
    EXPECT_TRUE(changed("wifi on"));
    phoneState([](sim::PhoneState& s) { s.wifiAssociated = false; });
    EXPECT_FALSE(changed("edge on"));
    advance(5);
    EXPECT_TRUE(changed("edge on"));
}

}  // namespace
}  // namespace corvane::testing
