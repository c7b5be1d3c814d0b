#pragma once
// The app's platform on this Linux build: the simulated phone laid out under
// the filesystem root describes the device and keeps the scheduled power
// events; time is the system clock, and the phone's date its own clock when
// phonesim left one under the root (shared/PhoneInfo.h). Darwin notifications go through the
// center it is given (AppPlatformFactory gives the session bus's), else stay
// inside the app's process.

#include <memory>

#include "app/platform/AppPlatform.h"
#include "app/platform/AutoWakeFileEvents.h"
#include "app/platform/SimulatedPhoneDevice.h"
#include "shared/NotificationPump.h"

namespace corvane::app {

class SimulatedPhoneAppPlatform final : public AppPlatform {
public:
    // None: notifications inside the process. `pump` drives `notifications`
    // when it talks to other processes.
    explicit SimulatedPhoneAppPlatform(std::unique_ptr<platform::DarwinNotificationCenter> notifications = nullptr,
                                       platform::NotificationPump* pump = nullptr);

    platform::DarwinNotificationCenter& darwinNotifications() override { return *notifications_; }
    double currentTime() override;
    double phoneTime() override;
    AppDevice& device() override { return device_; }
    ScheduledPowerEvents& powerEvents() override { return powerEvents_; }

    // What the program's main loop drives; none when notifications stay inside the process.
    platform::NotificationPump* notificationPump() const { return pump_; }

private:
    std::unique_ptr<platform::DarwinNotificationCenter> notifications_;
    platform::NotificationPump* pump_;
    SimulatedPhoneDevice device_;
    AutoWakeFileEvents powerEvents_;
};

}  // namespace corvane::app
