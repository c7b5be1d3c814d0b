#pragma once
// A simulated phone under a fresh filesystem root, installed as the host
// platform, with the radio gateway created on demand (after a test has set
// the device facts it needs) and helpers to read what the phone saw.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/controller/DebugLog.h"
#include "engine/platform/HostPlatform.h"
#include "engine/radios/RadiosLib.h"
#include "engine/strategies/CommonToAllStrategies.h"
#include "shared/Paths.h"
#include "sim/PhoneHost.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {

class RadioPhoneTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The phone's preferences folder always exists.
        std::filesystem::create_directories(paths::resolve(paths::kPreferencesFolder));
        host = std::make_unique<sim::PhoneHost>();
        platform::HostPlatform::install(host.get());
        DebugLog::setDebugEnabled(true);
    }

    void TearDown() override {
        radios.reset();
        platform::HostPlatform::install(nullptr);
        host.reset();
        CommonToAllStrategies::sharedInstance().resetToCreationValues();
        DebugLog::setDebugEnabled(true);
    }

    // A new phone (same filesystem root), for tests that walk through cases.
    void freshPhone() {
        TearDown();
        SetUp();
    }

    template <class Fn>
    void phoneState(Fn&& change) {
        host->phone().withState(std::forward<Fn>(change));
    }
    sim::PhoneState state() const { return host->phone().snapshot(); }

    // The gateway, created with the device as it is now.
    RadiosLib& makeRadios() {
        radios.reset();
        radios = std::make_unique<RadiosLib>(*host);
        return *radios;
    }

    // The switches of one radio ("wifi", "edge", "speed"...) that took effect.
    std::vector<sim::RadioChange> changesOf(std::string_view radio) const {
        std::vector<sim::RadioChange> found;
        for (const sim::RadioChange& change : host->phone().radioChanges()) {
            if (change.radio == radio) found.push_back(change);
        }
        return found;
    }
    std::vector<std::string> requestedSpeeds() const {
        std::vector<std::string> speeds;
        for (const sim::RadioChange& change : changesOf("speed")) speeds.push_back(change.speed);
        return speeds;
    }

    std::size_t darwinPosts(std::string_view name) const { return host->darwin().postCount(name); }
    bool logged(std::string_view fragment) const { return host->log().contains(fragment); }

    TemporaryRoot root;
    std::unique_ptr<sim::PhoneHost> host;
    std::unique_ptr<RadiosLib> radios;
};

}  // namespace corvane::testing
