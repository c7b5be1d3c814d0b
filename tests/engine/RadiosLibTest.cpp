// The radio gateway on the simulated phone: guarded switches, refusals
// during calls and with a connected accessory, the network-speed rules by
// device kind and allowed rates, and the answers when parts of the system
// are missing.
#include <gtest/gtest.h>

#include <thread>

#include "shared/AtomicFile.h"
#include "tests/support/HookedPhone.h"

namespace corvane::testing {
namespace {

using platform::DataRate;

std::vector<DataRate> ratesOfKind(int kind) {
    if (kind == 2) return {DataRate::Rate2G, DataRate::Rate3G, DataRate::Rate4G};
    if (kind == 1) return {DataRate::Rate2G, DataRate::Rate3G};
    return {DataRate::Rate2G};
}

class RadiosLibTest : public HookedPhoneTest {
protected:
    RadiosLib& deviceOfKind(int kind) {
        phoneState([kind](sim::PhoneState& s) { s.supportedDataRates = ratesOfKind(kind); });
        RadiosLib& lib = makeRadios();
        EXPECT_EQ(lib.deviceKind, kind);
        return lib;
    }
    std::size_t darwinPosts(std::string_view name) const { return host->darwin().postCount(name); }
    void setCall(bool sim::PhoneState::*call, bool value) {
        phoneState([call, value](sim::PhoneState& s) { s.*call = value; });
    }
};

TEST_F(RadiosLibTest, WiFiAndLocationSwitchOnlyOnAChangeAndPostTheirNotifications) {
    RadiosLib& lib = makeRadios();
    ASSERT_TRUE(lib.isWiFiEnabled());
    lib.setWiFiEnabled(true);
    lib.setLocationEnabled(true);
    EXPECT_TRUE(changes().empty());
    EXPECT_TRUE(host->darwin().posted().empty());

    lib.setWiFiEnabled(false);
    EXPECT_FALSE(state().wifiEnabled);
    EXPECT_EQ(darwinPosts(notifications::kRefreshAllToggles), 1u);
    lib.setLocationEnabled(false);
    EXPECT_EQ(darwinPosts(notifications::kLocationPreferences), 1u);

    // An unpowered WiFi counts as off whatever its enabled flag says.
    phoneState([](sim::PhoneState& s) { s.wifiEnabled = true, s.wifiPowered = false; });
    EXPECT_FALSE(lib.isWiFiEnabled());
}

TEST_F(RadiosLibTest, EdgeIsRefusedDuringEveryKindOfCallAndAnnouncedWhenItChanges) {
    RadiosLib& lib = makeRadios();
    for (bool sim::PhoneState::*call : {&sim::PhoneState::inCall, &sim::PhoneState::outgoingCall,
                                        &sim::PhoneState::incomingCall, &sim::PhoneState::activeCall}) {
        setCall(call, true);
        EXPECT_TRUE(lib.isCallActive());
        EXPECT_FALSE(lib.setEdgeEnabled(false));
        EXPECT_TRUE(state().cellularData);
        setCall(call, false);
    }
    // Already in that state: YES, silently.
    EXPECT_TRUE(lib.setEdgeEnabled(true));
    EXPECT_TRUE(host->local().posted().empty());

    EXPECT_TRUE(lib.setEdgeEnabled(false));
    EXPECT_FALSE(lib.isEdgeEnabled());
    const auto posted = host->local().posted();
    ASSERT_EQ(posted.size(), 1u);
    EXPECT_EQ(posted[0].name, notifications::kCellDataChanged);
    EXPECT_EQ(posted[0].userInfo,
              (plist::Dictionary{{std::string(notifications::kCellDataChangedDataEnabledKey), false}}));
}

TEST_F(RadiosLibTest, NetworkSpeedCodesOutsideTheRangeAndGSM) {
    RadiosLib& lib = deviceOfKind(2);
    for (std::int32_t code : {kSpeedNoChange, 5, -1}) EXPECT_FALSE(lib.set3GState(code)) << code;
    EXPECT_TRUE(requestedSpeeds().empty());

    // GSM means cellular data off, with the cellular refusal during a call.
    setCall(&sim::PhoneState::inCall, true);
    EXPECT_FALSE(lib.set3GState(kSpeedGSM));
    EXPECT_TRUE(state().cellularData);
    setCall(&sim::PhoneState::inCall, false);
    EXPECT_TRUE(lib.set3GState(kSpeedGSM));
    EXPECT_FALSE(state().cellularData);
}

TEST_F(RadiosLibTest, RequestedRateByDeviceKindAndMinimumRate) {
    struct Case {
        int kind;
        std::optional<DataRate> minimum;
        std::int32_t code;
        bool answer;
        std::vector<std::string> requested;
    };
    const Case cases[] = {
        {2, std::nullopt, kSpeed4G, true, {"4G"}},     {2, std::nullopt, kSpeed2G, true, {"2G"}},
        {2, DataRate::Rate3G, kSpeed4G, true, {"3G"}},  // the minimum replaces any code
        {2, DataRate::Rate2G, kSpeed3G, true, {"2G"}}, {1, std::nullopt, kSpeed4G, true, {"3G"}},  // no 4G on kind 1
        {1, std::nullopt, kSpeed2G, true, {"2G"}},     {1, DataRate::Rate2G, kSpeed4G, true, {"2G"}},
        {0, std::nullopt, kSpeed3G, true, {}},  // not 3G capable: nothing to do, and that is fine
    };
    for (const Case& c : cases) {
        freshPhone();
        RadiosLib& lib = deviceOfKind(c.kind);
        lib.setMinAllowedRate(c.minimum);
        EXPECT_EQ(lib.set3GState(c.code), c.answer) << "kind " << c.kind << " code " << c.code;
        EXPECT_EQ(requestedSpeeds(), c.requested) << "kind " << c.kind << " code " << c.code;
    }
}

TEST_F(RadiosLibTest, SpeedRefusalsAndThePlatformAnswer) {
    // Capable device during a call: refused, nothing requested.
    RadiosLib& lib = deviceOfKind(2);
    setCall(&sim::PhoneState::activeCall, true);
    EXPECT_FALSE(lib.set3GState(kSpeed3G));
    setCall(&sim::PhoneState::activeCall, false);

    // The platform's failure is passed on, nothing is retried.
    phoneState([](sim::PhoneState& s) { s.setMaxAllowedDataRateSucceeds = false; });
    EXPECT_FALSE(lib.set3GState(kSpeed3G));
    phoneState([](sim::PhoneState& s) { s.setMaxAllowedDataRateSucceeds = true; });
    EXPECT_TRUE(requestedSpeeds().empty());

    // A device that cannot switch answers YES and changes nothing.
    phoneState([](sim::PhoneState& s) { s.machine = "iPod5,1"; });
    EXPECT_TRUE(makeRadios().set3GState(kSpeed3G));
    EXPECT_TRUE(requestedSpeeds().empty());
}

TEST_F(RadiosLibTest, SpeedMemorizedByDeviceKindAndMaximumRate) {
    struct Case {
        int kind;
        std::optional<DataRate> maximum;
        std::int32_t expected;
    };
    const Case cases[] = {
        {2, std::nullopt, kSpeed4G}, {2, DataRate::Rate3G, kSpeed3G}, {2, DataRate::Rate2G, kSpeed2G},
        {1, std::nullopt, kSpeed3G}, {1, DataRate::Rate2G, kSpeed2G}, {1, DataRate::Rate4G, kSpeedGSM},
        {0, std::nullopt, kSpeed3G},  // not capable
    };
    for (const Case& c : cases) {
        freshPhone();
        RadiosLib& lib = deviceOfKind(c.kind);
        lib.setMaxAllowedRate(c.maximum);
        EXPECT_EQ(lib.get3GState(), c.expected) << "kind " << c.kind;
    }
}

TEST_F(RadiosLibTest, OlderInterfaceReadsTheRATSelectionAndChangesOnlyAKnownSwitchableKind) {
    phoneState([](sim::PhoneState& s) { s.systemVersion = "5.0"; });
    RadiosLib& lib = makeRadios();
    using platform::RATSelection;
    for (const auto& [selection, expected] :
         {std::pair{RATSelection::Selection1, kSpeed3G}, std::pair{RATSelection::Selection2, kSpeed3G},
          std::pair{RATSelection::Other, kSpeed2G}}) {
        phoneState([selection](sim::PhoneState& s) { s.ratSelection = selection; });
        EXPECT_EQ(lib.get3GState(), expected);
    }
    // The kind is determined at the first change; unknown (-1) refuses it.
    phoneState([](sim::PhoneState& s) { s.telephonyServerReachable = false; });
    EXPECT_FALSE(lib.set3GState(kSpeed3G));

    // A kind 0 device refuses it too.
    phoneState([](sim::PhoneState& s) {
        s.telephonyServerReachable = true;
        s.supportedDataRates = std::vector<DataRate>{DataRate::Rate2G};
    });
    EXPECT_FALSE(makeRadios().set3GState(kSpeed3G));
    EXPECT_TRUE(requestedSpeeds().empty());
}

TEST_F(RadiosLibTest, SpeedChangeOffTheMainThreadIsDeferredToTheMainRunLoop) {
    RadiosLib& lib = deviceOfKind(2);
    bool answer = false;
    std::thread background([&] { answer = lib.set3GState(kSpeed3G); });
    background.join();
    EXPECT_TRUE(answer);
    EXPECT_TRUE(requestedSpeeds().empty());  // not yet: it waits for the main run loop
    host->loop().runPending();
    EXPECT_EQ(requestedSpeeds(), std::vector<std::string>{"3G"});

    // A virtual background thread is off the main thread too; a refusal there
    // still answers YES, since the caller cannot wait for it.
    setCall(&sim::PhoneState::inCall, true);
    bool deferredAnswer = false;
    host->loop().detachNewThread([&] { deferredAnswer = lib.set3GState(kSpeed4G); });
    host->loop().runPending();
    EXPECT_TRUE(deferredAnswer);
    EXPECT_EQ(requestedSpeeds(), std::vector<std::string>{"3G"});
}

TEST_F(RadiosLibTest, DeferredSpeedChangeOfAGoneGatewayIsDropped) {
    RadiosLib& lib = deviceOfKind(2);
    std::thread background([&] { lib.set3GState(kSpeed3G); });
    background.join();
    radios.reset();
    host->loop().runPending();
    EXPECT_TRUE(requestedSpeeds().empty());
}

TEST_F(RadiosLibTest, BluetoothRefusesToCutAConnectedAccessory) {
    const std::filesystem::path domain = paths::preferenceDomain(paths::kNetworkPreferencesDomain);
    phoneState([](sim::PhoneState& s) {
        s.bluetoothEnabled = true;
        s.bluetoothConnected = true;
    });
    RadiosLib& lib = makeRadios();
    lib.setBluetoothEnabled(false);
    EXPECT_TRUE(state().bluetoothEnabled);
    EXPECT_FALSE(std::filesystem::exists(domain));

    phoneState([](sim::PhoneState& s) { s.bluetoothConnected = false; });
    lib.setBluetoothEnabled(false);
    EXPECT_FALSE(state().bluetoothEnabled);
    auto stored = plist::readDictionary(domain);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(*stored->find(bluetooth::kNetworkPreferenceKey), plist::Value(false));

    lib.setBluetoothEnabled(true);
    EXPECT_TRUE(state().bluetoothEnabled);
    EXPECT_EQ(*plist::readDictionary(domain)->find(bluetooth::kNetworkPreferenceKey), plist::Value(true));
}

TEST_F(RadiosLibTest, PushRewritesTheWholeListButNeverReplacesAMissingOrForeignOne) {
    const std::filesystem::path list = paths::resolve(paths::kPushPropertyList);
    RadiosLib& lib = makeRadios();
    EXPECT_FALSE(lib.isPushEnabled());
    lib.setPushEnabled(true);
    EXPECT_FALSE(std::filesystem::exists(list));

    // A list whose root is not a dictionary counts as missing and stays as it is.
    ASSERT_TRUE(plist::writeFile(list, plist::Value(plist::Array{true})));
    const std::optional<std::string> before = readWholeFile(list);
    EXPECT_FALSE(lib.isPushEnabled());
    lib.setPushEnabled(true);
    EXPECT_EQ(readWholeFile(list), before);
    EXPECT_EQ(darwinPosts(notifications::kPushPreferences), 0u);

    writeFile(paths::kPushPropertyList, {{"OtherKey", 42}, {std::string(push::kEnablePush), false}});
    EXPECT_FALSE(lib.isPushEnabled());
    lib.setPushEnabled(true);
    lib.setPushEnabled(true);
    EXPECT_TRUE(lib.isPushEnabled());
    EXPECT_EQ(plist::readDictionary(list),
              (plist::Dictionary{{"OtherKey", 42}, {std::string(push::kEnablePush), true}}));
    EXPECT_EQ(darwinPosts(notifications::kPushPreferences), 1u);
}

TEST_F(RadiosLibTest, LowPowerModeWithAndWithoutItsSettingsClass) {
    RadiosLib& lib = makeRadios();
    lib.setLowPowerModeEnabled(true);
    EXPECT_TRUE(lib.isLowPowerModeEnabled());
    lib.setLowPowerModeEnabled(true);
    EXPECT_EQ(changesOf("lowPowerMode").size(), 1u);
    EXPECT_TRUE(host->darwin().posted().empty());

    phoneState([](sim::PhoneState& s) { s.lowPowerModeAvailable = false; });
    EXPECT_FALSE(lib.isLowPowerModeEnabled());
    lib.setLowPowerModeEnabled(false);
    EXPECT_EQ(changesOf("lowPowerMode").size(), 1u);
}

TEST_F(RadiosLibTest, WithoutATelephonyManagerEveryStateQueryAnswersNo) {
    phoneState([](sim::PhoneState& s) {
        s.airplaneMode = s.inCall = s.activeCall = s.tethering = true;
        s.telephonyManagerPresent = false;
    });
    RadiosLib& lib = makeRadios();
    EXPECT_FALSE(lib.isAirplaneModeEnabled());
    EXPECT_FALSE(lib.isCallActive());
    EXPECT_FALSE(lib.isTethering());
    // ...so cellular data may be switched.
    EXPECT_TRUE(lib.setEdgeEnabled(false));
    EXPECT_FALSE(state().cellularData);

    phoneState([](sim::PhoneState& s) { s.telephonyManagerPresent = true; });
    EXPECT_TRUE(lib.isAirplaneModeEnabled());
    EXPECT_TRUE(lib.isTethering());
}

}  // namespace
}  // namespace corvane::testing
