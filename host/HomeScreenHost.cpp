#include "host/HomeScreenHost.h"

#include <algorithm>

#include "engine/platform/HookedMethods.h"
#include "shared/VersionCompare.h"

namespace corvane::host {

namespace {

using platform::Object;

// Every home-screen object knows the host it belongs to.
class HostObject : public Object {
public:
    HostObject(Class* isa, HomeScreenHost& host, HomeScreenDevice& phone) : Object(isa), host(host), phone(phone) {}
    HomeScreenHost& host;
    HomeScreenDevice& phone;
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
    Objects(HomeScreenHost& host, HostRuntime& runtime) : host_(host), runtime_(runtime) {}

    void defineSpringBoard();
    void defineWiFiManager();
    void defineLockScreen();
    void defineUIController();
    void defineApplications();
    void defineApplicationController();
    void defineTelephonyManager();
    void defineAwayController();

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

private:
    // A class with one shared object, answered by the class-level `accessor`.
    Class* defineShared(std::string_view name, std::string_view accessor, std::unique_ptr<HostObject>& object) {
        Class* cls = runtime_.defineClass(name);
        object = std::make_unique<HostObject>(cls, host_, host_.phone_);
        cls->sharedObject = object.get();
        runtime_.addClassMethod<Object* (*)(Class*)>(cls, accessor, &sharedObjectOf);
        return cls;
    }
    // One of the methods the engine replaces, with exactly its listed signature.
    template <class Fn>
    void defineHooked(Class* cls, const platform::HookedMethod<Fn>& method, std::type_identity_t<Fn> implementation) {
        runtime_.addMethod<Fn>(cls, method.selector, implementation);
    }
    // A method answering one flag of the phone's state.
    template <bool HomeScreenFacts::*Flag>
    void defineFlag(Class* cls, std::string_view selector) {
        runtime_.addMethod<bool (*)(Object*)>(cls, selector, [](Object* self) {
            return host(self).phone.withState([](HomeScreenFacts& s) { return s.*Flag; });
        });
    }

    HomeScreenHost& host_;
    HostRuntime& runtime_;
};

void HomeScreenHost::Objects::defineSpringBoard() {
    Class* cls =
        defineShared(platform::hooked::kApplicationDidFinishLaunching.className, "sharedApplication", springBoard);
    defineHooked(cls, platform::hooked::kApplicationDidFinishLaunching,
                 [](Object* self, Object*) { host(self).host.launched_ = true; });
    defineHooked(cls, platform::hooked::kBatteryStatusDidChange, [](Object* self, const plist::Dictionary* properties) {
        HomeScreenHost& h = host(self).host;
        ++h.batteryReportsSeen_;
        if (properties != nullptr) h.lastBatteryProperties_ = *properties;
    });
}

void HomeScreenHost::Objects::defineWiFiManager() {
    Class* cls = defineShared(platform::hooked::kSignalStrengthBars.className, "sharedInstance", wifiManager);
    defineHooked(cls, platform::hooked::kSignalStrengthBars, [](Object* self) {
        return host(self).phone.withState([](HomeScreenFacts& s) { return s.wifiAssociated ? s.wifiBars : 0; });
    });
    defineHooked(cls, platform::hooked::kLinkDidChange, [](Object*) {});
    defineFlag<&HomeScreenFacts::wifiAssociated>(cls, "isAssociated");
    runtime_.addMethod<std::optional<std::string> (*)(Object*)>(cls, "currentNetworkName", [](Object* self) {
        return host(self).phone.withState(
            [](HomeScreenFacts& s) { return s.wifiAssociated ? s.wifiNetwork : std::optional<std::string>{}; });
    });
    defineFlag<&HomeScreenFacts::wifiPowered>(cls, "isPowered");
    defineFlag<&HomeScreenFacts::wifiEnabled>(cls, "wiFiEnabled");
    runtime_.addMethod<void (*)(Object*, bool)>(
        cls, "setWiFiEnabled:", [](Object* self, bool enabled) { host(self).phone.setWiFiEnabled(enabled); });
}

void HomeScreenHost::Objects::defineLockScreen() {
    Class* manager = defineShared(platform::hooked::kSetUILocked.className, "sharedInstance", lockScreenManager);
    defineHooked(manager, platform::hooked::kSetUILocked, [](Object* self, bool locked) {
        host(self).phone.withState([&](HomeScreenFacts& s) { s.uiLocked = locked; });
    });
    runtime_.addMethod<Object* (*)(Object*)>(manager, "lockScreenViewController", [](Object* self) -> Object* {
        return host(self).host.objects_->lockScreenViewController.get();
    });

    Class* controller = runtime_.defineClass(platform::hooked::kSetInScreenOffMode.className);
    lockScreenViewController = std::make_unique<HostObject>(controller, host_, host_.phone_);
    host_.screenOffForAutoUnlock_ = compareVersions(host_.phone_.systemVersion(), "8.0") >= 0;
    if (host_.screenOffForAutoUnlock_) {
        defineHooked(controller, platform::hooked::kSetInScreenOffModeForAutoUnlock,
                     [](Object* self, bool screenOff, bool) {
                         host(self).phone.withState([&](HomeScreenFacts& s) { s.screenOff = screenOff; });
                     });
    } else {
        defineHooked(controller, platform::hooked::kSetInScreenOffMode, [](Object* self, bool screenOff) {
            host(self).phone.withState([&](HomeScreenFacts& s) { s.screenOff = screenOff; });
        });
    }
    defineFlag<&HomeScreenFacts::screenOff>(controller, "isInScreenOffMode");
}

void HomeScreenHost::Objects::defineUIController() {
    Class* cls = defineShared(platform::hooked::kACPowerChanged.className, "sharedInstance", uiController);
    defineHooked(cls, platform::hooked::kACPowerChanged, [](Object*) {});
    if (host_.options_.uiControllerAnswersIsOnAC) {
        defineFlag<&HomeScreenFacts::onAC>(cls, "isOnAC");
    }
}

// SBApplication, and the process object of newer systems.
void HomeScreenHost::Objects::defineApplications() {
    applicationClass = runtime_.defineClass(platform::hooked::kSetApplicationState.className);
    defineHooked(applicationClass, platform::hooked::kSetApplicationState,
                 [](Object* self, std::uint32_t state) { app(self).state = state; });
    runtime_.addMethod<std::string (*)(Object*)>(applicationClass, "bundleIdentifier",
                                                 [](Object* self) { return app(self).bundleIdentifier; });
    runtime_.addMethod<std::string (*)(Object*)>(applicationClass, "displayName",
                                                 [](Object* self) { return app(self).displayName; });
    if (host_.options_.applicationsHaveProcess) {
        processClass = runtime_.defineClass("SBProcess");
        runtime_.addMethod<Object* (*)(Object*)>(applicationClass, "process",
                                                 [](Object* self) -> Object* { return app(self).process.get(); });
        runtime_.addMethod<bool (*)(Object*)>(processClass, "isRunning", [](Object* self) {
            return static_cast<ProcessObject*>(self)->application.running;
        });
    } else {
        runtime_.addMethod<bool (*)(Object*)>(applicationClass, "isRunning",
                                              [](Object* self) { return app(self).running; });
    }
}

void HomeScreenHost::Objects::defineApplicationController() {
    Class* cls = defineShared("SBApplicationController", "sharedInstance", applicationController);
    runtime_.addMethod<std::vector<Object*> (*)(Object*)>(cls, "allApplications", [](Object* self) {
        std::vector<Object*> all;
        for (auto& application : host(self).host.objects_->applications) all.push_back(application.get());
        return all;
    });
}

// Answers none while the phone has no telephony manager.
void HomeScreenHost::Objects::defineTelephonyManager() {
    Class* cls = defineShared("SBTelephonyManager", "sharedTelephonyManager", telephonyManager);
    runtime_.addClassMethod<Object* (*)(Class*)>(cls, "sharedTelephonyManager", [](Class* cls) -> Object* {
        auto& self = host(cls->sharedObject);
        return self.phone.withState([](HomeScreenFacts& s) { return s.telephonyManagerPresent; }) ? cls->sharedObject
                                                                                                  : nullptr;
    });
    defineFlag<&HomeScreenFacts::airplaneMode>(cls, "isInAirplaneMode");
    defineFlag<&HomeScreenFacts::inCall>(cls, "inCall");
    defineFlag<&HomeScreenFacts::outgoingCall>(cls, "outgoingCallExists");
    defineFlag<&HomeScreenFacts::incomingCall>(cls, "incomingCallExists");
    defineFlag<&HomeScreenFacts::activeCall>(cls, "activeCallExists");
    defineFlag<&HomeScreenFacts::tethering>(cls, "isNetworkTethering");
}

// On older systems only.
void HomeScreenHost::Objects::defineAwayController() {
    if (!host_.options_.awayControllerPresent) return;
    Class* cls = defineShared("SBAwayController", "sharedAwayController", awayController);
    defineFlag<&HomeScreenFacts::dimmed>(cls, "isDimmed");
}

HomeScreenHost::HomeScreenHost(HostRuntime& runtime, HomeScreenDevice& phone, HomeScreenOptions options)
    : runtime_(runtime), phone_(phone), options_(options), objects_(std::make_unique<Objects>(*this, runtime)) {
    objects_->defineSpringBoard();
    objects_->defineWiFiManager();
    objects_->defineLockScreen();
    objects_->defineUIController();
    objects_->defineApplications();
    objects_->defineApplicationController();
    objects_->defineTelephonyManager();
    objects_->defineAwayController();
}

HomeScreenHost::~HomeScreenHost() = default;

void HomeScreenHost::finishLaunching() {
    platform::sendHooked(runtime_, objects_->springBoard.get(), platform::hooked::kApplicationDidFinishLaunching,
                         objects_->springBoard.get());
}

void HomeScreenHost::reportBatteryStatus(const plist::Dictionary* properties) {
    platform::sendHooked(runtime_, objects_->springBoard.get(), platform::hooked::kBatteryStatusDidChange, properties);
}

void HomeScreenHost::setUILocked(bool locked) {
    platform::sendHooked(runtime_, objects_->lockScreenManager.get(), platform::hooked::kSetUILocked, locked);
}

void HomeScreenHost::setScreenOff(bool screenOff) {
    if (screenOffForAutoUnlock_) {
        platform::sendHooked(runtime_, objects_->lockScreenViewController.get(),
                             platform::hooked::kSetInScreenOffModeForAutoUnlock, screenOff, false);
    } else {
        platform::sendHooked(runtime_, objects_->lockScreenViewController.get(), platform::hooked::kSetInScreenOffMode,
                             screenOff);
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
    phone_.withState([&](HomeScreenFacts& s) { s.onAC = onAC; });
    platform::sendHooked(runtime_, objects_->uiController.get(), platform::hooked::kACPowerChanged);
}

int HomeScreenHost::querySignalStrengthBars() {
    return platform::sendHooked(runtime_, objects_->wifiManager.get(), platform::hooked::kSignalStrengthBars)
        .value_or(0);
}

void HomeScreenHost::wifiLinkChanged() {
    platform::sendHooked(runtime_, objects_->wifiManager.get(), platform::hooked::kLinkDidChange);
}

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
    platform::sendHooked(runtime_, found, platform::hooked::kSetApplicationState, state);
}

}  // namespace corvane::host
