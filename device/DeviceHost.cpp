#include "device/DeviceHost.h"

#include <poll.h>
#include <sys/utsname.h>
#include <systemd/sd-event.h>

#include <cstdlib>
#include <iostream>
#include <set>

#include "device/DesktopEntries.h"
#include "device/RadioMapping.h"
#include "host/HostedPlatform.h"
#include "shared/AtomicFile.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane::device {

namespace {
// The daemon's name on the session bus: one daemon per user.
constexpr const char* kDaemonName = "org.fernhill.Corvaned";
// The system the home screen presents: new enough for the data-rate
// interface, the screen-off method with auto-unlock and the low-power mode.
constexpr const char* kSystemVersion = "9.0";
constexpr double kCoreFoundationVersion = 1241.11;

std::string machineName() {
    utsname name{};
    if (::uname(&name) != 0) return "linux";
    return name.machine;
}
}  // namespace

// The engine's views of the device's radios and services, each on the
// service that holds it; what Linux has no counterpart for answers "not
// available" and is said once.
class DeviceHost::Views final : public platform::Device,
                                public platform::Telephony,
                                public platform::Bluetooth,
                                public platform::LocationServices,
                                public platform::Preferences,
                                public platform::LoadAverage,
                                public platform::StatusBar,
                                public platform::LocalNotificationCenter {
public:
    explicit Views(DeviceHost& host) : lowPower(host, *this), host_(host) {}

    // Device
    std::string machine() const override { return machineName(); }
    std::string systemVersion() const override { return kSystemVersion; }
    double coreFoundationVersionNumber() const override { return kCoreFoundationVersion; }
    int userInterfaceIdiom() const override { return 0; }
    std::optional<std::function<bool(std::string_view)>> loadCapabilityFunction() override {
        return std::function<bool(std::string_view)>([this](std::string_view capability) {
            if (capability == "cellular-data") return host_.modemManager_ && host_.modemManager_->hasModem();
            return false;
        });
    }

    // Telephony
    class Connection final : public platform::TelephonyServerConnection {
    public:
        explicit Connection(ModemManager& modem) : modem_(modem) {}
        platform::RATSelection ratSelection() override { return platform::RATSelection::Other; }
        std::optional<std::vector<platform::DataRate>> copySupportedDataRates() override {
            std::vector<platform::DataRate> rates = supportedRates(modem_.supportedModes());
            if (rates.empty()) return std::nullopt;
            return rates;
        }

    private:
        ModemManager& modem_;
    };
    std::unique_ptr<platform::TelephonyServerConnection> createServerConnection() override {
        ModemManager* modem = host_.modemManager_.get();
        if (modem == nullptr || !modem->present() || !modem->hasModem()) return nullptr;
        return std::make_unique<Connection>(*modem);
    }
    bool cellularDataPlanIsEnabled() override {
        return host_.networkManager_ && host_.networkManager_->cellularData().value_or(false);
    }
    void setCellularDataPlanIsEnabled(bool enabled) override {
        NetworkManager* nm = host_.networkManager_.get();
        if (nm == nullptr || !nm->cellularData()) return notAvailable("cellular data");
        host_.switches_.change("cellular-data", plist::Value(*nm->cellularData()), plist::Value(enabled),
                               [nm, enabled] { return nm->setCellularData(enabled); });
    }
    bool setMaxAllowedDataRate(platform::DataRate rate) override {
        ModemManager* modem = host_.modemManager_.get();
        if (modem == nullptr || !modem->present() || !modem->hasModem()) return false;
        const std::string found = modem->currentRate() ? rateName(*modem->currentRate()) : "unknown";
        const bool made = host_.switches_.change("modes", plist::Value(found), plist::Value(rateName(rate)),
                                                 [modem, rate] { return modem->setRate(rate); });
        return made || host_.switches_.dryRun() || found == rateName(rate);
    }

    // Bluetooth
    bool enabled() override { return host_.bluez_ && host_.bluez_->powered(); }
    bool connected() override { return host_.bluez_ && host_.bluez_->connected(); }
    void setPowered(bool powered) override { switchBluetooth(powered); }
    void setEnabled(bool enabled) override { switchBluetooth(enabled); }

    // LocationServices
    bool locationServicesEnabled() override { return false; }
    void setLocationServicesEnabled(bool) override { notAvailable("location switch"); }

    // Preferences: kept as property lists under the root, as on the phone.
    void setAppValue(std::string_view domain, std::string_view key, const plist::Value& value) override {
        const std::filesystem::path file = paths::preferenceDomain(domain);
        plist::Dictionary values = plist::readDictionary(file).value_or(plist::Dictionary{});
        values.set(key, value);
        std::error_code ignored;
        std::filesystem::create_directories(file.parent_path(), ignored);
        plist::writeFile(file, plist::Value(std::move(values)));
    }
    bool appSynchronize(std::string_view) override { return true; }

    // LowPowerMode (its setEnabled shares a name with Bluetooth's, hence a view of its own)
    class LowPower final : public platform::LowPowerMode {
    public:
        explicit LowPower(DeviceHost& host, Views& views) : host_(host), views_(views) {}
        bool available() override { return host_.powerProfiles_ && host_.powerProfiles_->present(); }
        bool isEnabled() override { return host_.powerProfiles_ && host_.powerProfiles_->powerSaver(); }
        void setEnabled(bool enabled) override {
            PowerProfiles* profiles = host_.powerProfiles_.get();
            if (profiles == nullptr || !profiles->present()) return views_.notAvailable("low-power mode");
            host_.switches_.change("low-power", plist::Value(profiles->powerSaver()), plist::Value(enabled),
                                   [profiles, enabled] { return profiles->setPowerSaver(enabled); });
        }

    private:
        DeviceHost& host_;
        Views& views_;
    };
    LowPower lowPower;

    // LoadAverage
    std::optional<std::array<double, 3>> sample() override {
        std::array<double, 3> averages{};
        if (::getloadavg(averages.data(), 3) != 3) return std::nullopt;
        return averages;
    }

    // StatusBar: a Linux shell has no place for the engine's icon. The item
    // is accepted and shows nowhere; answering none instead would have the
    // engine try again every two seconds for as long as it runs, waking the
    // device it is meant to let sleep.
    class InertItem final : public platform::StatusBarItem {
    public:
        void setImageName(std::string_view) override {}
        void setVisible(bool) override {}
    };
    std::unique_ptr<platform::StatusBarItem> createItem(std::string_view, int) override {
        notAvailable("status-bar icon");
        return std::make_unique<InertItem>();
    }

    // LocalNotificationCenter: nothing in the process listens.
    void post(std::string_view, const plist::Dictionary&) override {}

    void notAvailable(const std::string& what) {
        if (said_.insert(what).second) host_.log_.say(what + ": not available on this device");
    }

private:
    void switchBluetooth(bool on) {
        Bluez* bluez = host_.bluez_.get();
        if (bluez == nullptr || !bluez->present() || !bluez->hasAdapter()) return notAvailable("Bluetooth");
        host_.switches_.change("bluetooth", plist::Value(bluez->powered()), plist::Value(on),
                               [bluez, on] { return bluez->setPowered(on); });
    }

    DeviceHost& host_;
    std::set<std::string> said_;
};

DeviceHost::DeviceHost(DaemonLog& log, DeviceOptions options)
    : log_(log),
      options_(std::move(options)),
      journal_(paths::resolve(kRadioJournalFile)),
      switches_(log_, journal_, options_.dryRun),
      views_(std::make_unique<Views>(*this)) {}

DeviceHost::~DeviceHost() {
    host::HostedPlatform::withdraw(this);
    sd_event_source_unref(darwinSource_);
}

platform::LocalNotificationCenter& DeviceHost::localNotifications() { return *views_; }
platform::StatusBar& DeviceHost::statusBar() { return *views_; }
platform::Device& DeviceHost::device() { return *views_; }
platform::Telephony& DeviceHost::telephony() { return *views_; }
platform::Bluetooth& DeviceHost::bluetooth() { return *views_; }
platform::LocationServices& DeviceHost::locationServices() { return *views_; }
platform::Preferences& DeviceHost::preferences() { return *views_; }
platform::LowPowerMode& DeviceHost::lowPowerMode() { return views_->lowPower; }
platform::FileManager& DeviceHost::fileManager() { return files_; }
platform::LoadAverage& DeviceHost::loadAverage() { return *views_; }

ScreenSaver* DeviceHost::screenSaver() const {
    if (gnomeScreenSaver_ && gnomeScreenSaver_->present()) return gnomeScreenSaver_.get();
    if (screenSaver_ && screenSaver_->present()) return screenSaver_.get();
    return nullptr;
}

bool DeviceHost::connect() {
    if (!loop_.ready()) {
        log_.say("cannot set up the event loop");
        return false;
    }
    // A stop asked for while the daemon starts waits for the loop, and is honoured there.
    loop_.onTerminate([this] {
        log_.say("stopping");
        stop();
    });
    std::string systemError;
    std::string sessionError;
    systemBus_ = Bus::open(Bus::Kind::System, loop_.event(), &systemError);
    sessionBus_ = Bus::open(Bus::Kind::Session, loop_.event(), &sessionError);
    if (!systemBus_) log_.say("no system bus (" + systemError + "): system services paused");
    if (!sessionBus_) log_.say("no session bus (" + sessionError + "): screen saver and notifications paused");
    if (!systemBus_ && !sessionBus_) return false;

    alarm_ = std::make_unique<WakeAlarm>(loop_.event(), log_, [this] {
        log_.say("wake alarm");
        power_->rearm();
    });
    power_ = std::make_unique<DevicePowerManagement>(loop_, log_, *alarm_);
    auto changed = [this] { servicesChanged(); };
    Bus* system = systemBus_.get();
    Bus* session = sessionBus_.get();
    logind_ = std::make_unique<Logind>(system, log_, options_.session,
                                       Logind::Handlers{[this](bool locked) { lockedChanged(locked); },
                                                        [this](bool start) {
                                                            if (engineRunning_) power_->prepareForSleep(start);
                                                        },
                                                        [this] {
                                                            log_.say("session ended");
                                                            stop();
                                                        }});
    power_->setLogind(logind_.get());
    upower_ = std::make_unique<UPower>(
        system, log_, [this](const UPowerBattery& battery, bool onBattery) { batteryReported(battery, onBattery); });
    networkManager_ = std::make_unique<NetworkManager>(system, log_, changed);
    modemManager_ = std::make_unique<ModemManager>(system, log_, changed);
    bluez_ = std::make_unique<Bluez>(system, log_, changed);
    powerProfiles_ = std::make_unique<PowerProfiles>(system, log_);
    gnomeScreenSaver_ =
        std::make_unique<ScreenSaver>(session, log_, true, [this](bool active) { screenSaverChanged(active); });
    screenSaver_ =
        std::make_unique<ScreenSaver>(session, log_, false, [this](bool active) { screenSaverChanged(active); });
    notifications_ = std::make_unique<DesktopNotifications>(session, log_);
    players_ = std::make_unique<MprisPlayers>(
        session, log_, [this](const std::string& application, bool playing) { playerChanged(application, playing); });
    for (BusService* service : std::initializer_list<BusService*>{
             logind_.get(), upower_.get(), networkManager_.get(), modemManager_.get(), bluez_.get(),
             powerProfiles_.get(), gnomeScreenSaver_.get(), screenSaver_.get(), notifications_.get()}) {
        service->start();
    }
    if (!rfkill_.open(options_.rfkill, loop_.event(), changed))
        log_.say("airplane mode not followed: " + rfkill_.whyNot());
    servicesChanged();
    return true;
}

bool DeviceHost::claimName() { return sessionBus_ == nullptr || sessionBus_->requestName(kDaemonName); }

void DeviceHost::restoreAfterCrash() {
    if (!journal_.exists()) return;
    log_.say("radios left switched by a previous run: putting them back");
    switches_.restore([this](std::string_view radio, const plist::Value& state) { return putBack(radio, state); });
}

bool DeviceHost::putBack(std::string_view radio, const plist::Value& state) {
    if (radio == "wifi") return networkManager_->setWirelessEnabled(state.boolValue());
    if (radio == "cellular-data") return networkManager_->setCellularData(state.boolValue());
    if (radio == "bluetooth") return bluez_->setPowered(state.boolValue());
    if (radio == "low-power") return powerProfiles_->setPowerSaver(state.boolValue());
    if (radio == "modes") {
        const std::string* name = state.asString();
        const auto rate = name != nullptr ? rateNamed(*name) : std::nullopt;
        return rate && modemManager_->setRate(*rate);
    }
    return false;
}

void DeviceHost::driveDarwin() {
    platform::NotificationPump* pump = darwin_.pump;
    if (pump == nullptr) return;
    for (int round = 0; round < 8 && pump->waitMilliseconds(1000) == 0; ++round) pump->dispatchPending();
    if (darwinSource_ != nullptr) {
        const short events = pump->pollEvents();
        const std::uint32_t wanted = (events & POLLOUT) != 0 ? EPOLLIN | EPOLLOUT : EPOLLIN;
        sd_event_source_set_io_events(darwinSource_, wanted);
    }
}

bool DeviceHost::startEngine(const std::filesystem::path& library, std::string* error) {
    darwin_ = platform::makeDarwinNotificationCenter("corvaned", std::cerr);
    if (darwin_.pump != nullptr) {
        sd_event_add_io(
            loop_.event(), &darwinSource_, darwin_.pump->fileDescriptor(), EPOLLIN,
            [](sd_event_source*, int, unsigned, void* userdata) {
                auto* self = static_cast<DeviceHost*>(userdata);
                self->darwin_.pump->dispatchPending();
                self->driveDarwin();
                return 0;
            },
            this);
        // Before the loop sleeps: deliver what was heard, and wait to write what is queued.
        sd_event_source_set_prepare(darwinSource_, [](sd_event_source*, void* userdata) {
            static_cast<DeviceHost*>(userdata)->driveDarwin();
            return 0;
        });
    }
    homeScreen_ = std::make_unique<host::HomeScreenHost>(runtime_, *this);
    // The installed applications, for the app's lists; none runs until it plays.
    for (const DesktopApplication& application : desktopApplications(desktopDataFolders())) {
        homeScreen_->addApplication(application.id, application.name);
    }
    host::HostedPlatform::offer(this);
    if (host::HostedPlatform::loadEngine(library, error) == nullptr) return false;
    loop_.setAfterTimer([this] { power_->askAgain(); });
    engineRunning_ = true;
    homeScreen_->finishLaunching();
    if (players_) players_->start();
    servicesChanged();
    // The first battery report finishes the engine's start-up; the lock and
    // screen found at start follow.
    if (upower_->present() && upower_->hasBattery()) batteryReported(upower_->battery(), upower_->onBattery());
    if (logind_->locked().value_or(false)) lockedChanged(true);
    if (ScreenSaver* saver = screenSaver(); saver != nullptr && saver->active().value_or(false)) {
        screenSaverChanged(true);
    }
    return true;
}

int DeviceHost::run() { return loop_.run(); }

void DeviceHost::stop() {
    if (stopping_) return;
    stopping_ = true;
    switches_.restore([this](std::string_view radio, const plist::Value& state) { return putBack(radio, state); });
    log_.say("stopped");
    loop_.exit(0);
}

void DeviceHost::withFacts(const std::function<void(host::HomeScreenFacts&)>& change) {
    std::lock_guard guard(mutex_);
    change(facts_);
}

void DeviceHost::setWiFiEnabled(bool enabled) {
    NetworkManager* nm = networkManager_.get();
    if (nm == nullptr || !nm->present()) return views_->notAvailable("WiFi switch");
    if (switches_.change("wifi", plist::Value(nm->wifi().enabled), plist::Value(enabled),
                         [nm, enabled] { return nm->setWirelessEnabled(enabled); })) {
        servicesChanged();
    }
}

std::string DeviceHost::systemVersion() { return kSystemVersion; }

void DeviceHost::lockedChanged(bool locked) {
    if (!engineRunning_) return;
    log_.say(locked ? "lock" : "unlock");
    // Without a screen saver the lock is the screen going off too.
    const bool screenFollowsLock = screenSaver() == nullptr;
    if (locked) {
        homeScreen_->setUILocked(true);
        if (screenFollowsLock) homeScreen_->setScreenOff(true);
    } else {
        if (screenFollowsLock) homeScreen_->setScreenOff(false);
        homeScreen_->setUILocked(false);
    }
}

void DeviceHost::screenSaverChanged(bool active) {
    if (!engineRunning_) return;
    log_.say(active ? "screen off" : "screen on");
    homeScreen_->setScreenOff(active);
}

void DeviceHost::batteryReported(const UPowerBattery& battery, bool onBattery) {
    if (!engineRunning_) return;
    const bool onAC = !onBattery;
    bool acChanged = false;
    withFacts([&](host::HomeScreenFacts& facts) {
        acChanged = facts.onAC != onAC;
        facts.onAC = onAC;
    });
    if (acChanged) homeScreen_->setOnAC(onAC);
    const plist::Dictionary properties = batteryDictionary(battery, onBattery, loop_.now().secondsSince1970);
    const bool charging =
        properties.find(battery::kIsCharging) != nullptr && properties.find(battery::kIsCharging)->boolValue();
    log_.say("battery " + std::to_string(batteryPercent(battery)) + "% " + (charging ? "charging" : "discharging"));
    homeScreen_->reportBatteryStatus(&properties);
}

void DeviceHost::playerChanged(const std::string& application, bool playing) {
    if (!engineRunning_) return;
    if (homeScreen_->application(application) == nullptr) homeScreen_->addApplication(application, application);
    // An application playing audio runs in the background; one that stopped is suspended.
    homeScreen_->setApplicationState(application, playing ? host::kApplicationBackground : host::kApplicationSuspended);
    if (!playing) homeScreen_->setApplicationRunning(application, false);
}

void DeviceHost::servicesChanged() {
    host::HomeScreenFacts before;
    host::HomeScreenFacts after;
    withFacts([&](host::HomeScreenFacts& facts) {
        before = facts;
        if (networkManager_) {
            const WiFiState& wifi = networkManager_->wifi();
            facts.wifiPowered = wifi.enabled;
            facts.wifiEnabled = wifi.enabled;
            facts.wifiAssociated = wifi.associated;
            facts.wifiNetwork = wifi.network;
            facts.wifiBars = barsForStrength(wifi.strength);
        }
        if (modemManager_) {
            const CallState& calls = modemManager_->calls();
            facts.inCall = calls.inCall;
            facts.incomingCall = calls.incoming;
            facts.outgoingCall = calls.outgoing;
            facts.activeCall = calls.active;
        }
        facts.airplaneMode = rfkill_.airplaneMode();
        after = facts;
    });
    if (engineRunning_ && homeScreen_ &&
        (before.wifiAssociated != after.wifiAssociated || before.wifiNetwork != after.wifiNetwork)) {
        homeScreen_->wifiLinkChanged();
    }
}

}  // namespace corvane::device
