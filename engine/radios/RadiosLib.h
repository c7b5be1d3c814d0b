#pragma once
// The engine's only gateway to the phone's radios: reads and switches WiFi,
// cellular data ("Edge"), the cellular network speed, Bluetooth, location
// services, push and the low-power mode, and reads airplane mode, call state
// and tethering. Every switch first reads the current state and acts only on
// a change.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/platform/HomeScreen.h"
#include "engine/platform/Platform.h"
#include "shared/PropertyList.h"

namespace corvane {

class RadiosLib {
public:
    // Runs the capability detection (device kind, 3G capability).
    explicit RadiosLib(platform::Platform& platform);
    // Forgets the capability function cached for its platform.
    ~RadiosLib();
    RadiosLib(const RadiosLib&) = delete;
    RadiosLib& operator=(const RadiosLib&) = delete;

    bool isWiFiEnabled();
    void setWiFiEnabled(bool enabled);
    bool isEdgeEnabled();
    // NO only when refused because a call is active.
    bool setEdgeEnabled(bool enabled);
    // A NetworkSpeed code. Off the main thread the change is deferred to the
    // main run loop and the answer is YES at once.
    bool set3GState(std::int32_t speed);
    bool set3GStateMainThread(std::int32_t speed);
    std::int32_t get3GState();
    bool isBluetoothEnabled();
    void setBluetoothEnabled(bool enabled);
    bool isLocationEnabled();
    void setLocationEnabled(bool enabled);
    bool isPushEnabled();
    void setPushEnabled(bool enabled);
    bool isLowPowerModeEnabled();
    void setLowPowerModeEnabled(bool enabled);
    bool isAirplaneModeEnabled();
    bool isCallActive();
    bool isTethering();

    std::optional<platform::DataRate> minAllowedRate() const { return _minAllowedRate; }
    void setMinAllowedRate(std::optional<platform::DataRate> rate) { _minAllowedRate = rate; }
    std::optional<platform::DataRate> maxAllowedRate() const { return _maxAllowedRate; }
    void setMaxAllowedRate(std::optional<platform::DataRate> rate) { _maxAllowedRate = rate; }

    // Device capabilities. Above core framework version 793.0 the capability
    // function is looked up once and kept for the process.
    static bool supportsCapability(platform::Platform& platform, std::string_view capability);
    // Drops the kept capability function when it came from this platform.
    static void forgetCapabilityFunction(const platform::Platform& platform);
    bool is3GCapable();
    // Determined once per engine; retried while the telephony server is unreachable.
    std::int32_t getDeviceKind(const plist::Dictionary* options = nullptr);

    // The rate of a settings rate code: "MinRate" 1 gives 2G and 2 gives 3G,
    // "MaxRate" 2 gives 3G and 3 gives 4G; any other code gives none.
    static std::optional<platform::DataRate> minRateFromCode(std::int64_t code);
    static std::optional<platform::DataRate> maxRateFromCode(std::int64_t code);

    bool _is3GCapable = false;
    bool supportsNew3GAPI = false;
    std::int32_t deviceKind = -1;

private:
    // The device kind's telephony part: none while the server is unreachable.
    std::optional<std::int32_t> detectDeviceKind();
    bool is3GCapableByRATSelection();
    bool setDataRate(platform::DataRate rate);
    platform::Object* telephonyManager();

    platform::Platform& platform_;
    platform::HomeScreen homeScreen_;
    std::optional<platform::DataRate> _minAllowedRate;
    std::optional<platform::DataRate> _maxAllowedRate;
    // Lets a network-speed change deferred to the main run loop find out
    // whether this object still exists when it runs.
    std::shared_ptr<int> lifeToken_ = std::make_shared<int>(0);
};

}  // namespace corvane
