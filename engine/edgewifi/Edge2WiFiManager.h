#pragma once
// Keeps cellular data and WiFi from running together when the strategy asks
// for it, verifies WiFi on a thread of its own after each wake-up, and carries
// the car-mode rule for Bluetooth and location services on AC changes.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "engine/platform/Platform.h"
#include "shared/PropertyList.h"

namespace corvane {

class RadiosLib;
class Strategie;

class Edge2WiFiManager {
public:
    explicit Edge2WiFiManager(platform::Platform& platform);
    ~Edge2WiFiManager();

    void setRadioLib(RadiosLib* radiosLib);
    void strategyDidChanged(std::shared_ptr<const Strategie> strategy);

    void wifiConnected();
    void wifiDisconnected();
    // Whether the strategy in force turns Edge off on WiFi, so that the two
    // above can change anything.
    bool followsWiFi() const;
    void deviceLocked();
    void deviceUnlocked();
    void ACPowerChanged(bool onAC);
    void reloadStates(const plist::Dictionary& dictionary);
    void persistData(plist::Dictionary& dictionary) const;

    bool wifiDisabledByMySelf() const;
    // Set when the verification switches WiFi off for want of a network,
    // cleared when WiFi comes back; a change is handed to the handler below.
    void wifiDisabledByMySelf(bool disabled);
    bool edgeDisabledByMySelf() const;
    void edgeDisabledByMySelf(bool disabled);
    // Runs on the main thread after `wifiDisabledByMySelf` changed, so that
    // the owner can persist the flags.
    void setFlagsChangedHandler(std::function<void()> handler);

    void timerVerifyWiFiAndEdge(bool wifiState, platform::Date lastTurnOn);
    void timerVerifyWiFiAndEdge();
    void timerVerifyWiFiAndEdgeImpl();
    void switchWiFi(bool enabled);
    void switchEdge(bool enabled);

    // The manager's lock: held by a verification from its critical part on,
    // and by the settings loader while it replaces the application lists.
    std::mutex& lock() { return lock_; }

private:
    std::shared_ptr<const Strategie> currentStrategyNow() const;
    // Waits, one-second pause after pause, up to ten pauses, for WiFi to
    // associate; answers the state asked once more afterwards.
    bool waitForAssociation(platform::Object* wifiManager);
    void verifyUnderLock(RadiosLib& radios);

    platform::Platform& platform_;
    // Fields shared with the verification threads: the strategy as an
    // immutable snapshot under stateMutex_, the rest atomic.
    std::shared_ptr<const Strategie> currentStrategy;
    std::atomic<bool> followsWiFi_{false};  // of currentStrategy, read without the lock
    std::function<void()> flagsChanged_;    // set once, before any verification
    std::atomic<RadiosLib*> radioLib{nullptr};
    std::atomic<std::int32_t> deviceLocked_{0};
    std::atomic<bool> edgeDisabledByMySelf_{false};
    std::atomic<bool> wifiDisabledByMySelf_{false};
    std::atomic<bool> wifiLastState{false};
    std::atomic<double> lastTurnOn{0.0};  // seconds since 1 January 2001

    mutable std::mutex stateMutex_;
    std::mutex lock_;

    // Pending one-shot verification timers, invalidated on destruction.
    std::vector<std::shared_ptr<platform::Timer>> verificationTimers_;
    // Verification threads: a thread that starts after the manager is gone
    // does nothing; the destructor waits for those already running.
    struct VerificationGate {
        std::mutex mutex;
        std::condition_variable finished;
        bool open = true;
        int running = 0;
    };
    std::shared_ptr<VerificationGate> gate_ = std::make_shared<VerificationGate>();
};

}  // namespace corvane
