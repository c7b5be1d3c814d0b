#include "engine/hooks/SpringBoardHooks.h"

#include <exception>
#include <memory>

#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"
#include "engine/platform/HookedMethods.h"
#include "engine/platform/HostPlatform.h"
#include "engine/strategies/CommonToAllStrategies.h"
#include "shared/VersionCompare.h"

namespace corvane {

namespace {

using platform::Object;
namespace hooked = platform::hooked;

template <const auto& Row>
using SignatureOf = typename std::remove_cvref_t<decltype(Row)>::Signature;

// The replaced implementation of a listed method, kept so that its
// replacement can call it.
template <const auto& Row>
SignatureOf<Row> original = nullptr;

platform::Platform& hostPlatform() { return *platform::HostPlatform::get(); }

// Runs an engine reaction without letting anything escape into the host.
template <class Action>
void tellEngine(Action&& action) {
    Corvane* engine = Corvane::sharedEngine();
    if (engine == nullptr) return;
    try {
        action(*engine);
    } catch (const std::exception& error) {
        CORVANE_DEBUG("Engine event failed: %s", error.what());
    } catch (...) {
        CORVANE_DEBUG("Engine event failed");
    }
}

void startEngine() {
    platform::Platform& host = hostPlatform();
    Corvane::setSharedEngine(std::make_unique<Corvane>(host));
    Corvane* engine = Corvane::sharedEngine();
    engine->registerPowerListener();
    platform::HomeScreen homeScreen(host.runtime());
    if (auto onAC = homeScreen.isOnAC(homeScreen.sharedUIController())) {
        engine->setOnAC(*onAC);
    } else {
        CORVANE_DEBUG("SBUIController does not responds to selector isOnAC, setting onAC = NO");
        engine->setOnAC(false);
    }
    engine->postInit();
}

void replacementApplicationDidFinishLaunching(Object* self, Object* application) {
    original<hooked::kApplicationDidFinishLaunching>(self, application);
    if (Corvane::sharedEngine() != nullptr) return;  // start-up happens once
    try {
        startEngine();
    } catch (const std::exception& error) {
        CORVANE_DEBUG("Engine start-up failed: %s", error.what());
    } catch (...) {
        CORVANE_DEBUG("Engine start-up failed");
    }
}

void replacementBatteryStatusDidChange(Object* self, const plist::Dictionary* properties) {
    original<hooked::kBatteryStatusDidChange>(self, properties);
    tellEngine([&](Corvane& engine) { engine.batteryStateChanged(properties); });
}

int replacementSignalStrengthBars(Object* self) {
    const int bars = original<hooked::kSignalStrengthBars>(self);
    tellEngine([&](Corvane& engine) { engine.wifiBarsChanged(bars, self); });
    return bars;
}

void replacementLinkDidChange(Object* self) {
    original<hooked::kLinkDidChange>(self);
    tellEngine([&](Corvane& engine) {
        platform::HomeScreen homeScreen(hostPlatform().runtime());
        if (homeScreen.isAssociated(self)) {
            engine.setCurrentWiFiNetwork(homeScreen.currentNetworkName(self));
        } else {
            engine.setCurrentWiFiNetwork(std::nullopt);
        }
    });
}

void lockStateChanged(bool locked) {
    tellEngine([&](Corvane& engine) {
        if (locked) {
            engine.deviceLocked();
        } else {
            engine.deviceUnlocked();
        }
    });
}

void replacementSetUILocked(Object* self, bool locked) {
    original<hooked::kSetUILocked>(self, locked);
    if (CommonToAllStrategies::sharedInstance().switchRadiosOnLock()) lockStateChanged(locked);
}

void replacementSetInScreenOffModeForAutoUnlock(Object* self, bool screenOff, bool autoUnlock) {
    original<hooked::kSetInScreenOffModeForAutoUnlock>(self, screenOff, autoUnlock);
    if (!CommonToAllStrategies::sharedInstance().switchRadiosOnLock()) lockStateChanged(screenOff);
}

void replacementSetInScreenOffMode(Object* self, bool screenOff) {
    original<hooked::kSetInScreenOffMode>(self, screenOff);
    if (!CommonToAllStrategies::sharedInstance().switchRadiosOnLock()) lockStateChanged(screenOff);
}

void replacementACPowerChanged(Object* self) {
    original<hooked::kACPowerChanged>(self);
    tellEngine([&](Corvane& engine) {
        platform::HomeScreen homeScreen(hostPlatform().runtime());
        engine.acPowerChanged(homeScreen.isOnAC(self).value_or(false), self);
    });
}

void replacementSetApplicationState(Object* self, std::uint32_t state) {
    original<hooked::kSetApplicationState>(self, state);
    tellEngine([&](Corvane& engine) {
        switch (state) {
            case platform::kApplicationUnknown: CORVANE_DEBUG("Application state changed to UNKNOWN"); break;
            case platform::kApplicationKilled:
                CORVANE_DEBUG("Application state changed to KILLED");
                engine.handleAppDidDied(self);
                break;
            case platform::kApplicationSuspended:
                CORVANE_DEBUG("Application state changed to SUSPENDED");
                engine.handleAppDidGoneSuspended(self);
                break;
            case platform::kApplicationBackground:
                CORVANE_DEBUG("Application state changed to BACKGROUND");
                engine.handleAppDidGoneBackground(self);
                break;
            case platform::kApplicationForeground:
                CORVANE_DEBUG("Application state changed to FOREGROUND");
                engine.handleAppDidGoneForeground(self);
                break;
            default: CORVANE_DEBUG("Application state changed to Unknown state (%u)", state); break;
        }
    });
}

// Replaces one listed method when its class and method exist with the listed
// signature, keeping the replaced implementation; says why when it cannot.
template <const auto& Row>
bool replace(platform::ObjectRuntime& runtime, SignatureOf<Row> replacement) {
    platform::Class* cls = runtime.lookUpClass(Row.className);
    platform::Method* method = cls != nullptr ? runtime.instanceMethod(cls, Row.selector) : nullptr;
    const char* skipped = cls == nullptr      ? "no such class"
                          : method == nullptr ? "no such method"
                          : runtime.signature(method) != platform::signatureOf<SignatureOf<Row>>()
                              ? "its signature does not match"
                              : nullptr;
    if (skipped != nullptr) {
        CORVANE_DEBUG("Hook %.*s %.*s skipped: %s", static_cast<int>(Row.className.size()), Row.className.data(),
                      static_cast<int>(Row.selector.size()), Row.selector.data(), skipped);
        return false;
    }
    original<Row> = reinterpret_cast<SignatureOf<Row>>(
        runtime.exchangeImplementation(method, reinterpret_cast<platform::Implementation>(replacement)));
    return true;
}

}  // namespace

void SpringBoardHooks::install(platform::Platform& platform) {
    platform::HostPlatform::install(&platform);
    platform::ObjectRuntime& runtime = platform.runtime();
    int installed = 0;
    installed += replace<hooked::kApplicationDidFinishLaunching>(runtime, &replacementApplicationDidFinishLaunching);
    installed += replace<hooked::kBatteryStatusDidChange>(runtime, &replacementBatteryStatusDidChange);
    installed += replace<hooked::kSignalStrengthBars>(runtime, &replacementSignalStrengthBars);
    installed += replace<hooked::kLinkDidChange>(runtime, &replacementLinkDidChange);
    installed += replace<hooked::kSetUILocked>(runtime, &replacementSetUILocked);
    if (compareVersions(platform.device().systemVersion(), "8.0") >= 0) {
        installed +=
            replace<hooked::kSetInScreenOffModeForAutoUnlock>(runtime, &replacementSetInScreenOffModeForAutoUnlock);
    } else {
        installed += replace<hooked::kSetInScreenOffMode>(runtime, &replacementSetInScreenOffMode);
    }
    installed += replace<hooked::kACPowerChanged>(runtime, &replacementACPowerChanged);
    installed += replace<hooked::kSetApplicationState>(runtime, &replacementSetApplicationState);
    CORVANE_DEBUG("Installed %d of 8 hooks", installed);
}

}  // namespace corvane
