#pragma once
// ModemManager on the system bus: the first modem's signal quality, its
// current and supported modes (2G / 3G / 4G), and its calls through the
// voice interface where the modem has one.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "device/BusService.h"
#include "device/RadioMapping.h"

namespace corvane::device {

struct CallState {
    bool inCall = false;
    bool incoming = false;
    bool outgoing = false;
    bool active = false;
};

class ModemManager final : public BusService {
public:
    ModemManager(Bus* bus, DaemonLog& log, std::function<void()> changed);

    bool hasModem() const { return !modem_.empty(); }
    int signalQuality() const { return signal_; }
    const std::vector<ModemModes>& supportedModes() const { return supported_; }
    std::optional<platform::DataRate> currentRate() const;
    bool setRate(platform::DataRate rate);
    const CallState& calls() const { return calls_; }

protected:
    bool attach() override;
    void detach() override;

private:
    void findModem();
    void readModem(const BusProperties& properties);
    void readCalls();
    void notify();

    std::function<void()> changed_;
    std::string modem_;
    int signal_ = 0;
    ModemModes current_;
    std::vector<ModemModes> supported_;
    CallState calls_;
    std::unique_ptr<BusSlot> modemWatch_;
    std::vector<std::unique_ptr<BusSlot>> callWatches_;
};

}  // namespace corvane::device
