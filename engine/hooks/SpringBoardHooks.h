#pragma once
// The hook layer: replaces eight home-screen methods by class and method
// name. Each replacement first runs the replaced implementation, then tells
// the engine what happened (only once the engine instance exists, except for
// the start-up row, which creates it).

#include <cstdint>

#include "engine/platform/Platform.h"
#include "shared/PropertyList.h"

namespace corvane {

class SpringBoardHooks {
public:
    // Installs the replacements whose class and method exist; a missing one
    // is skipped silently. The screen-off row follows the system version.
    static void install(platform::Platform& platform);

    // Signatures of the replaced methods.
    using ApplicationDidFinishLaunching = void (*)(platform::Object* self, platform::Object* application);
    using BatteryStatusDidChange = void (*)(platform::Object* self, const plist::Dictionary* properties);
    using SignalStrengthBars = int (*)(platform::Object* self);
    using LinkDidChange = void (*)(platform::Object* self);
    using SetUILocked = void (*)(platform::Object* self, bool locked);
    using SetInScreenOffModeForAutoUnlock = void (*)(platform::Object* self, bool screenOff, bool autoUnlock);
    using SetInScreenOffMode = void (*)(platform::Object* self, bool screenOff);
    using ACPowerChanged = void (*)(platform::Object* self);
    using SetApplicationState = void (*)(platform::Object* self, std::uint32_t state);
};

}  // namespace corvane
