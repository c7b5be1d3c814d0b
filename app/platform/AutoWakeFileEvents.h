#pragma once
// The scheduled power events as the phone keeps them on disk: the power
// manager's AutoWake property list under the filesystem root, a dictionary
// whose "events" array holds one dictionary per event ("time",
// "scheduledby", "eventtype").

#include "app/platform/ScheduledPowerEvents.h"

namespace corvane::app {

class AutoWakeFileEvents final : public ScheduledPowerEvents {
public:
    // An empty list when no event file exists (nothing is scheduled); none
    // when the file cannot be read as a dictionary. Entries that are not
    // dictionaries are left out.
    std::optional<plist::Array> copyScheduledPowerEvents() override;
};

}  // namespace corvane::app
