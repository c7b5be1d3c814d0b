#pragma once
// The platform a host program offers to the engine library it loads. The
// host sets it before loading the engine; the exported host-platform symbol
// (HostExport.cpp, linked into host programs only) answers it.

#include <filesystem>
#include <string>

#include "engine/platform/Platform.h"

namespace corvane::host {

class HostedPlatform {
public:
    // none while no host offers a platform.
    static platform::Platform* current();
    static void offer(platform::Platform* platform);
    // Withdraws `platform` if it is the one offered.
    static void withdraw(platform::Platform* platform);

    // Loads the engine library; its load-time constructor installs the hooks
    // against the offered platform. Answers none with the loader's message in
    // `error` when the library cannot be loaded. The library stays loaded:
    // an engine is never torn down.
    static void* loadEngine(const std::filesystem::path& library, std::string* error = nullptr);
};

}  // namespace corvane::host
