#pragma once
// BlueZ on the system bus: the first adapter's Powered switch, and whether
// any device is connected.

#include <functional>
#include <string>

#include "device/BusService.h"

namespace corvane::device {

class Bluez final : public BusService {
public:
    Bluez(Bus* bus, DaemonLog& log, std::function<void()> changed);

    bool hasAdapter() const { return !adapter_.empty(); }
    bool powered() const { return powered_; }
    bool connected() const { return connected_; }
    bool setPowered(bool powered);

protected:
    bool attach() override;
    void detach() override;

private:
    void scan();

    std::function<void()> changed_;
    std::string adapter_;
    bool powered_ = false;
    bool connected_ = false;
};

}  // namespace corvane::device
