#include "app/platform/AppPlatform.h"

#include <atomic>

#include "app/model/AppLog.h"
#include "app/platform/SimulatedPhoneAppPlatform.h"
#include "shared/ProcessState.h"

namespace corvane::app {

namespace {
std::atomic<AppPlatform*> installed{nullptr};
}

AppPlatform& AppPlatform::current() {
    if (AppPlatform* platform = installed.load()) return *platform;
    static SimulatedPhoneAppPlatform simulatedPhone = [] {
        AMPWISE_LOG("No platform installed, using the simulated phone under the filesystem root");
        return SimulatedPhoneAppPlatform();
    }();
    return simulatedPhone;
}

void AppPlatform::install(AppPlatform* platform) {
    ProcessState::registerReset(ProcessState::kAppPlatform, [] { install(nullptr); });
    installed.store(platform);
}

}  // namespace corvane::app
