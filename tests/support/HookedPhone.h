#pragma once
// A simulated phone under a fresh filesystem root with the engine's hooks
// installed in its runtime, as the engine library does when it loads. The
// engine instance is created by the home screen's launch, through the hooks;
// tests of the radio gateway alone create one with makeRadios() instead.
// Helpers read back the radio switches the phone applied and its log.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"
#include "engine/hooks/SpringBoardHooks.h"
#include "engine/radios/RadiosLib.h"
#include "engine/strategies/CommonToAllStrategies.h"
#include "engine/strategies/Strategie.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/ProcessState.h"
#include "shared/PropertyListFile.h"
#include "shared/SettingsCodes.h"
#include "sim/PhoneHost.h"
#include "tests/support/EngineTestAccess.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {

class HookedPhoneTest : public ::testing::Test {
protected:
    void SetUp() override { startPhone(); }
    void TearDown() override { stopPhone(); }

    // A phone whose runtime carries the engine's hooks; not yet launched.
    // `beforeHooks` may reshape the home screen before the hooks look at it.
    sim::PhoneHost& startPhone(sim::PhoneOptions options = {},
                               const std::function<void(sim::PhoneHost&)>& beforeHooks = {}) {
        stopPhone();
        host = std::make_unique<sim::PhoneHost>(std::move(options));
        if (beforeHooks) beforeHooks(*host);
        SpringBoardHooks::install(*host);
        return *host;
    }

    // A new phone through the fixture's own set-up, on the same filesystem root.
    void freshPhone() {
        TearDown();
        SetUp();
    }

    // The home screen finishes launching: the hooks create the engine.
    void launchHomeScreen() {
        host->homeScreen().finishLaunching();
        ASSERT_NE(engine(), nullptr);
    }

    // Launch and the first battery report, which completes the start-up.
    void launch() {
        launchHomeScreen();
        battery(80, 100);
    }

    // A new engine on the same phone and files, as after a restart of the
    // host, past its deferred start-up but without a battery report.
    void restartEngine() {
        Corvane::setSharedEngine(nullptr);
        launchHomeScreen();
        engine()->postPostInit();
        DebugLog::setDebugEnabled(true);
    }

    Corvane* engine() const { return Corvane::sharedEngine(); }
    Corvane::TestAccess access() const { return {*engine()}; }

    // Puts a new strategy of the given number in force as the user's own.
    void useStrategy(std::int32_t number, const std::function<void(Strategie&)>& adjust = {}) {
        std::shared_ptr<Strategie> chosen = Strategie::strategyFromEnum(number);
        ASSERT_NE(chosen, nullptr);
        if (adjust) adjust(*chosen);
        access().useStrategy(std::move(chosen));
    }

    static plist::Dictionary batteryReading(plist::Value current, plist::Value maximum) {
        return plist::Dictionary{{std::string(battery::kCurrentCapacity), std::move(current)},
                                 {std::string(battery::kMaxCapacity), std::move(maximum)}};
    }
    // A battery report through the home screen.
    void battery(const plist::Dictionary& properties) { host->homeScreen().reportBatteryStatus(&properties); }
    void battery(plist::Value current, plist::Value maximum) {
        battery(batteryReading(std::move(current), std::move(maximum)));
    }

    void writeSettings(const plist::Dictionary& settings) { writeFile(paths::kSettings, settings); }
    static void writeFile(std::string_view phonePath, const plist::Dictionary& dictionary) {
        ASSERT_TRUE(plist::writeFile(paths::resolve(phonePath), plist::Value(dictionary)));
    }
    static std::filesystem::path settingsPath() { return paths::resolve(paths::kSettings); }

    void advance(double seconds) { host->loop().advance(seconds); }
    double now() const { return host->loop().now().secondsSince1970; }

    std::size_t logCount(std::string_view fragment) const {
        std::size_t count = 0;
        for (const std::string& line : host->log().lines()) count += line.find(fragment) != std::string::npos;
        return count;
    }
    bool logged(std::string_view fragment) const { return host->log().contains(fragment); }

    template <class Change>
    void phoneState(Change&& change) {
        host->phone().withState(std::forward<Change>(change));
    }
    sim::PhoneState state() const { return host->phone().snapshot(); }

    // The radio gateway alone, created with the device as it is now.
    RadiosLib& makeRadios() {
        radios = std::make_unique<RadiosLib>(*host);
        return *radios;
    }

    // Every radio on (Bluetooth and push included), before counting switches.
    void allRadiosOn() {
        phoneState([](sim::PhoneState& s) {
            s.wifiEnabled = s.cellularData = s.bluetoothEnabled = s.locationServices = true;
        });
        host->phone().setPushEnabled(true);
        markChanges();
    }

    // Radio switches from the last mark on.
    void markChanges() { changesMark_ = host->phone().radioChanges().size(); }
    std::vector<sim::RadioChange> changes() const {
        std::vector<sim::RadioChange> all = host->phone().radioChanges();
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(changesMark_, all.size())), all.end()};
    }
    // The switches of one radio ("wifi", "edge", "speed"...) since the mark.
    std::vector<sim::RadioChange> changesOf(std::string_view radio) const {
        std::vector<sim::RadioChange> found = changes();
        std::erase_if(found, [radio](const sim::RadioChange& change) { return sim::radioName(change.radio) != radio; });
        return found;
    }
    std::vector<std::string> requestedSpeeds() const {
        std::vector<std::string> speeds;
        for (const sim::RadioChange& change : changesOf("speed")) speeds.emplace_back(sim::dataRateName(change.speed));
        return speeds;
    }
    // "wifi off", "edge on", "speed 2G"... of the switches since the mark.
    std::vector<std::string> changeNames() const {
        std::vector<std::string> names;
        for (const sim::RadioChange& change : changes()) {
            const std::string_view state = change.radio == sim::Radio::Speed ? sim::dataRateName(change.speed)
                                           : change.on                       ? "on"
                                                                             : "off";
            names.push_back(std::string(sim::radioName(change.radio)) + " " + std::string(state));
        }
        return names;
    }
    bool changed(std::string_view name) const {
        std::vector<std::string> names = changeNames();
        return std::find(names.begin(), names.end(), name) != names.end();
    }

    void stopPhone() {
        radios.reset();
        ProcessState::reset();
        host.reset();
        changesMark_ = 0;
    }

    TemporaryRoot root;
    std::unique_ptr<sim::PhoneHost> host;
    std::unique_ptr<RadiosLib> radios;

private:
    std::size_t changesMark_ = 0;
};

// A phone whose home screen has launched (the engine exists), before the
// first battery report: the engine's deferred start-up is left to each test.
class LaunchedPhoneTest : public HookedPhoneTest {
protected:
    void SetUp() override {
        HookedPhoneTest::SetUp();
        launchHomeScreen();
    }
};

// An engine past its deferred start-up, before any battery report.
class StartedEngineTest : public HookedPhoneTest {
protected:
    void SetUp() override {
        HookedPhoneTest::SetUp();
        restartEngine();
    }
};

}  // namespace corvane::testing
