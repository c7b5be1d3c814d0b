#pragma once
// NetworkManager on the system bus: the WiFi switch (WirelessEnabled), the
// WiFi device's association, network name and signal, and cellular data as
// the modem device's connection, deactivated and activated again (which
// leaves calls alone, unlike WwanEnabled).

#include <functional>
#include <optional>
#include <string>

#include "device/BusService.h"

namespace corvane::device {

struct WiFiState {
    bool enabled = false;
    bool associated = false;
    std::optional<std::string> network;
    int strength = 0;  // percent
};

class NetworkManager final : public BusService {
public:
    NetworkManager(Bus* bus, DaemonLog& log, std::function<void()> changed);

    const WiFiState& wifi() const { return wifi_; }
    bool setWirelessEnabled(bool enabled);
    // none while there is no modem device.
    std::optional<bool> cellularData() const;
    bool setCellularData(bool enabled);

protected:
    bool attach() override;
    void detach() override;

private:
    void scanDevices();
    void readWiFiDevice();
    void readAccessPoint();
    void readModemDevice();
    void notify();

    std::function<void()> changed_;
    WiFiState wifi_;
    std::string wifiDevice_;
    std::string accessPoint_;
    std::string modemDevice_;
    bool modemActive_ = false;
    std::string modemActiveConnection_;
    // The connection the daemon deactivated, to activate again.
    std::string modemConnection_;
    std::unique_ptr<BusSlot> wifiWatch_;
    std::unique_ptr<BusSlot> accessPointWatch_;
    std::unique_ptr<BusSlot> modemWatch_;
};

}  // namespace corvane::device
