#pragma once
// A device profile: the battery of a phone and what each of its parts draws
// in each state, with the published ratings it was calibrated against. The
// profiles are data files (sim/profiles/*.json, built into phonesim); each
// figure carries its source beside its value. A scenario names one by name
// or by the path of a JSON file; the default is "phone-2013".

#include <array>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::sim {

class ProfileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct DeviceProfile {
    static constexpr std::string_view kDefaultName = "phone-2013";

    std::string name;

    double batteryCapacity = 0;   // mAh
    double batteryVoltage = 0;    // V
    double chargeCurrent = 0;     // mA
    double chargeTaperStart = 0;  // fraction of charge
    double chargeCurrentAtFull = 0;

    // Draws in mW.
    double suspended = 0, awake = 0, interactiveLoad = 0, screen = 0, audio = 0, video = 0;
    double lowPowerModeFactor = 1;
    double wifiAsleepIdle = 0, wifiAsleepScanning = 0, wifiIdle = 0, wifiScanning = 0, wifiActive = 0;
    double wifiBroadcastWakesPerHour = 0, wifiBroadcastWake = 0;  // J per wake-up
    double wifiAssociation = 0;                                   // J
    double cellularPaging = 0, call = 0;
    std::array<double, 3> cellularActive{}, cellularTail{}, cellularTailSeconds{};  // 2G, 3G, 4G
    double cellularAttach = 0, networkRegistration = 0;                             // J
    std::array<double, 4> cellularFactorByBars{}, wifiFactorByBars{};               // 0-3 bars
    double bluetoothIdle = 0, bluetoothConnected = 0, gps = 0;
    double webEvery = 0, webTransfer = 0, streamEvery = 0, streamTransfer = 0;  // s

    struct Rating {
        std::string use;  // standby, talk3G, webWiFi, webLTE, web3G, video, audio
        double hours = 0;
        bool fitted = false;
        std::string source;
    };
    std::vector<Rating> ratings;

    // The battery's energy when full, mWh.
    double batteryEnergy() const { return batteryCapacity * batteryVoltage; }

    // Reads a profile; throws ProfileError naming the offending key.
    static DeviceProfile parse(std::string_view json);
    // A profile built into phonesim by name, or a JSON file when `nameOrPath`
    // ends in ".json"; throws ProfileError.
    static DeviceProfile find(const std::string& nameOrPath);
    static std::vector<std::string> bundledNames();
};

}  // namespace corvane::sim
