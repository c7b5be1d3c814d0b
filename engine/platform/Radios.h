#pragma once
// Radio services outside the home screen: Bluetooth, location services,
// preference domains and the low-power mode. WiFi belongs to the home
// screen's WiFi manager, push to its property list.

#include <string_view>

#include "shared/PropertyList.h"

namespace corvane::platform {

class Bluetooth {
public:
    virtual ~Bluetooth() = default;
    virtual bool enabled() = 0;
    // An accessory is connected.
    virtual bool connected() = 0;
    virtual void setPowered(bool powered) = 0;
    virtual void setEnabled(bool enabled) = 0;
};

class LocationServices {
public:
    virtual ~LocationServices() = default;
    virtual bool locationServicesEnabled() = 0;
    virtual void setLocationServicesEnabled(bool enabled) = 0;
};

class Preferences {
public:
    virtual ~Preferences() = default;
    virtual void setAppValue(std::string_view domain, std::string_view key, const plist::Value& value) = 0;
    virtual bool appSynchronize(std::string_view domain) = 0;
};

class LowPowerMode {
public:
    virtual ~LowPowerMode() = default;
    // The settings class exists.
    virtual bool available() = 0;
    virtual bool isEnabled() = 0;
    virtual void setEnabled(bool enabled) = 0;
};

}  // namespace corvane::platform
