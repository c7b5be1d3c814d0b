#pragma once
// What each part of the simulated phone draws, by its state. The figures come
// from published smartphone measurements; each constant names its source in
// PowerModel.cpp. Where no published figure fits, the constant says that it
// is an estimate and how it was made.

#include <array>
#include <string_view>

namespace corvane::sim {

enum class Component { Suspended, Awake, Screen, WiFi, Cellular, Bluetooth, Location, Count };
inline constexpr std::size_t kComponentCount = static_cast<std::size_t>(Component::Count);
std::string_view componentName(Component component);

enum class CellularSpeed { G2, G3, G4 };
std::string_view cellularSpeedName(CellularSpeed speed);

// The state of every component at one instant.
struct ComponentState {
    bool asleep = false;        // the system is suspended
    bool screenOn = true;
    bool interactive = true;    // screen on and user interface unlocked: the user works
    bool lowPowerMode = false;
    bool wifiEnabled = true;
    bool wifiAssociated = false;
    bool wifiActive = false;      // a transfer runs over WiFi
    bool cellularData = true;     // cellular data switched on
    bool cellularRadio = true;    // the cellular radio is on (airplane mode off)
    bool cellularActive = false;  // a transfer runs over cellular data
    bool cellularTail = false;    // the radio lingers in a high-power state after a transfer
    CellularSpeed speed = CellularSpeed::G4;
    bool bluetooth = false;
    bool bluetoothConnected = false;
    bool location = false;
    bool push = false;  // draws nothing by itself; its cost is the wake-ups
    bool call = false;
    bool tethering = false;
    bool streaming = false;  // an application plays audio over the network
};

using ComponentPower = std::array<double, kComponentCount>;  // milliwatts

class PowerModel {
public:
    // Draw of each component in the state, in milliwatts.
    static ComponentPower draw(const ComponentState& state);
    // What low-power mode saves in the state (already deducted by draw()).
    static double lowPowerModeSaving(const ComponentState& state);
    // How long the cellular radio stays in its tail state after a transfer.
    static double tailSeconds(CellularSpeed speed);
    // Charge current into the battery on AC at the given charge (0-1), mA.
    static double chargeCurrent(double fraction);
    // Nominal battery voltage used to turn energy into charge, volts.
    static double nominalVoltage();
};

}  // namespace corvane::sim
