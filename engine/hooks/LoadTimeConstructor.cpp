// The library's load-time constructor: when the host process offers a
// platform, attach the engine to it and install the hooks; otherwise stay
// inert. Runs once per process.

#include <dlfcn.h>

#include "engine/hooks/SpringBoardHooks.h"

namespace {

using HostPlatformAccessor = corvane::platform::Platform* (*)();

__attribute__((constructor)) void corvaneLoad() {
    static bool loaded = false;
    if (loaded) return;
    loaded = true;
    try {
        auto accessor = reinterpret_cast<HostPlatformAccessor>(dlsym(RTLD_DEFAULT, kCorvaneHostPlatformSymbol));
        if (accessor == nullptr) return;
        corvane::platform::Platform* platform = accessor();
        if (platform == nullptr) return;
        corvane::SpringBoardHooks::install(*platform);
    } catch (...) {
        // Nothing may escape into the host; the library then stays inert.
    }
}

}  // namespace
