#pragma once
// The simulated phone: one state of every radio, of telephony and of the
// device, with several views of it (the platform interfaces the engine uses,
// and the home-screen objects of HomeScreenHost). Every radio switch that
// takes effect is recorded, so tests and traces can see what the engine did.

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/platform/Clock.h"
#include "engine/platform/Device.h"
#include "engine/platform/Radios.h"
#include "engine/platform/SystemInfo.h"
#include "engine/platform/Telephony.h"
#include "host/HomeScreenDevice.h"
#include "sim/RadioNames.h"

namespace corvane::sim {

// The phone's state, with the facts its home screen answers (WiFi manager,
// telephony manager, power and screen). Read and written under
// SimulatedPhone::mutex().
struct PhoneState : host::HomeScreenFacts {
    // Device.
    std::string machine = "iPhone6,1";
    std::string systemVersion = "8.1";
    double coreFoundationVersionNumber = 1141.14;
    int userInterfaceIdiom = 0;
    // The capability table; none when the capability library is missing.
    std::optional<std::map<std::string, bool>> capabilities = std::map<std::string, bool>{{"cellular-data", true}};

    // Cellular.
    bool cellularData = true;
    bool telephonyServerReachable = true;
    std::optional<std::vector<platform::DataRate>> supportedDataRates = std::vector<platform::DataRate>{
        platform::DataRate::Rate2G, platform::DataRate::Rate3G, platform::DataRate::Rate4G};
    std::optional<platform::DataRate> maxAllowedDataRate = platform::DataRate::Rate4G;
    bool setMaxAllowedDataRateSucceeds = true;
    platform::RATSelection ratSelection = platform::RATSelection::Selection1;

    // Bluetooth, location, low-power mode.
    bool bluetoothEnabled = false;
    bool bluetoothConnected = false;
    bool locationServices = true;
    bool lowPowerModeAvailable = true;
    bool lowPowerMode = false;

    // Load averages reported by the system; none: the machine's own.
    std::optional<std::array<double, 3>> loadAverages;
};

// One radio switch that took effect, or a requested network speed.
struct RadioChange {
    platform::Date time;
    Radio radio = Radio::WiFi;
    bool on = false;
    platform::DataRate speed = platform::DataRate::Rate4G;  // for Radio::Speed
};

class SimulatedPhone final : public host::HomeScreenDevice {
public:
    explicit SimulatedPhone(platform::Clock& clock);
    ~SimulatedPhone() override;

    std::mutex& mutex() const { return mutex_; }
    // Runs `change` on the state under the phone's lock.
    template <class Fn>
    auto withState(Fn&& change) {
        std::lock_guard guard(mutex_);
        return change(state_);
    }
    PhoneState snapshot() const;

    // host::HomeScreenDevice
    void withFacts(const std::function<void(host::HomeScreenFacts&)>& change) override;
    std::string systemVersion() override;

    // Radio switches as the phone applies them (recorded when the state changes).
    void setWiFiEnabled(bool enabled) override;
    void setCellularData(bool enabled);
    void setBluetoothEnabled(bool enabled);
    void setLocationServices(bool enabled);
    void setLowPowerMode(bool enabled);
    void requestMaxDataRate(platform::DataRate rate);
    // The push flag lives in a property list under the root; the phone notes
    // its changes when the file is rewritten through it or read back.
    bool pushEnabled() const;
    void setPushEnabled(bool enabled);

    // WiFi association planned for a virtual time: at `at` the phone
    // associates with `network` (or, with none, gives up and stays unassociated).
    void scheduleAssociation(platform::Date at, std::optional<std::string> network, int bars);
    // Applies what was scheduled up to `now`.
    void timeReached(platform::Date now);

    std::vector<RadioChange> radioChanges() const;
    void setChangeObserver(std::function<void(const RadioChange&)> observer);

    // Platform views.
    platform::Device& device();
    platform::Telephony& telephony();
    platform::Bluetooth& bluetooth();
    platform::LocationServices& locationServices();
    platform::Preferences& preferences();
    platform::LowPowerMode& lowPowerMode();
    platform::FileManager& fileManager();
    platform::LoadAverage& loadAverage();

private:
    class Views;
    void switchRadio(bool PhoneState::*field, Radio radio, bool enabled);
    void record(Radio radio, bool on, platform::DataRate speed = platform::DataRate::Rate4G);
    void applyDueAssociations(platform::Date now);

    platform::Clock& clock_;
    mutable std::mutex mutex_;
    PhoneState state_;
    std::vector<RadioChange> changes_;
    std::function<void(const RadioChange&)> observer_;
    struct PlannedAssociation {
        platform::Date at;
        std::optional<std::string> network;
        int bars;
    };
    std::vector<PlannedAssociation> planned_;
    std::unique_ptr<Views> views_;
};

}  // namespace corvane::sim
