#pragma once
// The settings that do not depend on the strategy, in one process-wide
// object. The settings reader overwrites them on the main thread; the
// Edge/WiFi verification threads read them too, hence the atomics.

#include <atomic>

namespace corvane {

class CommonToAllStrategies {
public:
    // The single object, created on first use and never freed.
    static CommonToAllStrategies& sharedInstance();

    CommonToAllStrategies(const CommonToAllStrategies&) = delete;
    CommonToAllStrategies& operator=(const CommonToAllStrategies&) = delete;

    // Location and Bluetooth stay on while on AC power.
    bool carMode() const { return carMode_.load(); }
    void setCarMode(bool value) { carMode_.store(value); }
    // Stored only; no engine behaviour depends on it.
    bool blockPopups() const { return blockPopups_.load(); }
    void setBlockPopups(bool value) { blockPopups_.store(value); }
    // The None strategy is put in force while on AC power.
    bool enableNoneOnAC() const { return enableNoneOnAC_.load(); }
    void setEnableNoneOnAC(bool value) { enableNoneOnAC_.store(value); }
    // The lock screen (YES) or the screen-off event (NO) drives the radio cycle.
    bool switchRadiosOnLock() const { return switchRadiosOnLock_.load(); }
    void setSwitchRadiosOnLock(bool value) { switchRadiosOnLock_.store(value); }
    // The status-bar icon is not shown.
    bool disableIcon() const { return disableIcon_.load(); }
    void setDisableIcon(bool value) { disableIcon_.store(value); }

    // For tests only: puts every property back to its value at creation, so
    // that one test's settings do not leak into the next.
    void resetToCreationValues();

private:
    CommonToAllStrategies() = default;

    static constexpr bool kCarModeAtCreation = false;
    static constexpr bool kBlockPopupsAtCreation = true;
    static constexpr bool kEnableNoneOnACAtCreation = false;
    static constexpr bool kSwitchRadiosOnLockAtCreation = false;
    static constexpr bool kDisableIconAtCreation = false;

    std::atomic<bool> carMode_{kCarModeAtCreation};
    std::atomic<bool> blockPopups_{kBlockPopupsAtCreation};
    std::atomic<bool> enableNoneOnAC_{kEnableNoneOnACAtCreation};
    std::atomic<bool> switchRadiosOnLock_{kSwitchRadiosOnLockAtCreation};
    std::atomic<bool> disableIcon_{kDisableIconAtCreation};
};

}  // namespace corvane
