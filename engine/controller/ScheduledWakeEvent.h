#pragma once
// One scheduled power event as the platform lists it, and the rules for
// other applications' events: which may be moved, and which the user's
// no-delay list protects.

#include <optional>
#include <string>

#include "shared/PropertyList.h"

namespace corvane {

struct ScheduledWakeEvent {
    plist::Date time;
    std::string scheduledBy;
    std::string eventType;

    // One entry of the platform's list; none when it lacks a field needed to cancel it.
    static std::optional<ScheduledWakeEvent> from(const plist::Value& entry);
    // Persistent-connection wake events may be moved; alarms and calendar alerts never.
    static bool mayBeMoved(const std::string& scheduledBy);
    // An application of the no-delay list (value YES) named anywhere in the scheduler name.
    static bool isProtected(const std::string& scheduledBy, const plist::Dictionary& noDelayApps);
};

}  // namespace corvane
