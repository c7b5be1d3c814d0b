#include "engine/controller/ScheduledWakeEvent.h"

#include "shared/Names.h"

namespace corvane {

std::optional<ScheduledWakeEvent> ScheduledWakeEvent::from(const plist::Value& entry) {
    const plist::Dictionary* event = entry.asDictionary();
    if (event == nullptr) return std::nullopt;
    const plist::Value* time = event->find(power::kEventTime);
    const plist::Value* scheduledBy = event->find(power::kEventScheduledBy);
    const plist::Value* eventType = event->find(power::kEventType);
    if (time == nullptr || !time->isDate() || scheduledBy == nullptr || !scheduledBy->isString() ||
        eventType == nullptr || !eventType->isString()) {
        return std::nullopt;
    }
    return ScheduledWakeEvent{*time->asDate(), *scheduledBy->asString(), *eventType->asString()};
}

bool ScheduledWakeEvent::mayBeMoved(const std::string& scheduledBy) {
    return scheduledBy.starts_with(power::kPersistentConnectionPrefix) &&
           scheduledBy.find(power::kAlarmScheduler) == std::string::npos &&
           scheduledBy.find(power::kCalendarScheduler) == std::string::npos;
}

bool ScheduledWakeEvent::isProtected(const std::string& scheduledBy, const plist::Dictionary& noDelayApps) {
    for (const auto& [identifier, value] : noDelayApps) {
        // An empty identifier names no application (it would occur in every name).
        if (!identifier.empty() && value.boolValue() && scheduledBy.find(identifier) != std::string::npos) {
            return true;
        }
    }
    return false;
}

}  // namespace corvane
