#pragma once
// A simulated phone under a fresh filesystem root with the engine's hooks
// installed in its runtime, as the engine library does when it loads. The
// engine instance is created by the home screen's launch, through the hooks.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"
#include "engine/hooks/SpringBoardHooks.h"
#include "engine/platform/HostPlatform.h"
#include "engine/strategies/CommonToAllStrategies.h"
#include "engine/strategies/Strategie.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"
#include "sim/PhoneHost.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {

class HookedPhoneTest : public ::testing::Test {
protected:
    void TearDown() override { stopPhone(); }

    // A phone whose runtime carries the engine's hooks; not yet launched.
    // `beforeHooks` may reshape the home screen before the hooks look at it.
    sim::PhoneHost& startPhone(sim::PhoneOptions options = {},
                               const std::function<void(sim::PhoneHost&)>& beforeHooks = {}) {
        stopPhone();
        host = std::make_unique<sim::PhoneHost>(std::move(options));
        platform::HostPlatform::install(host.get());
        if (beforeHooks) beforeHooks(*host);
        SpringBoardHooks::install(*host);
        return *host;
    }

    // Launches the home screen (which creates the engine) and delivers the
    // first battery report, which completes the engine's start-up.
    Corvane& launch() {
        host->homeScreen().finishLaunching();
        battery(80, 100);
        return *engine();
    }

    void battery(long long current, long long maximum) {
        plist::Dictionary properties{{"CurrentCapacity", current}, {"MaxCapacity", maximum}};
        host->homeScreen().reportBatteryStatus(&properties);
    }

    Corvane* engine() const { return Corvane::sharedEngine(); }

    void writeSettings(const plist::Dictionary& settings) {
        ASSERT_TRUE(plist::writeFile(paths::resolve(paths::kSettings), plist::Value(settings)));
    }

    void advance(double seconds) { host->loop().advance(seconds); }

    std::size_t logCount(std::string_view fragment) const {
        std::size_t count = 0;
        for (const std::string& line : host->log().lines()) count += line.find(fragment) != std::string::npos;
        return count;
    }

    void stopPhone() {
        delete Corvane::sharedEngine();
        Corvane::setSharedEngine(nullptr);
        platform::HostPlatform::install(nullptr);
        host.reset();
        CommonToAllStrategies::sharedInstance().resetToCreationValues();
        DebugLog::setDebugEnabled(true);
    }

    TemporaryRoot root;
    std::unique_ptr<sim::PhoneHost> host;
};

}  // namespace corvane::testing
