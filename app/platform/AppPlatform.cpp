#include "app/platform/AppPlatform.h"

#include <atomic>

#include "app/platform/SimulatedPhoneAppPlatform.h"

namespace corvane::app {

namespace {
std::atomic<AppPlatform*> installed{nullptr};
}

AppPlatform& AppPlatform::current() {
    if (AppPlatform* platform = installed.load()) return *platform;
    static SimulatedPhoneAppPlatform simulatedPhone;
    return simulatedPhone;
}

void AppPlatform::install(AppPlatform* platform) { installed.store(platform); }

}  // namespace corvane::app
