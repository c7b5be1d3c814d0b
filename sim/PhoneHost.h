#pragma once
// The simulated phone as the engine's platform: the home screen, the object
// runtime, the virtual-time run loop, the radios and every system service,
// under one filesystem root. A process hosts at most one phone at a time;
// the engine library finds it through the exported host-platform symbol.

#include <filesystem>
#include <memory>
#include <string>

#include "engine/platform/Platform.h"
#include "host/HomeScreenHost.h"
#include "host/HostRuntime.h"
#include "shared/InProcessDarwinNotificationCenter.h"
#include "sim/SimPowerManagement.h"
#include "sim/SimServices.h"
#include "sim/SimulatedPhone.h"
#include "sim/VirtualRunLoop.h"

namespace corvane::sim {

using host::HomeScreenHost;
using host::HomeScreenOptions;
using host::HostRuntime;
using enum platform::ApplicationState;

struct PhoneOptions {
    // Wall-clock time of virtual t = 0, seconds since 1970.
    double start = 1'800'000'000.0;  // 2027-01-15
    std::string systemVersion = "8.1";
    std::string machine = "iPhone6,1";
    HomeScreenOptions homeScreen;
};

class PhoneHost final : public platform::Platform {
public:
    explicit PhoneHost(PhoneOptions options = {});
    ~PhoneHost() override;
    PhoneHost(const PhoneHost&) = delete;
    PhoneHost& operator=(const PhoneHost&) = delete;

    // The phone the engine library attaches to when it loads; none when no
    // phone exists in this process.
    static PhoneHost* current();

    // Loads the engine library; its load-time constructor installs the hooks.
    // Answers NO with the loader's message when the library cannot be loaded.
    bool loadEngine(const std::filesystem::path& library, std::string* error = nullptr);

    HostRuntime& simRuntime() { return runtime_; }
    VirtualRunLoop& loop() { return loop_; }
    SimulatedPhone& phone() { return phone_; }
    HomeScreenHost& homeScreen() { return *homeScreen_; }
    SimSystemLog& log() { return log_; }
    platform::InProcessDarwinNotificationCenter& darwin() { return darwin_; }
    SimLocalNotificationCenter& local() { return local_; }
    SimStatusBar& statusBarService() { return statusBar_; }
    SimAlertViews& alerts() { return alerts_; }
    SimPowerManagement& power() { return power_; }

    // Platform
    platform::ObjectRuntime& runtime() override { return runtime_; }
    platform::Clock& clock() override { return loop_; }
    platform::RunLoop& mainRunLoop() override { return loop_; }
    platform::Threads& threads() override { return loop_; }
    platform::DarwinNotificationCenter& darwinNotifications() override { return darwin_; }
    platform::LocalNotificationCenter& localNotifications() override { return local_; }
    platform::SystemLog& systemLog() override { return log_; }
    platform::StatusBar& statusBar() override { return statusBar_; }
    platform::AlertViews& alertViews() override { return alerts_; }
    platform::Device& device() override { return phone_.device(); }
    platform::Telephony& telephony() override { return phone_.telephony(); }
    platform::Bluetooth& bluetooth() override { return phone_.bluetooth(); }
    platform::LocationServices& locationServices() override { return phone_.locationServices(); }
    platform::Preferences& preferences() override { return phone_.preferences(); }
    platform::LowPowerMode& lowPowerMode() override { return phone_.lowPowerMode(); }
    platform::PowerManagement& powerManagement() override { return power_; }
    platform::FileManager& fileManager() override { return phone_.fileManager(); }
    platform::LoadAverage& loadAverage() override { return phone_.loadAverage(); }

private:
    PhoneOptions options_;
    HostRuntime runtime_;
    VirtualRunLoop loop_;
    SimulatedPhone phone_;
    SimSystemLog log_;
    // Handlers run on the main run loop.
    platform::InProcessDarwinNotificationCenter darwin_;
    SimLocalNotificationCenter local_;
    SimStatusBar statusBar_;
    SimAlertViews alerts_;
    SimPowerManagement power_;
    std::unique_ptr<HomeScreenHost> homeScreen_;
    void* engineLibrary_ = nullptr;
};

}  // namespace corvane::sim
