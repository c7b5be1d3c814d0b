#pragma once
// What the engine found out about the device's cellular radio, and the small
// mobile-data file through which it tells the companion app: the supported
// data rates, the device kind and whether the radio is CDMA.

#include <cstdint>

namespace corvane {

class MobileDataInfo {
public:
    MobileDataInfo() = default;

    // The record of the mobile-data file; all flags NO and kind 0 when the
    // file is missing, unreadable or not a dictionary.
    static MobileDataInfo loadFromFile();
    // Writes exactly the five keys, atomically. NO when the file could not be
    // written (the previous file then stays).
    bool saveToFile() const;

    // NO at creation; nothing sets it.
    bool readFromFile() const { return _readFromFile; }
    // The engine never detects a CDMA radio, so its records hold NO; only a
    // record loaded from a file written elsewhere can say YES.
    bool isCDMA() const { return _isCDMA; }
    bool support2G() const { return _support2G; }
    void setSupport2G(bool value) { _support2G = value; }
    bool support3G() const { return _support3G; }
    void setSupport3G(bool value) { _support3G = value; }
    bool support4G() const { return _support4G; }
    void setSupport4G(bool value) { _support4G = value; }
    std::int32_t deviceKind() const { return _deviceKind; }
    // Whether the device supports the speed a rate restriction names (1 2G,
    // 2 3G, 3 4G); YES for any other value, which names no speed.
    bool supportsRate(std::int64_t rate) const;
    void setDeviceKind(std::int32_t value) { _deviceKind = value; }

private:
    bool _readFromFile = false;
    bool _isCDMA = false;
    bool _support2G = false;
    bool _support3G = false;
    bool _support4G = false;
    std::int32_t _deviceKind = 0;
};

}  // namespace corvane
