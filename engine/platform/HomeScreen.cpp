#include "engine/platform/HomeScreen.h"

namespace corvane::platform {

bool HomeScreen::ask(Object* receiver, std::string_view selector) {
    return send<bool>(runtime_, receiver, selector).value_or(false);
}

Object* HomeScreen::sharedUIController() { return sharedObject(runtime_, "SBUIController", "sharedInstance"); }

std::optional<bool> HomeScreen::isOnAC(Object* uiController) { return send<bool>(runtime_, uiController, "isOnAC"); }

Object* HomeScreen::sharedWiFiManager() { return sharedObject(runtime_, "SBWiFiManager", "sharedInstance"); }

bool HomeScreen::isAssociated(Object* wifiManager) { return ask(wifiManager, "isAssociated"); }

std::optional<std::string> HomeScreen::currentNetworkName(Object* wifiManager) {
    return send<std::optional<std::string>>(runtime_, wifiManager, "currentNetworkName").value_or(std::nullopt);
}

bool HomeScreen::isPowered(Object* wifiManager) { return ask(wifiManager, "isPowered"); }

bool HomeScreen::wiFiEnabled(Object* wifiManager) { return ask(wifiManager, "wiFiEnabled"); }

void HomeScreen::setWiFiEnabled(Object* wifiManager, bool enabled) {
    sendVoid(runtime_, wifiManager, "setWiFiEnabled:", enabled);
}

Object* HomeScreen::sharedLockScreenManager() {
    return sharedObject(runtime_, "SBLockScreenManager", "sharedInstance");
}

Object* HomeScreen::lockScreenViewController(Object* lockScreenManager) {
    return send<Object*>(runtime_, lockScreenManager, "lockScreenViewController").value_or(nullptr);
}

bool HomeScreen::isInScreenOffMode(Object* lockScreenViewController) {
    return ask(lockScreenViewController, "isInScreenOffMode");
}

Object* HomeScreen::sharedAwayController() {
    return sharedObject(runtime_, "SBAwayController", "sharedAwayController");
}

bool HomeScreen::isDimmed(Object* awayController) { return ask(awayController, "isDimmed"); }

std::vector<Object*> HomeScreen::allApplications() {
    Object* controller = sharedObject(runtime_, "SBApplicationController", "sharedInstance");
    return send<std::vector<Object*>>(runtime_, controller, "allApplications").value_or(std::vector<Object*>{});
}

std::string HomeScreen::bundleIdentifier(Object* application) {
    return send<std::string>(runtime_, application, "bundleIdentifier").value_or(std::string{});
}

std::string HomeScreen::displayName(Object* application) {
    return send<std::string>(runtime_, application, "displayName").value_or(std::string{});
}

bool HomeScreen::respondsToProcess(Object* application) {
    return send<Object*>(runtime_, application, "process").has_value();
}

bool HomeScreen::isRunning(Object* application, bool viaProcess) {
    if (!viaProcess) return ask(application, "isRunning");
    return ask(send<Object*>(runtime_, application, "process").value_or(nullptr), "isRunning");
}

Object* HomeScreen::sharedTelephonyManager() {
    return sharedObject(runtime_, "SBTelephonyManager", "sharedTelephonyManager");
}

bool HomeScreen::isInAirplaneMode(Object* telephonyManager) { return ask(telephonyManager, "isInAirplaneMode"); }
bool HomeScreen::inCall(Object* telephonyManager) { return ask(telephonyManager, "inCall"); }
bool HomeScreen::outgoingCallExists(Object* telephonyManager) { return ask(telephonyManager, "outgoingCallExists"); }
bool HomeScreen::incomingCallExists(Object* telephonyManager) { return ask(telephonyManager, "incomingCallExists"); }
bool HomeScreen::activeCallExists(Object* telephonyManager) { return ask(telephonyManager, "activeCallExists"); }
bool HomeScreen::isNetworkTethering(Object* telephonyManager) { return ask(telephonyManager, "isNetworkTethering"); }

}  // namespace corvane::platform
