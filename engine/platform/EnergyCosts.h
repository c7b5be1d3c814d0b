#pragma once
// What the device's radios and processor cost in energy, as far as the
// platform knows its own hardware. A simulated phone answers from its device
// profile; a platform that knows nothing answers none, and the engine falls
// back to its table of defaults.

#include <optional>

namespace corvane::platform {

struct DeviceEnergyCosts {
    // Idle draws while the phone is locked and mostly asleep, milliwatts.
    double wifiIdleMilliwatts = 0.0;          // associated, with the wake-ups its broadcasts cause
    double cellularDataIdleMilliwatts = 0.0;  // attached and idle, beyond the paging that data off keeps
    double bluetoothIdleMilliwatts = 0.0;     // on, no accessory
    double locationIdleMilliwatts = 0.0;      // on, no application using it
    // What the low-power mode takes off the processor's draw while it is
    // awake with the screen off (an application playing), milliwatts.
    double lowPowerModeSavingMilliwatts = 0.0;
    // One-off costs of switching a radio back on, joules.
    double wifiJoinJoules = 0.0;        // scan, join and address lease
    double cellularAttachJoules = 0.0;  // packet-data attach
    double bluetoothOnJoules = 0.0;     // controller power-up
    double awakeMilliwatts = 0.0;       // processor awake, screen off
    double wakeJoules = 0.0;            // one wake-up of the sleeping phone for an application's sync
};

class EnergyCosts {
public:
    virtual ~EnergyCosts() = default;
    // The device's own figures; none when the platform does not know them.
    virtual std::optional<DeviceEnergyCosts> deviceEnergyCosts() = 0;
};

}  // namespace corvane::platform
