#pragma once
// The platform the engine runs on, process-wide, kept here alone. Installing
// the hooks installs the host's platform; unit tests install the simulated one.

#include "engine/platform/Platform.h"

namespace corvane::platform {

class HostPlatform {
public:
    // none until installed.
    static Platform* get();
    static void install(Platform* platform);
};

}  // namespace corvane::platform
