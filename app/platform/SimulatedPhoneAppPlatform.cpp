#include "app/platform/SimulatedPhoneAppPlatform.h"

#include <chrono>

#include "shared/InProcessDarwinNotificationCenter.h"
#include "shared/PhoneInfo.h"

namespace corvane::app {

SimulatedPhoneAppPlatform::SimulatedPhoneAppPlatform(std::unique_ptr<platform::DarwinNotificationCenter> notifications,
                                                     platform::NotificationPump* pump)
    : notifications_(std::move(notifications)), pump_(pump) {
    if (!notifications_) {
        notifications_ = std::make_unique<platform::InProcessDarwinNotificationCenter>();
        pump_ = nullptr;
    }
}

double SimulatedPhoneAppPlatform::currentTime() {
    using namespace std::chrono;
    return duration<double>(system_clock::now().time_since_epoch()).count();
}

double SimulatedPhoneAppPlatform::phoneTime() {
    const double now = currentTime();
    const std::optional<PhoneInfo> phone = PhoneInfo::read();
    return phone ? phone->phoneTimeAt(now) : now;
}

}  // namespace corvane::app
