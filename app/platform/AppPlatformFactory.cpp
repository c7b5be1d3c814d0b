#include "app/platform/AppPlatformFactory.h"

#include "shared/SystemDarwinNotifications.h"

namespace corvane::app {

std::unique_ptr<SimulatedPhoneAppPlatform> AppPlatformFactory::makePlatform(std::ostream& diagnostics) {
    platform::SystemDarwinNotifications notifications = platform::makeDarwinNotificationCenter("Ampwise", diagnostics);
    return std::make_unique<SimulatedPhoneAppPlatform>(std::move(notifications.center), notifications.pump);
}

}  // namespace corvane::app
