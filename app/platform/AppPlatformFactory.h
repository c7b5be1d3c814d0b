#pragma once
// The one place where the program chooses the platform it runs on. A
// platform with another notification center (one that reaches the engine
// across processes) is made here once it exists; everything else takes the
// platform through AppPlatform::current().

#include <memory>

#include "app/platform/AppPlatform.h"

namespace corvane::app {

class AppPlatformFactory {
public:
    // The platform of this build: the simulated phone under the filesystem
    // root, with notifications delivered inside the process.
    static std::unique_ptr<AppPlatform> makePlatform();
};

}  // namespace corvane::app
