#pragma once
// The one place where the program chooses the platform it runs on: the
// simulated phone under the filesystem root, with Darwin notifications on
// the D-Bus session bus when one answers, so that the engine of a live phone
// hears the app. Without a bus, notifications stay inside the app, said once
// on `diagnostics`. Everything else takes the platform through
// AppPlatform::current().

#include <iostream>
#include <memory>

#include "app/platform/SimulatedPhoneAppPlatform.h"

namespace corvane::app {

class AppPlatformFactory {
public:
    // The program's main loop drives the result's notificationPump(), when
    // it has one.
    static std::unique_ptr<SimulatedPhoneAppPlatform> makePlatform(std::ostream& diagnostics = std::cerr);
};

}  // namespace corvane::app
