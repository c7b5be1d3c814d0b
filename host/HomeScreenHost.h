#pragma once
// The home screen (SpringBoard): registers its classes in the runtime with
// behaviour of its own, answering from the device's facts, and performs the user's and the
// system's actions by sending its own methods through the runtime, so that
// replacements installed by a loaded library see them as on the phone.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/HomeScreen.h"
#include "host/HomeScreenDevice.h"
#include "host/HostRuntime.h"
#include "shared/PropertyList.h"

namespace corvane::host {

struct HomeScreenOptions {
    // SBUIController answers isOnAC (missing on some systems).
    bool uiControllerAnswersIsOnAC = true;
    // Applications answer `process` (newer systems) or only `isRunning`.
    bool applicationsHaveProcess = true;
    // The older away controller exists.
    bool awayControllerPresent = false;
};

using enum platform::ApplicationState;

class HomeScreenHost {
public:
    HomeScreenHost(HostRuntime& runtime, HomeScreenDevice& phone, HomeScreenOptions options = {});
    ~HomeScreenHost();

    // The system version decides which screen-off method the lock screen has.
    bool usesScreenOffForAutoUnlock() const { return screenOffForAutoUnlock_; }

    // System and user actions, each sent through the runtime.
    void finishLaunching();
    void reportBatteryStatus(const plist::Dictionary* properties);
    void setUILocked(bool locked);
    void setScreenOff(bool screenOff);
    // The user locks: user interface locked, then screen off.
    void lock();
    // The user unlocks: screen on, then user interface unlocked.
    void unlock();
    void setOnAC(bool onAC);
    // The home screen reads the WiFi signal strength (it does so often).
    int querySignalStrengthBars();
    void wifiLinkChanged();
    void addApplication(const std::string& bundleIdentifier, const std::string& displayName, bool running = false);
    void setApplicationRunning(const std::string& bundleIdentifier, bool running);
    void setApplicationState(const std::string& bundleIdentifier, std::uint32_t state);
    platform::Object* application(const std::string& bundleIdentifier) const;

    // What the home screen's own implementations saw.
    bool launched() const { return launched_; }
    int batteryReportsSeen() const { return batteryReportsSeen_; }
    std::optional<plist::Dictionary> lastBatteryProperties() const { return lastBatteryProperties_; }

private:
    class Objects;
    friend class Objects;

    HostRuntime& runtime_;
    HomeScreenDevice& phone_;
    HomeScreenOptions options_;
    bool screenOffForAutoUnlock_ = true;
    bool launched_ = false;
    int batteryReportsSeen_ = 0;
    std::optional<plist::Dictionary> lastBatteryProperties_;
    std::unique_ptr<Objects> objects_;
};

}  // namespace corvane::host
