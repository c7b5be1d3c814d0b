// The Edge/WiFi verification with real threads, for ThreadSanitizer: two
// verifications racing each other, the application lists replaced under the
// manager's lock, and the main thread's signal, lock, strategy and
// persistence events, while the verification threads switch radios and
// another thread changes the WiFi association. Pauses are scaled down a
// thousandfold, so a ten-second wait takes ten milliseconds.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/edgewifi/Edge2WiFiManager.h"
#include "engine/platform/HostPlatform.h"
#include "engine/radios/RadiosLib.h"
#include "engine/strategies/Strategie.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/ProcessState.h"
#include "shared/SettingsCodes.h"
#include "sim/PhoneHost.h"
#include "sim/PlatformOverlay.h"
#include "sim/RealTimeThreads.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {
namespace {

constexpr double kPauseScale = 0.001;
constexpr int kRounds = 30;

class Edge2WiFiRaceTest : public ::testing::Test {
protected:
    Edge2WiFiRaceTest() : overlay(host) {
        overlay.overrideClock(&clock);
        overlay.overrideThreads(&threads);
        platform::HostPlatform::install(&host);
        radios = std::make_unique<RadiosLib>(overlay);
        manager = std::make_unique<Edge2WiFiManager>(overlay);
        manager->setRadioLib(radios.get());
        manager->strategyDidChanged(Strategie::strategyFromEnum(kStrategyAggressive));
        manager->deviceUnlocked();
    }
    ~Edge2WiFiRaceTest() override {
        manager.reset();  // waits for the verifications still running
        threads.joinAll();
        radios.reset();
        ProcessState::reset();
    }

    // The radios were woken well over 4.5 seconds ago, with WiFi on.
    void armWokenLongAgo() {
        manager->timerVerifyWiFiAndEdge(true, platform::Date{clock.now().secondsSince1970 - 60.0});
    }

    TemporaryRoot root;
    sim::PhoneHost host;
    sim::RealTimeClock clock;
    sim::RealTimeThreads threads{kPauseScale};
    sim::PlatformOverlay overlay;
    std::unique_ptr<RadiosLib> radios;
    std::unique_ptr<Edge2WiFiManager> manager;
};

TEST_F(Edge2WiFiRaceTest, VerificationsReloadsAndMainThreadEventsDoNotRace) {
    // The application lists as the settings loader keeps them: replaced whole
    // under the manager's lock.
    auto keepApps = std::make_shared<plist::Dictionary>();
    std::atomic<bool> stop{false};

    // The air: WiFi associates and drops again while the verifications wait.
    std::thread air([this, &stop] {
        int step = 0;
        while (!stop.load()) {
            const bool associate = (step++ % 3) == 0;
            host.phone().withState([associate](sim::PhoneState& s) {
                s.wifiAssociated = associate && s.wifiEnabled;
                s.wifiBars = s.wifiAssociated ? 3 : 0;
            });
            std::this_thread::sleep_for(std::chrono::milliseconds(3));
        }
    });

    for (int round = 0; round < kRounds; ++round) {
        // WiFi found on (waiting for a network) or off (tried again), by turns.
        host.phone().withState([round](sim::PhoneState& s) {
            s.wifiEnabled = round % 2 == 0;
            s.wifiAssociated = false;
        });
        armWokenLongAgo();
        // Two verifications racing each other (the one-shot timer and the background monitor).
        manager->timerVerifyWiFiAndEdge();
        manager->timerVerifyWiFiAndEdge();

        // Meanwhile on the main thread: a settings reload replacing the lists...
        {
            std::lock_guard guard(manager->lock());
            auto replaced = std::make_shared<plist::Dictionary>();
            replaced->set("com.example.app" + std::to_string(round), plist::Value(true));
            keepApps = std::move(replaced);
        }
        // ...signal events, and bursts of lock events, strategy changes,
        // re-armed verifications and persistence, while the verification
        // threads read the same fields.
        manager->wifiConnected();
        manager->wifiDisconnected();
        for (int event = 0; event < 50; ++event) {
            event % 2 == 0 ? manager->deviceLocked() : manager->deviceUnlocked();
            std::shared_ptr<Strategie> strategy =
                Strategie::strategyFromEnum(event % 2 ? kStrategyAggressive : kStrategyCustom);
            strategy->edgeAtSleep = event % 3 == 0 ? kRadioOn : kRadioOff;
            manager->strategyDidChanged(std::move(strategy));
            armWokenLongAgo();
            manager->reloadStates(
                plist::Dictionary{{std::string(statistics::kWifiDisabledByMySelf), plist::Value(event % 2 == 0)}});
            plist::Dictionary persisted;
            manager->persistData(persisted);
            EXPECT_EQ(persisted.size(), 2u);
            manager->edgeDisabledByMySelf(event % 2 == 1);
        }
    }
    threads.joinAll();
    stop.store(true);
    air.join();

    // The verifications did run and switched radios from their own threads.
    EXPECT_GE(threads.pausesMade(), 10);
    EXPECT_FALSE(host.phone().radioChanges().empty());
}

TEST_F(Edge2WiFiRaceTest, VerificationWaitsForAReloadHoldingTheLock) {
    host.phone().withState([](sim::PhoneState& s) {
        s.wifiEnabled = false;
        s.wifiAssociated = false;
    });
    armWokenLongAgo();
    {
        std::lock_guard guard(manager->lock());
        manager->timerVerifyWiFiAndEdge();
        manager->timerVerifyWiFiAndEdge();
        std::this_thread::yield();
        // Nothing is switched while the lock is held elsewhere.
        EXPECT_TRUE(host.phone().radioChanges().empty());
    }
    threads.joinAll();
    // The two ran one after the other: each turned WiFi on, waited in vain,
    // and turned it back off; cellular data came on after the first.
    std::vector<bool> wifiSwitches;
    for (const sim::RadioChange& change : host.phone().radioChanges()) {
        if (change.radio == sim::Radio::WiFi) wifiSwitches.push_back(change.on);
    }
    EXPECT_EQ(wifiSwitches, (std::vector<bool>{true, false, true, false}));
    EXPECT_EQ(threads.pausesMade(), 20);
}

}  // namespace
}  // namespace corvane::testing
