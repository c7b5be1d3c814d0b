#include "engine/hooks/SpringBoardHooks.h"

#include <exception>
#include <string_view>

#include "engine/controller/Corvane.h"
#include "engine/controller/DebugLog.h"
#include "engine/strategies/CommonToAllStrategies.h"
#include "shared/VersionCompare.h"

namespace corvane {

namespace {

using platform::Object;

platform::Platform* hostPlatform = nullptr;

// The replaced implementations, kept so that each replacement can call them.
SpringBoardHooks::ApplicationDidFinishLaunching originalApplicationDidFinishLaunching = nullptr;
SpringBoardHooks::BatteryStatusDidChange originalBatteryStatusDidChange = nullptr;
SpringBoardHooks::SignalStrengthBars originalSignalStrengthBars = nullptr;
SpringBoardHooks::LinkDidChange originalLinkDidChange = nullptr;
SpringBoardHooks::SetUILocked originalSetUILocked = nullptr;
SpringBoardHooks::SetInScreenOffModeForAutoUnlock originalSetInScreenOffModeForAutoUnlock = nullptr;
SpringBoardHooks::SetInScreenOffMode originalSetInScreenOffMode = nullptr;
SpringBoardHooks::ACPowerChanged originalACPowerChanged = nullptr;
SpringBoardHooks::SetApplicationState originalSetApplicationState = nullptr;

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
    auto* engine = new Corvane(*hostPlatform);  // lives as long as the process
    Corvane::setSharedEngine(engine);
    engine->registerPowerListener();
    platform::HomeScreen homeScreen(hostPlatform->runtime());
    if (auto onAC = homeScreen.isOnAC(homeScreen.sharedUIController())) {
        engine->setOnAC(*onAC);
    } else {
        CORVANE_DEBUG("SBUIController does not responds to selector isOnAC, setting onAC = NO");
        engine->setOnAC(false);
    }
    engine->postInit();
}

void replacementApplicationDidFinishLaunching(Object* self, Object* application) {
    originalApplicationDidFinishLaunching(self, application);
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
    originalBatteryStatusDidChange(self, properties);
    tellEngine([&](Corvane& engine) { engine.batteryStateChanged(properties); });
}

int replacementSignalStrengthBars(Object* self) {
    const int bars = originalSignalStrengthBars(self);
    tellEngine([&](Corvane& engine) { engine.wifiBarsChanged(bars, self); });
    return bars;
}

void replacementLinkDidChange(Object* self) {
    originalLinkDidChange(self);
    tellEngine([&](Corvane& engine) {
        platform::HomeScreen homeScreen(hostPlatform->runtime());
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
    originalSetUILocked(self, locked);
    if (CommonToAllStrategies::sharedInstance().switchRadiosOnLock()) lockStateChanged(locked);
}

void replacementSetInScreenOffModeForAutoUnlock(Object* self, bool screenOff, bool autoUnlock) {
    originalSetInScreenOffModeForAutoUnlock(self, screenOff, autoUnlock);
    if (!CommonToAllStrategies::sharedInstance().switchRadiosOnLock()) lockStateChanged(screenOff);
}

void replacementSetInScreenOffMode(Object* self, bool screenOff) {
    originalSetInScreenOffMode(self, screenOff);
    if (!CommonToAllStrategies::sharedInstance().switchRadiosOnLock()) lockStateChanged(screenOff);
}

void replacementACPowerChanged(Object* self) {
    originalACPowerChanged(self);
    tellEngine([&](Corvane& engine) {
        platform::HomeScreen homeScreen(hostPlatform->runtime());
        engine.acPowerChanged(homeScreen.isOnAC(self).value_or(false), self);
    });
}

void replacementSetApplicationState(Object* self, std::uint32_t state) {
    originalSetApplicationState(self, state);
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

// Replaces one method when its class and method exist with the expected
// signature; keeps the replaced implementation in `original`.
template <class Fn>
void replace(platform::ObjectRuntime& runtime, std::string_view className, std::string_view selector, Fn replacement,
             Fn& original) {
    platform::Class* cls = runtime.lookUpClass(className);
    if (cls == nullptr) return;
    platform::Method* method = runtime.instanceMethod(cls, selector);
    if (method == nullptr || runtime.signature(method) != platform::signatureOf<Fn>()) return;
    original = reinterpret_cast<Fn>(
        runtime.exchangeImplementation(method, reinterpret_cast<platform::Implementation>(replacement)));
}

}  // namespace

void SpringBoardHooks::install(platform::Platform& platform) {
    hostPlatform = &platform;
    platform::ObjectRuntime& runtime = platform.runtime();
    replace(runtime, "SpringBoard", "applicationDidFinishLaunching:", &replacementApplicationDidFinishLaunching,
            originalApplicationDidFinishLaunching);
    replace(runtime, "SpringBoard", "batteryStatusDidChange:", &replacementBatteryStatusDidChange,
            originalBatteryStatusDidChange);
    replace(runtime, "SBWiFiManager", "signalStrengthBars", &replacementSignalStrengthBars, originalSignalStrengthBars);
    replace(runtime, "SBWiFiManager", "_linkDidChange", &replacementLinkDidChange, originalLinkDidChange);
    replace(runtime, "SBLockScreenManager", "_setUILocked:", &replacementSetUILocked, originalSetUILocked);
    if (compareVersions(platform.device().systemVersion(), "8.0") >= 0) {
        replace(runtime, "SBLockScreenViewControllerBase",
                "setInScreenOffMode:forAutoUnlock:", &replacementSetInScreenOffModeForAutoUnlock,
                originalSetInScreenOffModeForAutoUnlock);
    } else {
        replace(runtime, "SBLockScreenViewControllerBase", "setInScreenOffMode:", &replacementSetInScreenOffMode,
                originalSetInScreenOffMode);
    }
    replace(runtime, "SBUIController", "ACPowerChanged", &replacementACPowerChanged, originalACPowerChanged);
    replace(runtime, "SBApplication", "setApplicationState:", &replacementSetApplicationState,
            originalSetApplicationState);
}

}  // namespace corvane
