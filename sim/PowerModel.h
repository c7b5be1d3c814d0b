#pragma once
// What each part of the simulated phone draws, by its state, from the
// figures of a device profile (sim/profiles/*.json, each figure with its
// source). The model charges what really costs:
// - one suspended draw; the cellular radio's paging comes on top of it, in
//   every state, until airplane mode (the standby rating is the two together);
// - WiFi while the phone sleeps at a few mW when associated, plus the
//   processor wake-ups that broadcast traffic causes, at the profile's rate;
// - the user's traffic (page loads while working on the phone, buffer
//   fetches of an audio stream) as short transfers, each followed by the
//   cellular radio's tail, averaged over the time between transfers; no
//   traffic and no radio draw for it when there is no network;
// - cellular and WiFi draws that grow as the signal bars fall;
// - the GPS only while an application uses location.
// Re-association and re-attach costs are one-off energies (see the profile).

#include <array>
#include <string_view>

#include "engine/platform/Telephony.h"
#include "sim/DeviceProfile.h"

namespace corvane::sim {

enum class Component { Suspended, Awake, Screen, Media, WiFi, Cellular, Bluetooth, Location, Count };
inline constexpr std::size_t kComponentCount = static_cast<std::size_t>(Component::Count);
std::string_view componentName(Component component);

// The state of every component at one instant.
struct ComponentState {
    bool asleep = false;  // the system is suspended
    bool screenOn = true;
    bool interactive = true;  // screen on and user interface unlocked: the user works
    bool lowPowerMode = false;
    bool wifiEnabled = true;
    bool wifiAssociated = false;
    int wifiBars = 3;
    bool wifiActive = false;      // a transfer runs over WiFi
    bool cellularData = true;     // cellular data switched on
    bool cellularRadio = true;    // the cellular radio is on (airplane mode off)
    int cellularBars = 3;         // 0: no service
    bool cellularActive = false;  // a transfer runs over cellular data
    bool cellularTail = false;    // the radio lingers in a high-power state after a transfer
    platform::DataRate speed = platform::DataRate::Rate4G;
    bool bluetooth = false;
    bool bluetoothConnected = false;
    bool location = false;       // location services switched on
    bool locationInUse = false;  // ... and an application uses them
    bool push = false;           // draws nothing by itself; its cost is the wake-ups
    bool call = false;
    bool tethering = false;
    bool userTraffic = false;  // the user's applications want the network now
    bool streaming = false;    // an application plays audio over the network
    bool video = false;        // a video plays (rated uses only)
    bool localAudio = false;   // audio plays from the phone itself (rated uses only)

    bool wifiUp() const { return wifiEnabled && wifiAssociated; }
    bool cellularUp() const { return cellularRadio && cellularData && cellularBars > 0; }
    bool networkUp() const { return wifiUp() || cellularUp(); }
};

using ComponentPower = std::array<double, kComponentCount>;  // milliwatts

class PowerModel {
public:
    explicit PowerModel(DeviceProfile profile);

    const DeviceProfile& profile() const { return profile_; }
    // Draw of each component in the state, in milliwatts.
    ComponentPower draw(const ComponentState& state) const;
    // What low-power mode saves in the state (already deducted by draw()).
    double lowPowerModeSaving(const ComponentState& state) const;
    // How long the cellular radio stays in its tail state after a transfer.
    double tailSeconds(platform::DataRate speed) const;
    // Charge current the adapter offers the battery at the given charge (0-1), mA.
    double chargeCurrent(double fraction) const;
    double nominalVoltage() const { return profile_.batteryVoltage; }

private:
    double cellularFactor(int bars) const;
    double wifiFactor(int bars) const;
    // Mean cellular draw of transfers of `seconds` every `every` seconds, each followed by the tail.
    double cellularTraffic(platform::DataRate speed, double every, double seconds) const;

    DeviceProfile profile_;
};

}  // namespace corvane::sim
