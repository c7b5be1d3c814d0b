#pragma once
// A platform that is another platform with some of its parts replaced: each
// service comes from the base platform unless an override was given. Used to
// run the engine against the simulated phone with a real-time clock and real
// threads, or with an instrumented device.

#include "engine/platform/Platform.h"

namespace corvane::sim {

class PlatformOverlay final : public platform::Platform {
public:
    explicit PlatformOverlay(platform::Platform& base) : base_(base) {}

    void overrideClock(platform::Clock* clock) { clock_ = clock; }
    void overrideThreads(platform::Threads* threads) { threads_ = threads; }
    void overrideDevice(platform::Device* device) { device_ = device; }

    platform::ObjectRuntime& runtime() override { return base_.runtime(); }
    platform::Clock& clock() override { return clock_ != nullptr ? *clock_ : base_.clock(); }
    platform::RunLoop& mainRunLoop() override { return base_.mainRunLoop(); }
    platform::Threads& threads() override { return threads_ != nullptr ? *threads_ : base_.threads(); }
    platform::DarwinNotificationCenter& darwinNotifications() override { return base_.darwinNotifications(); }
    platform::LocalNotificationCenter& localNotifications() override { return base_.localNotifications(); }
    platform::SystemLog& systemLog() override { return base_.systemLog(); }
    platform::StatusBar& statusBar() override { return base_.statusBar(); }
    platform::AlertViews& alertViews() override { return base_.alertViews(); }
    platform::Device& device() override { return device_ != nullptr ? *device_ : base_.device(); }
    platform::Telephony& telephony() override { return base_.telephony(); }
    platform::Bluetooth& bluetooth() override { return base_.bluetooth(); }
    platform::LocationServices& locationServices() override { return base_.locationServices(); }
    platform::Preferences& preferences() override { return base_.preferences(); }
    platform::LowPowerMode& lowPowerMode() override { return base_.lowPowerMode(); }
    platform::PowerManagement& powerManagement() override { return base_.powerManagement(); }
    platform::FileManager& fileManager() override { return base_.fileManager(); }
    platform::LoadAverage& loadAverage() override { return base_.loadAverage(); }
    platform::EnergyCosts* energyCosts() override { return base_.energyCosts(); }

private:
    platform::Platform& base_;
    platform::Clock* clock_ = nullptr;
    platform::Threads* threads_ = nullptr;
    platform::Device* device_ = nullptr;
};

}  // namespace corvane::sim
