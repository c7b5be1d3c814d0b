#pragma once
// The simulated phone's energy figures as the engine may ask for them,
// derived from the device profile the power model charges with.

#include "engine/platform/EnergyCosts.h"
#include "sim/DeviceProfile.h"

namespace corvane::sim {

class SimEnergyCosts final : public platform::EnergyCosts {
public:
    explicit SimEnergyCosts(const DeviceProfile& profile);
    std::optional<platform::DeviceEnergyCosts> deviceEnergyCosts() override { return costs_; }

private:
    platform::DeviceEnergyCosts costs_;
};

}  // namespace corvane::sim
