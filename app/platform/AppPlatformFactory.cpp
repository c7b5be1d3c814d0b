#include "app/platform/AppPlatformFactory.h"

#include "app/platform/SimulatedPhoneAppPlatform.h"

namespace corvane::app {

std::unique_ptr<AppPlatform> AppPlatformFactory::makePlatform() {
    return std::make_unique<SimulatedPhoneAppPlatform>();
}

}  // namespace corvane::app
