// Whole stretches of a phone's day through the engine's cycle, told by what
// the radios do: locking in airplane mode, a temporary Ultimate and the charge
// coming back, plugging in and out while locked, a night with a long sleep
// delay, and WiFi lost on the way then found at home.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "engine/platform/HomeScreen.h"
#include "sim/SimPowerManagement.h"
#include "tests/support/HookedPhone.h"
#include "tests/support/StatisticsQueries.h"

namespace corvane::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::UnorderedElementsAre;

class CycleScenariosTest : public LaunchedPhoneTest {
protected:
    void lock() { host->homeScreen().lock(); }
    void unlock() { host->homeScreen().unlock(); }
    void plug(bool on) { host->homeScreen().setOnAC(on); }
    void screen(bool on) { host->homeScreen().setScreenOff(!on); }
    void airplane(bool on) {
        phoneState([on](sim::PhoneState& s) {
            s.airplaneMode = on;
            s.wifiEnabled = s.cellularData = s.bluetoothEnabled = !on && s.wifiEnabled;
        });
    }
    void charge(int percent) { battery(percent, 100); }
    sim::SimPowerManagement::Answer askToSleep() { return send(platform::kIOMessageCanSystemSleep); }
    void powerOn() { send(platform::kIOMessageSystemWillPowerOn); }
    sim::SimPowerManagement::Answer send(std::uint32_t type) {
        const std::intptr_t argument = host->power().postMessage(type);
        host->loop().runPending();
        return host->power().message(argument).value().answer;
    }
    // The radios a user would look at, as they are now.
    std::vector<std::string> radiosOn() const {
        const sim::PhoneState s = state();
        std::vector<std::string> on;
        if (s.wifiEnabled) on.push_back("wifi");
        if (s.cellularData) on.push_back("edge");
        if (s.bluetoothEnabled) on.push_back("bluetooth");
        if (s.locationServices) on.push_back("location");
        if (host->phone().pushEnabled()) on.push_back("push");
        return on;
    }
    std::vector<std::string> alertMessages() const {
        std::vector<std::string> messages;
        for (const auto& alert : host->alerts().alerts()) messages.push_back(alert.message);
        return messages;
    }
    // The home network in reach or not; an enabled WiFi associates with it.
    void wifiAround(bool reachable) {
        phoneState([reachable](sim::PhoneState& s) {
            s.wifiAssociated = reachable && s.wifiEnabled;
            s.wifiNetwork = reachable ? std::optional<std::string>("Home") : std::nullopt;
            s.wifiBars = reachable ? 3 : 0;
        });
        host->homeScreen().wifiLinkChanged();
    }
};

const std::vector<std::string> kAllRadios{"wifi", "edge", "bluetooth", "location", "push"};

TEST_F(CycleScenariosTest, LockInAirplaneModeThenUnlock) {
    allRadiosOn();
    lock();
    advance(15);
    unlock();
    advance(3);
    ASSERT_EQ(radiosOn(), kAllRadios);

    // In airplane mode the radios read off; that is not what the user wants back.
    airplane(true);
    lock();
    advance(15);
    airplane(false);
    markChanges();
    unlock();
    advance(3);
    EXPECT_TRUE(changed("wifi on"));
    EXPECT_TRUE(changed("bluetooth on"));
    EXPECT_TRUE(changed("edge on"));

    // Unlocked still in airplane mode: one later try, which a lock cancels...
    lock();
    advance(15);
    airplane(true);
    unlock();
    advance(3);
    airplane(false);
    markChanges();
    lock();
    advance(60);
    EXPECT_THAT(changeNames(), IsEmpty());
    // ...which finds airplane mode still on and switches nothing, or off and restores.
    for (const bool stillOn : {true, false}) {
        unlock();
        airplane(true);
        advance(3);
        airplane(stillOn);
        advance(15);
        EXPECT_EQ(changed("wifi on"), !stillOn);
        lock();
    }
}

TEST_F(CycleScenariosTest, TemporaryUltimateThenChargeBack) {
    useStrategy(kStrategyCustom, [](Strategie& s) {
        s.enableNoRadioAtCriticalLevel = true;
        s.radioTimerDurationAtWakeup = 10.0;
    });
    advance(60);
    allRadiosOn();

    // Critical while in use, never locked yet: off with a warning, back with the charge.
    charge(10);
    EXPECT_THAT(radiosOn(), IsEmpty());
    advance(60);
    charge(60);
    EXPECT_EQ(radiosOn(), kAllRadios);
    EXPECT_THAT(requestedSpeeds(), ElementsAre("4G"));
    EXPECT_THAT(alertMessages(), ElementsAre("Switching to Ultimate mode", "Back to Custom mode"));

    // Critical during the wake delay: the wake-up warns and switches nothing;
    // what was on at the lock comes back with the charge.
    lock();
    advance(15);
    const double offAt = now() - 10;  // after the 5-second sleep delay
    unlock();
    advance(5);
    charge(10);
    advance(10);
    EXPECT_THAT(radiosOn(), IsEmpty());
    EXPECT_EQ(alertMessages().size(), 4u);
    EXPECT_EQ(alertMessages().back(), "Switching to Ultimate mode");
    lock();  // nothing memorized under Ultimate, and the radios were off since the first lock
    advance(60);
    unlock();
    markChanges();
    charge(60);
    EXPECT_EQ(radiosOn(), kAllRadios);
    const auto stored = plist::readDictionary(paths::resolve(paths::kStatisticsPropertyList));
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(*stored->find(statistics::kLastSavedRadioTime), plist::Value(now() - offAt));
    EXPECT_THAT(requestedSpeeds(), ElementsAre("4G"));
}

TEST_F(CycleScenariosTest, PlugAndUnplugWhileLocked) {
    CommonToAllStrategies::sharedInstance().setEnableNoneOnAC(true);
    CommonToAllStrategies::sharedInstance().setCarMode(true);
    allRadiosOn();

    // Plugged in before the first lock: the user's speed is left alone.
    plug(true);
    plug(false);
    EXPECT_THAT(requestedSpeeds(), IsEmpty());

    lock();
    advance(15);
    ASSERT_THAT(radiosOn(), IsEmpty());
    plug(true);
    EXPECT_EQ(radiosOn(), kAllRadios);

    // Unplugged, screen still off: off again after the sleep delay (car mode
    // already took Bluetooth and location with the power).
    plug(false);
    EXPECT_THAT(radiosOn(), UnorderedElementsAre("wifi", "edge", "push"));
    advance(15);
    EXPECT_THAT(radiosOn(), IsEmpty());

    // Unplugged with the screen on: the radios stay for the user.
    plug(true);
    screen(true);
    plug(false);
    advance(60);
    EXPECT_TRUE(state().wifiEnabled);

    // Plugged in during the wake delay: the restore ends that delay, so the
    // next lock switches off again.
    screen(false);
    lock();
    advance(15);
    unlock();
    advance(1);
    plug(true);
    plug(false);
    lock();
    advance(15);
    EXPECT_FALSE(state().wifiEnabled);
}

TEST_F(CycleScenariosTest, NightWithALongSleepDelay) {
    // The lock of the user interface, not the screen, starts the cycle.
    CommonToAllStrategies::sharedInstance().setSwitchRadiosOnLock(true);
    useStrategy(kStrategyCustom, [](Strategie& s) {
        s.radioTimerDurationAtSleep = 120.0;
        s.wakeIntervalMinutes = 30.0;
        s.enabledEdgeOffOnWifi = false;
    });
    allRadiosOn();

    // The system asks to sleep 20 seconds after the lock: the radios go off first.
    lock();
    advance(20);
    EXPECT_EQ(askToSleep(), sim::SimPowerManagement::Answer::Allowed);
    EXPECT_THAT(radiosOn(), IsEmpty());
    advance(200);
    EXPECT_THAT(radiosOn(), IsEmpty());

    // Half an hour later a wake-up restores them for at least two minutes.
    advance(30 * 60);
    powerOn();
    EXPECT_EQ(radiosOn(), kAllRadios);
    advance(60);
    EXPECT_EQ(askToSleep(), sim::SimPowerManagement::Answer::Cancelled);
    advance(61);
    charge(80);
    EXPECT_THAT(radiosOn(), IsEmpty());

    // A battery report another half hour on wakes them again, even when the
    // statistics cannot be stored.
    std::filesystem::remove(databasePath());
    std::filesystem::create_directory(databasePath());
    advance(31 * 60);
    charge(79);
    EXPECT_EQ(radiosOn(), kAllRadios);

    // Unlocked and locked again while on in background: a battery report
    // during the sleep delay leaves the radios on, the system's sleep request
    // switches them off.
    advance(150);
    unlock();
    advance(3);
    lock();
    advance(10);
    charge(78);
    EXPECT_EQ(radiosOn(), kAllRadios);
    advance(10);
    EXPECT_EQ(askToSleep(), sim::SimPowerManagement::Answer::Allowed);
    EXPECT_THAT(radiosOn(), IsEmpty());

    // The screen lights for a notification: a wake-up restores at once.
    advance(60);
    screen(true);
    powerOn();
    EXPECT_EQ(radiosOn(), kAllRadios);
    screen(false);

    // The wake-up that comes with an unlock leaves the restore to the wake delay.
    advance(200);
    askToSleep();
    ASSERT_THAT(radiosOn(), IsEmpty());
    advance(31 * 60);
    unlock();
    markChanges();
    powerOn();
    EXPECT_THAT(changeNames(), IsEmpty());
    advance(3);
    EXPECT_TRUE(changed("wifi on"));
}

TEST_F(CycleScenariosTest, WiFiLostThenHomeAgain) {
    writeSettings({{"Strategy", kStrategyAggressive}, {"LowPowerMode", false}});
    charge(80);
    allRadiosOn();
    wifiAround(true);
    EXPECT_EQ(access().currentWiFiNetwork(), "Home");  // no screen shows it
    lock();
    advance(15);

    // On the way: WiFi comes back at the unlock but finds no network.
    wifiAround(false);
    unlock();
    advance(3 + 5 + 10 + 1);
    EXPECT_FALSE(state().wifiEnabled);
    EXPECT_TRUE(state().cellularData);
    advance(1);  // the flags reach their file
    std::optional<plist::Dictionary> stored = plist::readDictionary(paths::resolve(paths::kStatisticsPropertyList));
    ASSERT_TRUE(stored.has_value());
    EXPECT_TRUE(stored->find(statistics::kWifiDisabledByMySelf)->boolValue());

    // WiFi is tried again at every wake-up, even after a restart of the engine.
    lock();
    advance(15);
    restartEngine();
    markChanges();
    unlock();
    advance(3);
    EXPECT_TRUE(changed("wifi on"));
    advance(20);
    EXPECT_FALSE(state().wifiEnabled);

    // Home at night: a background wake-up finds the network, and WiFi is
    // off again before the phone sleeps.
    lock();
    advance(15 + 30 * 60);
    powerOn();
    wifiAround(true);
    advance(121);
    askToSleep();
    ASSERT_FALSE(state().wifiEnabled);

    // In the morning: WiFi connects and cellular data goes off.
    unlock();
    advance(3);
    wifiAround(true);
    host->homeScreen().querySignalStrengthBars();
    EXPECT_FALSE(state().cellularData);
    advance(5 + 11);
    EXPECT_TRUE(state().wifiEnabled);
    stored = plist::readDictionary(paths::resolve(paths::kStatisticsPropertyList));
    EXPECT_FALSE(stored->find(statistics::kWifiDisabledByMySelf)->boolValue());
}

}  // namespace
}  // namespace corvane::testing
