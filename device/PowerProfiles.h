#pragma once
// power-profiles-daemon on the system bus: the low-power mode is the
// "power-saver" profile; leaving it returns to the profile found before.

#include <string>

#include "device/BusService.h"

namespace corvane::device {

class PowerProfiles final : public BusService {
public:
    PowerProfiles(Bus* bus, DaemonLog& log);

    bool powerSaver() const { return profile_ == "power-saver"; }
    bool setPowerSaver(bool enabled);

protected:
    bool attach() override;
    void detach() override { profile_.clear(); }

private:
    std::string profile_;
    std::string before_ = "balanced";
};

}  // namespace corvane::device
