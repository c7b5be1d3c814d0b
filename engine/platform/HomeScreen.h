#pragma once
// The home-screen objects the engine queries, reached by message through the
// object runtime. A missing class, object or method answers NO or none.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "engine/platform/ObjectRuntime.h"

namespace corvane::platform {

// Application state codes, as the home screen passes them to setApplicationState:.
enum ApplicationState : std::uint32_t {
    kApplicationUnknown = 0,
    kApplicationKilled = 1,
    kApplicationSuspended = 2,
    kApplicationBackground = 4,
    kApplicationForeground = 8,
};

class HomeScreen {
public:
    explicit HomeScreen(ObjectRuntime& runtime) : runtime_(runtime) {}

    // SBUIController
    Object* sharedUIController();
    // none when the controller does not answer `isOnAC`.
    std::optional<bool> isOnAC(Object* uiController);

    // SBWiFiManager
    Object* sharedWiFiManager();
    bool isAssociated(Object* wifiManager);
    std::optional<std::string> currentNetworkName(Object* wifiManager);
    bool isPowered(Object* wifiManager);
    bool wiFiEnabled(Object* wifiManager);
    void setWiFiEnabled(Object* wifiManager, bool enabled);

    // SBLockScreenManager / SBLockScreenViewControllerBase
    Object* sharedLockScreenManager();
    Object* lockScreenViewController(Object* lockScreenManager);
    bool isInScreenOffMode(Object* lockScreenViewController);

    // SBAwayController: none when the class is absent.
    Object* sharedAwayController();
    bool isDimmed(Object* awayController);

    // SBApplicationController / SBApplication
    std::vector<Object*> allApplications();
    std::string bundleIdentifier(Object* application);
    std::string displayName(Object* application);
    bool respondsToProcess(Object* application);
    // Through the application's process when `viaProcess`, else the
    // application's own `isRunning`.
    bool isRunning(Object* application, bool viaProcess);

    // SBTelephonyManager: none when absent; every query then answers NO.
    Object* sharedTelephonyManager();
    bool isInAirplaneMode(Object* telephonyManager);
    bool inCall(Object* telephonyManager);
    bool outgoingCallExists(Object* telephonyManager);
    bool incomingCallExists(Object* telephonyManager);
    bool activeCallExists(Object* telephonyManager);
    bool isNetworkTethering(Object* telephonyManager);

private:
    bool ask(Object* receiver, std::string_view selector);

    ObjectRuntime& runtime_;
};

}  // namespace corvane::platform
