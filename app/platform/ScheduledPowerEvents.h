#pragma once
// The platform's scheduled power events, as the power manager reports them:
// one dictionary per event ("scheduledby", "time", "eventtype", ...).

#include <optional>

#include "shared/PropertyList.h"

namespace corvane::app {

class ScheduledPowerEvents {
public:
    virtual ~ScheduledPowerEvents() = default;
    // None when the service cannot be asked.
    virtual std::optional<plist::Array> copyScheduledPowerEvents() = 0;
};

}  // namespace corvane::app
