#include "app/platform/AppPlatform.h"

#include <atomic>
#include <chrono>

#include "shared/InProcessDarwinNotificationCenter.h"

namespace corvane::app {

namespace {

class UnknownDevice final : public AppDevice {
public:
    KernelIdentification uname() const override { return {}; }
    std::string systemVersion() const override { return {}; }
    double coreFoundationVersionNumber() const override { return 0.0; }
    int userInterfaceIdiom() const override { return 0; }
    bool classRespondsToClassOperation(std::string_view, std::string_view) const override { return false; }
    std::optional<std::function<bool(std::string_view)>> loadCapabilityFunction() override { return std::nullopt; }
    std::optional<std::vector<std::string>> copySupportedDataRates() override { return std::nullopt; }
    std::optional<std::string> hostName() const override { return std::nullopt; }
};

class NoPowerEvents final : public ScheduledPowerEvents {
public:
    std::optional<plist::Array> copyScheduledPowerEvents() override { return std::nullopt; }
};

class DetachedPlatform final : public AppPlatform {
public:
    platform::DarwinNotificationCenter& darwinNotifications() override { return notifications_; }
    double currentTime() override {
        using namespace std::chrono;
        return duration<double>(system_clock::now().time_since_epoch()).count();
    }
    AppDevice& device() override { return device_; }
    ScheduledPowerEvents& powerEvents() override { return powerEvents_; }

private:
    platform::InProcessDarwinNotificationCenter notifications_;
    UnknownDevice device_;
    NoPowerEvents powerEvents_;
};

std::atomic<AppPlatform*> installed{nullptr};

}  // namespace

AppPlatform& AppPlatform::current() {
    if (AppPlatform* platform = installed.load()) return *platform;
    static DetachedPlatform detached;
    return detached;
}

void AppPlatform::install(AppPlatform* platform) { installed.store(platform); }

}  // namespace corvane::app
