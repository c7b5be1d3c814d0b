#pragma once
// The platform the Ampwise program installs at start: the simulated phone
// under the filesystem root, with Darwin notifications on the D-Bus session
// bus when one answers, so that the engine of a live phone hears the app.
// Without a bus, notifications stay inside the app, said once on
// `diagnostics`.

#include <iostream>
#include <memory>

#include "app/platform/SimulatedPhoneAppPlatform.h"

namespace corvane::app {

std::unique_ptr<SimulatedPhoneAppPlatform> makeAppPlatform(std::ostream& diagnostics = std::cerr);

}  // namespace corvane::app
