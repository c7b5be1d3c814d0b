#include "device/DevicePowerManagement.h"

#include <cmath>
#include <filesystem>

#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane::device {

namespace {
constexpr int kSuccess = 0;
constexpr int kBadArgument = static_cast<int>(0xE00002C2);
constexpr int kNotFound = static_cast<int>(0xE00002F0);
constexpr int kError = static_cast<int>(0xE00002BC);

std::filesystem::path eventsFile() { return paths::resolve(paths::kScheduledPowerEvents); }

plist::Array readEvents() {
    auto file = plist::readDictionary(eventsFile());
    if (!file) return {};
    const plist::Value* events = file->find("events");
    if (events == nullptr || !events->isArray()) return {};
    return *events->asArray();
}

bool writeEvents(const plist::Array& events) {
    std::error_code ignored;
    std::filesystem::create_directories(eventsFile().parent_path(), ignored);
    return static_cast<bool>(plist::writeFile(eventsFile(), plist::Value(plist::Dictionary{{"events", events}})));
}

bool sameEvent(const plist::Value& event, plist::Date time, std::string_view by, std::string_view type) {
    const plist::Dictionary* d = event.asDictionary();
    if (d == nullptr) return false;
    const plist::Value* at = d->find("time");
    const plist::Value* scheduledBy = d->find("scheduledby");
    const plist::Value* eventType = d->find("eventtype");
    return at != nullptr && at->asDate() != nullptr &&
           std::fabs(at->asDate()->secondsSince1970 - time.secondsSince1970) < 1.0 && scheduledBy != nullptr &&
           scheduledBy->asString() != nullptr && *scheduledBy->asString() == by && eventType != nullptr &&
           eventType->asString() != nullptr && *eventType->asString() == type;
}
}  // namespace

DevicePowerManagement::DevicePowerManagement(EventLoop& loop, DaemonLog& log, WakeAlarm& alarm)
    : loop_(loop), log_(log), alarm_(alarm) {}

bool DevicePowerManagement::registerForSystemPower(Callback callback) {
    callbacks_.push_back(std::make_shared<Callback>(std::move(callback)));
    return true;
}

std::intptr_t DevicePowerManagement::deliver(std::uint32_t type) {
    const std::intptr_t argument = nextArgument_++;
    messages_[argument] = {type, Answer::None};
    for (const auto& callback : std::vector(callbacks_)) (*callback)(type, argument);
    return argument;
}

void DevicePowerManagement::allowPowerChange(std::intptr_t argument) { answered(argument, Answer::Allowed); }

void DevicePowerManagement::cancelPowerChange(std::intptr_t argument) { answered(argument, Answer::Cancelled); }

void DevicePowerManagement::answered(std::intptr_t argument, Answer answer) {
    auto found = messages_.find(argument);
    if (found == messages_.end() || found->second.second != Answer::None) return;
    found->second.second = answer;
    if (willSleep_ == argument) sleepMayProceed();
}

void DevicePowerManagement::prepareForSleep(bool start) {
    if (!start) {
        log_.say("resumed");
        deliver(platform::kIOMessageSystemWillPowerOn);
        deliver(platform::kIOMessageSystemHasPoweredOn);
        if (logind_ != nullptr) logind_->takeDelayInhibitor();
        messages_.clear();
        rearm();
        return;
    }
    log_.say("prepare for sleep");
    const std::intptr_t question = deliver(platform::kIOMessageCanSystemSleep);
    if (messages_[question].second == Answer::Cancelled && logind_ != nullptr) {
        // logind cannot be stopped once it prepares; the refusal holds the next sleeps.
        if (logind_->takeBlockInhibitor()) log_.say("sleep refused: holding block inhibitor");
    }
    willSleep_ = deliver(platform::kIOMessageSystemWillSleep);
    if (messages_[*willSleep_].second != Answer::None) {
        sleepMayProceed();
        return;
    }
    sleepLimit_ = loop_.scheduleTimer(kSleepAnswerLimit, false, [this] {
        if (willSleep_) {
            log_.say("the engine did not answer in time: sleep goes on");
            sleepMayProceed();
        }
    });
}

void DevicePowerManagement::sleepMayProceed() {
    willSleep_.reset();
    if (sleepLimit_) sleepLimit_->invalidate();
    sleepLimit_.reset();
    log_.say("sleep allowed");
    if (logind_ != nullptr) logind_->releaseDelayInhibitor();
}

void DevicePowerManagement::askAgain() {
    if (probing_ || logind_ == nullptr || !logind_->holdsBlockInhibitor()) return;
    probing_ = true;
    const std::intptr_t question = deliver(platform::kIOMessageCanSystemSleep);
    if (messages_[question].second == Answer::Allowed) {
        logind_->releaseBlockInhibitor();
        log_.say("block inhibitor released");
    }
    messages_.erase(question);
    probing_ = false;
}

plist::Array DevicePowerManagement::copyScheduledPowerEvents() { return readEvents(); }

int DevicePowerManagement::schedulePowerEvent(plist::Date time, std::string_view scheduledBy,
                                              std::string_view eventType) {
    if (scheduledBy.empty() || eventType.empty()) return kBadArgument;
    plist::Array events = readEvents();
    events.push_back(plist::Value(plist::Dictionary{{"time", plist::Value(time)},
                                                    {"scheduledby", plist::Value(scheduledBy)},
                                                    {"eventtype", plist::Value(eventType)}}));
    if (!writeEvents(events)) return kError;
    rearm();
    return kSuccess;
}

int DevicePowerManagement::cancelScheduledPowerEvent(plist::Date time, std::string_view scheduledBy,
                                                     std::string_view eventType) {
    plist::Array events = readEvents();
    for (auto it = events.begin(); it != events.end(); ++it) {
        if (!sameEvent(*it, time, scheduledBy, eventType)) continue;
        events.erase(it);
        if (!writeEvents(events)) return kError;
        rearm();
        return kSuccess;
    }
    return kNotFound;
}

void DevicePowerManagement::rearm() {
    const plist::Date now = loop_.now();
    std::optional<plist::Date> earliest;
    for (const plist::Value& event : readEvents()) {
        const plist::Dictionary* d = event.asDictionary();
        const plist::Value* at = d != nullptr ? d->find("time") : nullptr;
        const plist::Date* date = at != nullptr ? at->asDate() : nullptr;
        if (date == nullptr || date->secondsSince1970 <= now.secondsSince1970) continue;
        if (!earliest || date->secondsSince1970 < earliest->secondsSince1970) earliest = *date;
    }
    if (earliest) {
        alarm_.arm(*earliest, now);
    } else {
        alarm_.disarm();
    }
}

}  // namespace corvane::device
