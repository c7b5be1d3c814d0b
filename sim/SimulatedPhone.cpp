#include "sim/SimulatedPhone.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "host/LocalFileManager.h"
#include "shared/AtomicFile.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane::sim {

namespace {

// Each platform interface is a small view of the one phone state.

class DeviceView final : public platform::Device {
public:
    explicit DeviceView(SimulatedPhone& phone) : phone_(phone) {}
    std::string machine() const override {
        return phone_.withState([](PhoneState& s) { return s.machine; });
    }
    std::string systemVersion() const override {
        return phone_.withState([](PhoneState& s) { return s.systemVersion; });
    }
    double coreFoundationVersionNumber() const override {
        return phone_.withState([](PhoneState& s) { return s.coreFoundationVersionNumber; });
    }
    int userInterfaceIdiom() const override {
        return phone_.withState([](PhoneState& s) { return s.userInterfaceIdiom; });
    }
    std::optional<std::function<bool(std::string_view)>> loadCapabilityFunction() override {
        if (!phone_.withState([](PhoneState& s) { return s.capabilities.has_value(); })) return std::nullopt;
        SimulatedPhone* phone = &phone_;
        return std::function<bool(std::string_view)>([phone](std::string_view capability) {
            return phone->withState([&](PhoneState& s) {
                if (!s.capabilities) return false;
                auto found = s.capabilities->find(std::string(capability));
                return found != s.capabilities->end() && found->second;
            });
        });
    }

private:
    SimulatedPhone& phone_;
};

class ServerConnection final : public platform::TelephonyServerConnection {
public:
    explicit ServerConnection(SimulatedPhone& phone) : phone_(phone) {}
    platform::RATSelection ratSelection() override {
        return phone_.withState([](PhoneState& s) { return s.ratSelection; });
    }
    std::optional<std::vector<platform::DataRate>> copySupportedDataRates() override {
        return phone_.withState([](PhoneState& s) { return s.supportedDataRates; });
    }

private:
    SimulatedPhone& phone_;
};

class TelephonyView final : public platform::Telephony {
public:
    explicit TelephonyView(SimulatedPhone& phone) : phone_(phone) {}
    std::unique_ptr<platform::TelephonyServerConnection> createServerConnection() override {
        if (!phone_.withState([](PhoneState& s) { return s.telephonyServerReachable; })) return nullptr;
        return std::make_unique<ServerConnection>(phone_);
    }
    bool cellularDataPlanIsEnabled() override {
        return phone_.withState([](PhoneState& s) { return s.cellularData; });
    }
    void setCellularDataPlanIsEnabled(bool enabled) override { phone_.setCellularData(enabled); }
    bool setMaxAllowedDataRate(platform::DataRate rate) override {
        if (!phone_.withState([](PhoneState& s) { return s.setMaxAllowedDataRateSucceeds; })) return false;
        phone_.requestMaxDataRate(rate);
        return true;
    }

private:
    SimulatedPhone& phone_;
};

class BluetoothView final : public platform::Bluetooth {
public:
    explicit BluetoothView(SimulatedPhone& phone) : phone_(phone) {}
    bool enabled() override {
        return phone_.withState([](PhoneState& s) { return s.bluetoothEnabled; });
    }
    bool connected() override {
        return phone_.withState([](PhoneState& s) { return s.bluetoothConnected; });
    }
    void setPowered(bool powered) override {
        if (powered) phone_.setBluetoothEnabled(true);
    }
    void setEnabled(bool enabled) override { phone_.setBluetoothEnabled(enabled); }

private:
    SimulatedPhone& phone_;
};

class LocationView final : public platform::LocationServices {
public:
    explicit LocationView(SimulatedPhone& phone) : phone_(phone) {}
    bool locationServicesEnabled() override {
        return phone_.withState([](PhoneState& s) { return s.locationServices; });
    }
    void setLocationServicesEnabled(bool enabled) override { phone_.setLocationServices(enabled); }

private:
    SimulatedPhone& phone_;
};

// Preference domains: values are staged until synchronized, then merged
// into the domain's property list in the preferences folder.
class PreferencesView final : public platform::Preferences {
public:
    void setAppValue(std::string_view domain, std::string_view key, const plist::Value& value) override {
        std::lock_guard guard(mutex_);
        pending_[std::string(domain)].set(key, value);
    }
    bool appSynchronize(std::string_view domain) override {
        std::lock_guard guard(mutex_);
        auto found = pending_.find(std::string(domain));
        if (found == pending_.end()) return true;
        const std::filesystem::path path = paths::preferenceDomain(domain);
        plist::Dictionary stored = plist::readDictionary(path).value_or(plist::Dictionary{});
        for (const auto& [key, value] : found->second) stored.set(key, value);
        std::error_code ignored;
        std::filesystem::create_directories(path.parent_path(), ignored);
        const bool written = plist::writeFile(path, plist::Value(std::move(stored)));
        pending_.erase(found);
        return written;
    }

private:
    std::mutex mutex_;
    std::map<std::string, plist::Dictionary> pending_;
};

class LowPowerModeView final : public platform::LowPowerMode {
public:
    explicit LowPowerModeView(SimulatedPhone& phone) : phone_(phone) {}
    bool available() override {
        return phone_.withState([](PhoneState& s) { return s.lowPowerModeAvailable; });
    }
    bool isEnabled() override {
        return phone_.withState([](PhoneState& s) { return s.lowPowerModeAvailable && s.lowPowerMode; });
    }
    void setEnabled(bool enabled) override { phone_.setLowPowerMode(enabled); }

private:
    SimulatedPhone& phone_;
};

// The machine's files under the phone's root, counted by the I/O meter; a
// full disk is the meter's to say.
class FileManagerView final : public host::LocalFileManager {
public:
    explicit FileManagerView(EngineIoMeter& meter) : meter_(meter) {}
    Outcome replaceFile(const std::filesystem::path& path, std::string_view bytes, Durability durability) override {
        if (meter_.diskFull()) return Outcome::fromErrno(ENOSPC);
        const Outcome written = LocalFileManager::replaceFile(path, bytes, durability);
        if (written) meter_.fileReplaced(durability);
        return written;
    }

private:
    EngineIoMeter& meter_;
};

// The phone's load averages when a scenario sets them, else the machine's own.
class LoadAverageView final : public platform::LoadAverage {
public:
    explicit LoadAverageView(SimulatedPhone& phone) : phone_(phone) {}
    std::optional<std::array<double, 3>> sample() override {
        if (auto simulated = phone_.withState([](PhoneState& s) { return s.loadAverages; })) return simulated;
        double values[3];
        if (getloadavg(values, 3) != 3) return std::nullopt;
        return std::array<double, 3>{values[0], values[1], values[2]};
    }

private:
    SimulatedPhone& phone_;
};

}  // namespace

class SimulatedPhone::Views {
public:
    explicit Views(SimulatedPhone& phone)
        : device(phone),
          telephony(phone),
          bluetooth(phone),
          location(phone),
          lowPowerMode(phone),
          fileManager(phone.ioMeter()),
          loadAverage(phone) {}

    DeviceView device;
    TelephonyView telephony;
    BluetoothView bluetooth;
    LocationView location;
    PreferencesView preferences;
    LowPowerModeView lowPowerMode;
    FileManagerView fileManager;
    LoadAverageView loadAverage;
};

SimulatedPhone::SimulatedPhone(platform::Clock& clock)
    : clock_(clock),
      ioMeter_([&clock] { return clock.now().secondsSince1970; }),
      views_(std::make_unique<Views>(*this)) {}

SimulatedPhone::~SimulatedPhone() = default;

PhoneState SimulatedPhone::snapshot() const {
    std::lock_guard guard(mutex_);
    return state_;
}

void SimulatedPhone::withFacts(const std::function<void(host::HomeScreenFacts&)>& change) {
    std::lock_guard guard(mutex_);
    change(state_);
}

std::string SimulatedPhone::systemVersion() {
    std::lock_guard guard(mutex_);
    return state_.systemVersion;
}

void SimulatedPhone::record(Radio radio, bool on, platform::DataRate speed) {
    // Called with the lock held; observers run after it is released.
    changes_.push_back(RadioChange{clock_.now(), radio, on, speed});
}

void SimulatedPhone::switchRadio(bool PhoneState::*field, Radio radio, bool enabled) {
    RadioChange change;
    std::function<void(const RadioChange&)> observer;
    {
        std::lock_guard guard(mutex_);
        if (state_.*field == enabled) return;
        state_.*field = enabled;
        // Switching WiFi off drops the association.
        if (field == &PhoneState::wifiEnabled && !enabled) {
            state_.wifiAssociated = false;
            state_.wifiNetwork.reset();
            state_.wifiBars = 0;
        }
        record(radio, enabled);
        change = changes_.back();
        observer = observer_;
    }
    if (observer) observer(change);
}

void SimulatedPhone::setWiFiEnabled(bool enabled) { switchRadio(&PhoneState::wifiEnabled, Radio::WiFi, enabled); }

void SimulatedPhone::setCellularData(bool enabled) { switchRadio(&PhoneState::cellularData, Radio::Edge, enabled); }

void SimulatedPhone::setBluetoothEnabled(bool enabled) {
    switchRadio(&PhoneState::bluetoothEnabled, Radio::Bluetooth, enabled);
}

void SimulatedPhone::setLocationServices(bool enabled) {
    switchRadio(&PhoneState::locationServices, Radio::Location, enabled);
}

void SimulatedPhone::setLowPowerMode(bool enabled) {
    switchRadio(&PhoneState::lowPowerMode, Radio::LowPowerMode, enabled);
}

void SimulatedPhone::requestMaxDataRate(platform::DataRate rate) {
    RadioChange change;
    std::function<void(const RadioChange&)> observer;
    {
        std::lock_guard guard(mutex_);
        state_.maxAllowedDataRate = rate;
        record(Radio::Speed, true, rate);
        change = changes_.back();
        observer = observer_;
    }
    if (observer) observer(change);
}

bool SimulatedPhone::pushEnabled() const {
    auto dictionary = plist::readDictionary(paths::resolve(paths::kPushPropertyList));
    if (!dictionary) return false;
    const plist::Value* value = dictionary->find(push::kEnablePush);
    return value != nullptr && value->boolValue();
}

void SimulatedPhone::setPushEnabled(bool enabled) {
    const std::filesystem::path path = paths::resolve(paths::kPushPropertyList);
    plist::Dictionary dictionary = plist::readDictionary(path).value_or(plist::Dictionary{});
    dictionary.set(push::kEnablePush, enabled);
    std::error_code ignored;
    std::filesystem::create_directories(path.parent_path(), ignored);
    plist::writeFile(path, plist::Value(std::move(dictionary)));
}

void SimulatedPhone::scheduleAssociation(platform::Date at, std::optional<std::string> network, int bars) {
    std::lock_guard guard(mutex_);
    planned_.push_back(PlannedAssociation{at, std::move(network), bars});
    std::stable_sort(planned_.begin(), planned_.end(), [](const PlannedAssociation& a, const PlannedAssociation& b) {
        return a.at.secondsSince1970 < b.at.secondsSince1970;
    });
}

void SimulatedPhone::timeReached(platform::Date now) { applyDueAssociations(now); }

void SimulatedPhone::applyDueAssociations(platform::Date now) {
    std::lock_guard guard(mutex_);
    while (!planned_.empty() && planned_.front().at.secondsSince1970 <= now.secondsSince1970) {
        PlannedAssociation next = std::move(planned_.front());
        planned_.erase(planned_.begin());
        // A phone with WiFi off cannot associate; the attempt is lost.
        const bool associated = next.network.has_value() && state_.wifiEnabled && state_.wifiPowered;
        state_.wifiAssociated = associated;
        state_.wifiNetwork = associated ? next.network : std::nullopt;
        state_.wifiBars = associated ? next.bars : 0;
    }
}

std::vector<RadioChange> SimulatedPhone::radioChanges() const {
    std::lock_guard guard(mutex_);
    return changes_;
}

void SimulatedPhone::setChangeObserver(std::function<void(const RadioChange&)> observer) {
    std::lock_guard guard(mutex_);
    observer_ = std::move(observer);
}

platform::Device& SimulatedPhone::device() { return views_->device; }
platform::Telephony& SimulatedPhone::telephony() { return views_->telephony; }
platform::Bluetooth& SimulatedPhone::bluetooth() { return views_->bluetooth; }
platform::LocationServices& SimulatedPhone::locationServices() { return views_->location; }
platform::Preferences& SimulatedPhone::preferences() { return views_->preferences; }
platform::LowPowerMode& SimulatedPhone::lowPowerMode() { return views_->lowPowerMode; }
platform::FileManager& SimulatedPhone::fileManager() { return views_->fileManager; }
platform::LoadAverage& SimulatedPhone::loadAverage() { return views_->loadAverage; }

}  // namespace corvane::sim
