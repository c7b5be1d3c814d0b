#pragma once
// Everything the companion app asks of the system it runs on, gathered in one
// object. The program installs one platform at start; tests install their own.

#include "app/platform/AppDevice.h"
#include "app/platform/ScheduledPowerEvents.h"
#include "shared/DarwinNotificationCenter.h"

namespace corvane::app {

class AppPlatform {
public:
    virtual ~AppPlatform() = default;
    virtual platform::DarwinNotificationCenter& darwinNotifications() = 0;
    // Seconds since 1 January 1970, on this machine's clock: timers run on it.
    virtual double currentTime() = 0;
    // The date the phone shows, seconds since 1970: the records it keeps
    // carry it. This machine's clock unless the phone keeps its own.
    virtual double phoneTime() { return currentTime(); }
    virtual AppDevice& device() = 0;
    virtual ScheduledPowerEvents& powerEvents() = 0;

    // The installed platform; before any is installed, the simulated phone
    // under the filesystem root (said once in the app's log).
    static AppPlatform& current();
    // Installs a platform (none restores the default one). The caller keeps
    // it alive while installed.
    static void install(AppPlatform* platform);
};

}  // namespace corvane::app
