#pragma once
// The app's platform on this Linux build: the simulated phone laid out under
// the filesystem root describes the device and keeps the scheduled power
// events; time is the system clock. Darwin notifications are delivered
// inside the app's process until they travel between processes.

#include "app/platform/AppPlatform.h"
#include "app/platform/AutoWakeFileEvents.h"
#include "app/platform/SimulatedPhoneDevice.h"
#include "shared/InProcessDarwinNotificationCenter.h"

namespace corvane::app {

class SimulatedPhoneAppPlatform final : public AppPlatform {
public:
    platform::DarwinNotificationCenter& darwinNotifications() override { return notifications_; }
    double currentTime() override;
    AppDevice& device() override { return device_; }
    ScheduledPowerEvents& powerEvents() override { return powerEvents_; }

private:
    platform::InProcessDarwinNotificationCenter notifications_;
    SimulatedPhoneDevice device_;
    AutoWakeFileEvents powerEvents_;
};

}  // namespace corvane::app
