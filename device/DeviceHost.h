#pragma once
// A Linux phone or laptop as the engine's platform: the home screen and its
// object runtime, the sd-event loop, and the system's services on the
// system and session buses, each behind the engine's narrow interfaces.
// Events from the services are sent as the home screen's own methods, so the
// engine's replacements see them; the engine's switches go through the
// radio gate (journal, log, dry run).

#include <filesystem>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "device/Bluez.h"
#include "device/Bus.h"
#include "device/DaemonLog.h"
#include "device/DesktopNotifications.h"
#include "device/DevicePowerManagement.h"
#include "device/EventLoop.h"
#include "device/Logind.h"
#include "device/ModemManager.h"
#include "device/MprisPlayers.h"
#include "device/NetworkManager.h"
#include "device/PowerProfiles.h"
#include "device/RadioJournal.h"
#include "device/RadioSwitches.h"
#include "device/Rfkill.h"
#include "device/ScreenSaver.h"
#include "device/UPower.h"
#include "device/WakeAlarm.h"
#include "engine/platform/Platform.h"
#include "host/HomeScreenDevice.h"
#include "host/HomeScreenHost.h"
#include "host/HostRuntime.h"
#include "host/LocalFileManager.h"
#include "shared/SystemDarwinNotifications.h"

namespace corvane::device {

struct DeviceOptions {
    bool dryRun = false;
    std::string session;
    std::filesystem::path rfkill = "/dev/rfkill";
};

class DeviceHost final : public platform::Platform, public host::HomeScreenDevice {
public:
    DeviceHost(DaemonLog& log, DeviceOptions options);
    ~DeviceHost() override;
    DeviceHost(const DeviceHost&) = delete;
    DeviceHost& operator=(const DeviceHost&) = delete;

    // Connects to the buses and follows the services. NO when neither bus answers.
    bool connect();
    // Puts back radios a previous run left switched (after a crash).
    void restoreAfterCrash();
    // Offers this platform, loads the engine and tells it the home screen
    // launched, then the state found. NO (and why) when the library fails.
    bool startEngine(const std::filesystem::path& library, std::string* error);
    // Runs the loop until a stop; answers the exit code.
    int run();
    // Puts back what the daemon switched and ends the loop.
    void stop();

    // Owns the daemon's name on the session bus; NO when another daemon has it.
    bool claimName();

    EventLoop& loop() { return loop_; }
    Bus* systemBus() const { return systemBus_.get(); }
    Bus* sessionBus() const { return sessionBus_.get(); }
    // The services, for the status screen.
    Logind* logind() const { return logind_.get(); }
    UPower* upower() const { return upower_.get(); }
    NetworkManager* networkManager() const { return networkManager_.get(); }
    ModemManager* modemManager() const { return modemManager_.get(); }
    Bluez* bluez() const { return bluez_.get(); }
    PowerProfiles* powerProfiles() const { return powerProfiles_.get(); }
    ScreenSaver* screenSaver() const;
    DesktopNotifications* notifications() const { return notifications_.get(); }
    MprisPlayers* players() const { return players_.get(); }
    const Rfkill& rfkill() const { return rfkill_; }
    const WakeAlarm& wakeAlarm() const { return *alarm_; }

    // Platform
    platform::ObjectRuntime& runtime() override { return runtime_; }
    platform::Clock& clock() override { return loop_; }
    platform::RunLoop& mainRunLoop() override { return loop_; }
    platform::Threads& threads() override { return loop_; }
    platform::DarwinNotificationCenter& darwinNotifications() override { return *darwin_.center; }
    platform::LocalNotificationCenter& localNotifications() override;
    platform::SystemLog& systemLog() override { return log_; }
    platform::StatusBar& statusBar() override;
    platform::AlertViews& alertViews() override { return *notifications_; }
    platform::Device& device() override;
    platform::Telephony& telephony() override;
    platform::Bluetooth& bluetooth() override;
    platform::LocationServices& locationServices() override;
    platform::Preferences& preferences() override;
    platform::LowPowerMode& lowPowerMode() override;
    platform::PowerManagement& powerManagement() override { return *power_; }
    platform::FileManager& fileManager() override;
    platform::LoadAverage& loadAverage() override;

    // host::HomeScreenDevice
    void withFacts(const std::function<void(host::HomeScreenFacts&)>& change) override;
    void setWiFiEnabled(bool enabled) override;
    std::string systemVersion() override;

    RadioSwitches& switches() { return switches_; }

private:
    class Views;
    friend class Views;

    void lockedChanged(bool locked);
    void screenSaverChanged(bool active);
    void batteryReported(const UPowerBattery& battery, bool onBattery);
    void servicesChanged();
    void playerChanged(const std::string& application, bool playing);
    bool putBack(std::string_view radio, const plist::Value& state);
    void driveDarwin();

    DaemonLog& log_;
    DeviceOptions options_;
    EventLoop loop_;
    host::HostRuntime runtime_;
    RadioJournal journal_;
    RadioSwitches switches_;
    std::unique_ptr<Bus> systemBus_;
    std::unique_ptr<Bus> sessionBus_;
    std::unique_ptr<WakeAlarm> alarm_;
    std::unique_ptr<DevicePowerManagement> power_;
    std::unique_ptr<Logind> logind_;
    std::unique_ptr<UPower> upower_;
    std::unique_ptr<NetworkManager> networkManager_;
    std::unique_ptr<ModemManager> modemManager_;
    std::unique_ptr<Bluez> bluez_;
    std::unique_ptr<PowerProfiles> powerProfiles_;
    std::unique_ptr<ScreenSaver> gnomeScreenSaver_;
    std::unique_ptr<ScreenSaver> screenSaver_;
    std::unique_ptr<DesktopNotifications> notifications_;
    std::unique_ptr<MprisPlayers> players_;
    Rfkill rfkill_;
    platform::SystemDarwinNotifications darwin_;
    sd_event_source* darwinSource_ = nullptr;
    std::unique_ptr<Views> views_;
    host::LocalFileManager files_;
    std::unique_ptr<host::HomeScreenHost> homeScreen_;

    std::mutex mutex_;
    host::HomeScreenFacts facts_;
    bool engineRunning_ = false;
    bool stopping_ = false;
};

}  // namespace corvane::device
