#pragma once
// The home-screen methods the engine replaces: class, method and signature,
// written once. The engine's hooks replace them by these rows and the
// simulated home screen defines and sends its own methods by the same rows,
// so a signature can only change in both at once.

#include <cstdint>
#include <optional>
#include <string_view>
#include <type_traits>

#include "engine/platform/ObjectRuntime.h"
#include "shared/PropertyList.h"

namespace corvane::platform {

template <class Fn>
struct HookedMethod {
    using Signature = Fn;
    std::string_view className;
    std::string_view selector;
};

namespace hooked {

inline constexpr HookedMethod<void (*)(Object* self, Object* application)> kApplicationDidFinishLaunching{
    "SpringBoard", "applicationDidFinishLaunching:"};
inline constexpr HookedMethod<void (*)(Object* self, const plist::Dictionary* properties)> kBatteryStatusDidChange{
    "SpringBoard", "batteryStatusDidChange:"};
inline constexpr HookedMethod<int (*)(Object* self)> kSignalStrengthBars{"SBWiFiManager", "signalStrengthBars"};
inline constexpr HookedMethod<void (*)(Object* self)> kLinkDidChange{"SBWiFiManager", "_linkDidChange"};
inline constexpr HookedMethod<void (*)(Object* self, bool locked)> kSetUILocked{"SBLockScreenManager", "_setUILocked:"};
// Systems from 8.0 on.
inline constexpr HookedMethod<void (*)(Object* self, bool screenOff, bool autoUnlock)> kSetInScreenOffModeForAutoUnlock{
    "SBLockScreenViewControllerBase", "setInScreenOffMode:forAutoUnlock:"};
// Systems before 8.0.
inline constexpr HookedMethod<void (*)(Object* self, bool screenOff)> kSetInScreenOffMode{
    "SBLockScreenViewControllerBase", "setInScreenOffMode:"};
inline constexpr HookedMethod<void (*)(Object* self)> kACPowerChanged{"SBUIController", "ACPowerChanged"};
inline constexpr HookedMethod<void (*)(Object* self, std::uint32_t state)> kSetApplicationState{"SBApplication",
                                                                                                "setApplicationState:"};

}  // namespace hooked

// Sends a listed method with exactly its listed signature: YES (void
// methods) or the result when the receiver responds to it, else NO / none.
template <class R, class... Args>
auto sendHooked(ObjectRuntime& runtime, Object* receiver, const HookedMethod<R (*)(Object*, Args...)>& method,
                std::type_identity_t<Args>... args) {
    if constexpr (std::is_void_v<R>) {
        return sendVoid<Args...>(runtime, receiver, method.selector, args...);
    } else {
        return send<R, Args...>(runtime, receiver, method.selector, args...);
    }
}

}  // namespace corvane::platform
