#pragma once
// A simulated phone with the engine attached through the home-screen hooks,
// under a fresh filesystem root: the engine is created by the home screen's
// launch, and lock, unlock, application and power events reach it the way
// they do on the phone. Helpers read the radio switches the phone applied.

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/controller/Corvane.h"
#include "engine/strategies/Strategie.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"
#include "sim/PhoneHost.h"
#include "tests/support/HookedPhone.h"

namespace corvane::testing {

class CycleTest : public HookedPhoneTest {
protected:
    void SetUp() override { createPhone(); }

    // A new phone, launched unless asked otherwise. The engine's deferred
    // start-up (settings, statistics) is left to each test.
    void createPhone(sim::PhoneOptions options = {}, bool launch = true) {
        engine = nullptr;
        startPhone(std::move(options));
        std::filesystem::create_directories(paths::resolve(paths::kPreferencesFolder));
        if (launch) launchHomeScreen();
    }

    // The home screen finishes launching: the hooks create the engine.
    void launchHomeScreen() {
        host->homeScreen().finishLaunching();
        engine = Corvane::sharedEngine();
        ASSERT_NE(engine, nullptr);
    }

    // Puts a new strategy of the given number in force as the user's own.
    void useStrategy(std::int32_t number, const std::function<void(Strategie&)>& adjust = {}) {
        std::shared_ptr<Strategie> chosen = Strategie::strategyFromEnum(number);
        ASSERT_NE(chosen, nullptr);
        if (adjust) adjust(*chosen);
        engine->baseStrategy = chosen;
        engine->strategy = chosen;
        engine->strategyDidChanged();
    }

    // Every radio on (Bluetooth and push included), before counting switches.
    void allRadiosOn() {
        host->phone().setWiFiEnabled(true);
        host->phone().setCellularData(true);
        host->phone().setBluetoothEnabled(true);
        host->phone().setLocationServices(true);
        host->phone().setPushEnabled(true);
        markChanges();
    }

    double now() const { return host->loop().now().secondsSince1970; }

    // Radio switches from the last mark on.
    void markChanges() { changesMark_ = host->phone().radioChanges().size(); }
    std::vector<sim::RadioChange> changes() const {
        std::vector<sim::RadioChange> all = host->phone().radioChanges();
        return {all.begin() + static_cast<std::ptrdiff_t>(std::min(changesMark_, all.size())), all.end()};
    }
    // "wifi off", "edge on", "speed 2G"... of the switches since the mark.
    std::vector<std::string> changeNames() const {
        std::vector<std::string> names;
        for (const sim::RadioChange& change : changes()) {
            names.push_back(change.radio + " " + (change.radio == "speed" ? change.speed : (change.on ? "on" : "off")));
        }
        return names;
    }
    bool changed(std::string_view name) const {
        std::vector<std::string> names = changeNames();
        return std::find(names.begin(), names.end(), name) != names.end();
    }

    sim::PhoneState state() const { return host->phone().snapshot(); }

    static std::filesystem::path settingsPath() { return paths::resolve(paths::kSettings); }
    static void writeFile(std::string_view phonePath, const plist::Dictionary& dictionary) {
        ASSERT_TRUE(plist::writeFile(paths::resolve(phonePath), plist::Value(dictionary)));
    }

    // The engine the home screen created (the base's engine() is the same object).
    Corvane* engine = nullptr;

private:
    std::size_t changesMark_ = 0;
};

}  // namespace corvane::testing
