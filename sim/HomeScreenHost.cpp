#include "sim/HomeScreenHost.h"

#include <algorithm>

#include "shared/VersionCompare.h"

namespace corvane::sim {

namespace {

using platform::Object;

// Every home-screen object knows the host it belongs to.
class HostObject : public Object {
public:
    HostObject(Class* isa, HomeScreenHost& host, SimulatedPhone& phone) : Object(isa), host(host), phone(phone) {}
    HomeScreenHost& host;
    SimulatedPhone& phone;
};

class ApplicationObject;

class ProcessObject final : public Object {
public:
    ProcessObject(Class* isa, ApplicationObject& application) : Object(isa), application(application) {}
    ApplicationObject& application;
};

class ApplicationObject final : public Object {
public:
    ApplicationObject(Class* isa, std::string bundleIdentifier, std::string displayName, bool running)
        : Object(isa),
          bundleIdentifier(std::move(bundleIdentifier)),
          displayName(std::move(displayName)),
          running(running) {}
    std::string bundleIdentifier;
    std::string displayName;
    bool running;
    std::uint32_t state = kApplicationUnknown;
    std::unique_ptr<ProcessObject> process;
};

HostObject& host(Object* self) { return *static_cast<HostObject*>(self); }
ApplicationObject& app(Object* self) { return *static_cast<ApplicationObject*>(self); }

Object* sharedObjectOf(Class* cls) { return cls->sharedObject; }

}  // namespace

class HomeScreenHost::Objects {
public:
    std::unique_ptr<HostObject> springBoard;
    std::unique_ptr<HostObject> wifiManager;
    std::unique_ptr<HostObject> lockScreenManager;
    std::unique_ptr<HostObject> lockScreenViewController;
    std::unique_ptr<HostObject> uiController;
    std::unique_ptr<HostObject> applicationController;
    std::unique_ptr<HostObject> telephonyManager;
    std::unique_ptr<HostObject> awayController;
    std::vector<std::unique_ptr<ApplicationObject>> applications;
    Class* applicationClass = nullptr;
    Class* processClass = nullptr;

    static void markBatteryReport(HomeScreenHost& h, const plist::Dictionary* properties) {
        ++h.batteryReportsSeen_;
        if (properties != nullptr) h.lastBatteryProperties_ = *properties;
    }
    static void markLaunched(HomeScreenHost& h) { h.launched_ = true; }
};

HomeScreenHost::HomeScreenHost(SimRuntime& runtime, SimulatedPhone& phone, HomeScreenOptions options)
    : runtime_(runtime), phone_(phone), options_(options), objects_(std::make_unique<Objects>()) {
    using Getter = Object* (*)(Class*);
    Objects& o = *objects_;

    // SpringBoard
    Class* springBoard = runtime.defineClass("SpringBoard");
    o.springBoard = std::make_unique<HostObject>(springBoard, *this, phone);
    springBoard->sharedObject = o.springBoard.get();
    runtime.addClassMethod<Getter>(springBoard, "sharedApplication", &sharedObjectOf);
    runtime.addMethod<void (*)(Object*, Object*)>(
        springBoard,
        "applicationDidFinishLaunching:", [](Object* self, Object*) { Objects::markLaunched(host(self).host); });
    runtime.addMethod<void (*)(Object*, const plist::Dictionary*)>(
        springBoard, "batteryStatusDidChange:", [](Object* self, const plist::Dictionary* properties) {
            Objects::markBatteryReport(host(self).host, properties);
        });

    // SBWiFiManager
    Class* wifi = runtime.defineClass("SBWiFiManager");
    o.wifiManager = std::make_unique<HostObject>(wifi, *this, phone);
    wifi->sharedObject = o.wifiManager.get();
    runtime.addClassMethod<Getter>(wifi, "sharedInstance", &sharedObjectOf);
    runtime.addMethod<int (*)(Object*)>(wifi, "signalStrengthBars", [](Object* self) {
        return host(self).phone.withState([](PhoneState& s) { return s.wifiAssociated ? s.wifiBars : 0; });
    });
    runtime.addMethod<void (*)(Object*)>(wifi, "_linkDidChange", [](Object*) {});
    runtime.addMethod<bool (*)(Object*)>(wifi, "isAssociated", [](Object* self) {
        return host(self).phone.withState([](PhoneState& s) { return s.wifiAssociated; });
    });
    runtime.addMethod<std::optional<std::string> (*)(Object*)>(wifi, "currentNetworkName", [](Object* self) {
        return host(self).phone.withState(
            [](PhoneState& s) { return s.wifiAssociated ? s.wifiNetwork : std::optional<std::string>{}; });
    });
    runtime.addMethod<bool (*)(Object*)>(wifi, "isPowered", [](Object* self) {
        return host(self).phone.withState([](PhoneState& s) { return s.wifiPowered; });
    });
    runtime.addMethod<bool (*)(Object*)>(wifi, "wiFiEnabled", [](Object* self) {
        return host(self).phone.withState([](PhoneState& s) { return s.wifiEnabled; });
    });
    runtime.addMethod<void (*)(Object*, bool)>(
        wifi, "setWiFiEnabled:", [](Object* self, bool enabled) { host(self).phone.setWiFiEnabled(enabled); });

    // SBLockScreenManager and its view controller
    Class* lockScreen = runtime.defineClass("SBLockScreenManager");
    Class* lockScreenController = runtime.defineClass("SBLockScreenViewControllerBase");
    o.lockScreenManager = std::make_unique<HostObject>(lockScreen, *this, phone);
    o.lockScreenViewController = std::make_unique<HostObject>(lockScreenController, *this, phone);
    lockScreen->sharedObject = o.lockScreenManager.get();
    runtime.addClassMethod<Getter>(lockScreen, "sharedInstance", &sharedObjectOf);
    runtime.addMethod<void (*)(Object*, bool)>(lockScreen, "_setUILocked:", [](Object* self, bool locked) {
        host(self).phone.withState([&](PhoneState& s) { s.uiLocked = locked; });
    });
    runtime.addMethod<Object* (*)(Object*)>(lockScreen, "lockScreenViewController", [](Object* self) -> Object* {
        return host(self).host.objects_->lockScreenViewController.get();
    });
    screenOffForAutoUnlock_ = compareVersions(phone.device().systemVersion(), "8.0") >= 0;
    if (screenOffForAutoUnlock_) {
        runtime.addMethod<void (*)(Object*, bool, bool)>(
            lockScreenController, "setInScreenOffMode:forAutoUnlock:", [](Object* self, bool screenOff, bool) {
                host(self).phone.withState([&](PhoneState& s) { s.screenOff = screenOff; });
            });
    } else {
        runtime.addMethod<void (*)(Object*, bool)>(
            lockScreenController, "setInScreenOffMode:", [](Object* self, bool screenOff) {
                host(self).phone.withState([&](PhoneState& s) { s.screenOff = screenOff; });
            });
    }
    runtime.addMethod<bool (*)(Object*)>(lockScreenController, "isInScreenOffMode", [](Object* self) {
        return host(self).phone.withState([](PhoneState& s) { return s.screenOff; });
    });

    // SBUIController
    Class* ui = runtime.defineClass("SBUIController");
    o.uiController = std::make_unique<HostObject>(ui, *this, phone);
    ui->sharedObject = o.uiController.get();
    runtime.addClassMethod<Getter>(ui, "sharedInstance", &sharedObjectOf);
    runtime.addMethod<void (*)(Object*)>(ui, "ACPowerChanged", [](Object*) {});
    if (options.uiControllerAnswersIsOnAC) {
        runtime.addMethod<bool (*)(Object*)>(ui, "isOnAC", [](Object* self) {
            return host(self).phone.withState([](PhoneState& s) { return s.onAC; });
        });
    }

    // SBApplication (and the process object of newer systems)
    o.applicationClass = runtime.defineClass("SBApplication");
    runtime.addMethod<void (*)(Object*, std::uint32_t)>(
        o.applicationClass, "setApplicationState:", [](Object* self, std::uint32_t state) { app(self).state = state; });
    runtime.addMethod<std::string (*)(Object*)>(o.applicationClass, "bundleIdentifier",
                                                [](Object* self) { return app(self).bundleIdentifier; });
    runtime.addMethod<std::string (*)(Object*)>(o.applicationClass, "displayName",
                                                [](Object* self) { return app(self).displayName; });
    if (options.applicationsHaveProcess) {
        o.processClass = runtime.defineClass("SBProcess");
        runtime.addMethod<Object* (*)(Object*)>(o.applicationClass, "process",
                                                [](Object* self) -> Object* { return app(self).process.get(); });
        runtime.addMethod<bool (*)(Object*)>(o.processClass, "isRunning", [](Object* self) {
            return static_cast<ProcessObject*>(self)->application.running;
        });
    } else {
        runtime.addMethod<bool (*)(Object*)>(o.applicationClass, "isRunning",
                                             [](Object* self) { return app(self).running; });
    }

    // SBApplicationController
    Class* controller = runtime.defineClass("SBApplicationController");
    o.applicationController = std::make_unique<HostObject>(controller, *this, phone);
    controller->sharedObject = o.applicationController.get();
    runtime.addClassMethod<Getter>(controller, "sharedInstance", &sharedObjectOf);
    runtime.addMethod<std::vector<Object*> (*)(Object*)>(controller, "allApplications", [](Object* self) {
        std::vector<Object*> all;
        for (auto& application : host(self).host.objects_->applications) all.push_back(application.get());
        return all;
    });

    // SBTelephonyManager: answers none while the phone has no telephony manager.
    Class* telephony = runtime.defineClass("SBTelephonyManager");
    o.telephonyManager = std::make_unique<HostObject>(telephony, *this, phone);
    telephony->sharedObject = o.telephonyManager.get();
    runtime.addClassMethod<Getter>(telephony, "sharedTelephonyManager", [](Class* cls) -> Object* {
        auto& self = host(cls->sharedObject);
        return self.phone.withState([](PhoneState& s) { return s.telephonyManagerPresent; }) ? cls->sharedObject
                                                                                             : nullptr;
    });
    runtime.addMethod<bool (*)(Object*)>(telephony, "isInAirplaneMode", [](Object* self) {
        return host(self).phone.withState([](PhoneState& s) { return s.airplaneMode; });
    });
    runtime.addMethod<bool (*)(Object*)>(telephony, "inCall", [](Object* self) {
        return host(self).phone.withState([](PhoneState& s) { return s.inCall; });
    });
    runtime.addMethod<bool (*)(Object*)>(telephony, "outgoingCallExists", [](Object* self) {
        return host(self).phone.withState([](PhoneState& s) { return s.outgoingCall; });
    });
    runtime.addMethod<bool (*)(Object*)>(telephony, "incomingCallExists", [](Object* self) {
        return host(self).phone.withState([](PhoneState& s) { return s.incomingCall; });
    });
    runtime.addMethod<bool (*)(Object*)>(telephony, "activeCallExists", [](Object* self) {
        return host(self).phone.withState([](PhoneState& s) { return s.activeCall; });
    });
    runtime.addMethod<bool (*)(Object*)>(telephony, "isNetworkTethering", [](Object* self) {
        return host(self).phone.withState([](PhoneState& s) { return s.tethering; });
    });

    // SBAwayController, on older systems only.
    if (options.awayControllerPresent) {
        Class* away = runtime.defineClass("SBAwayController");
        o.awayController = std::make_unique<HostObject>(away, *this, phone);
        away->sharedObject = o.awayController.get();
        runtime.addClassMethod<Getter>(away, "sharedAwayController", &sharedObjectOf);
        runtime.addMethod<bool (*)(Object*)>(away, "isDimmed", [](Object* self) {
            return host(self).phone.withState([](PhoneState& s) { return s.dimmed; });
        });
    }
}

HomeScreenHost::~HomeScreenHost() = default;

void HomeScreenHost::finishLaunching() {
    platform::sendVoid<Object*>(runtime_, objects_->springBoard.get(),
                                "applicationDidFinishLaunching:", objects_->springBoard.get());
}

void HomeScreenHost::reportBatteryStatus(const plist::Dictionary* properties) {
    platform::sendVoid<const plist::Dictionary*>(runtime_, objects_->springBoard.get(),
                                                 "batteryStatusDidChange:", properties);
}

void HomeScreenHost::setUILocked(bool locked) {
    platform::sendVoid<bool>(runtime_, objects_->lockScreenManager.get(), "_setUILocked:", locked);
}

void HomeScreenHost::setScreenOff(bool screenOff) {
    if (screenOffForAutoUnlock_) {
        platform::sendVoid<bool, bool>(runtime_, objects_->lockScreenViewController.get(),
                                       "setInScreenOffMode:forAutoUnlock:", screenOff, false);
    } else {
        platform::sendVoid<bool>(runtime_, objects_->lockScreenViewController.get(), "setInScreenOffMode:", screenOff);
    }
}

void HomeScreenHost::lock() {
    setUILocked(true);
    setScreenOff(true);
}

void HomeScreenHost::unlock() {
    setScreenOff(false);
    setUILocked(false);
}

void HomeScreenHost::setOnAC(bool onAC) {
    phone_.withState([&](PhoneState& s) { s.onAC = onAC; });
    platform::sendVoid(runtime_, objects_->uiController.get(), "ACPowerChanged");
}

int HomeScreenHost::querySignalStrengthBars() {
    return platform::send<int>(runtime_, objects_->wifiManager.get(), "signalStrengthBars").value_or(0);
}

void HomeScreenHost::wifiLinkChanged() { platform::sendVoid(runtime_, objects_->wifiManager.get(), "_linkDidChange"); }

void HomeScreenHost::addApplication(const std::string& bundleIdentifier, const std::string& displayName, bool running) {
    auto application =
        std::make_unique<ApplicationObject>(objects_->applicationClass, bundleIdentifier, displayName, running);
    if (objects_->processClass != nullptr) {
        application->process = std::make_unique<ProcessObject>(objects_->processClass, *application);
    }
    objects_->applications.push_back(std::move(application));
}

platform::Object* HomeScreenHost::application(const std::string& bundleIdentifier) const {
    for (auto& application : objects_->applications) {
        if (application->bundleIdentifier == bundleIdentifier) return application.get();
    }
    return nullptr;
}

void HomeScreenHost::setApplicationRunning(const std::string& bundleIdentifier, bool running) {
    if (Object* found = application(bundleIdentifier)) app(found).running = running;
}

void HomeScreenHost::setApplicationState(const std::string& bundleIdentifier, std::uint32_t state) {
    Object* found = application(bundleIdentifier);
    if (found == nullptr) return;
    // A foreground or background application runs; a killed one does not.
    if (state == kApplicationForeground || state == kApplicationBackground) app(found).running = true;
    if (state == kApplicationKilled) app(found).running = false;
    platform::sendVoid<std::uint32_t>(runtime_, found, "setApplicationState:", state);
}

}  // namespace corvane::sim
