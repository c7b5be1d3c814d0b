#pragma once
// Leaves the simulated phone's clock and kernel identification under the
// root (shared/PhoneInfo.h), so that the app sees the phone's date and system:
// a Darwin kernel of the release that the scenario's system version ran on,
// the node named after the device kind ("iPhone" for "iPhone6,1").

#include <string>
#include <string_view>

#include "sim/Scenario.h"

namespace corvane::sim {

class PhoneInfoFile {
public:
    // The phone's clock reads `phoneTime` now and runs `rate` times as fast
    // as this machine's (0 once the run has ended). A file that cannot be
    // written is said on standard error; the app then uses this machine's.
    static void write(const Scenario::Device& device, double phoneTime, double rate);

    // The Darwin release of a system version: "14.0.0" for "8.1".
    static std::string kernelRelease(std::string_view systemVersion);
};

}  // namespace corvane::sim
