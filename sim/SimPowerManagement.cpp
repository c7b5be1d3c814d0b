#include "sim/SimPowerManagement.h"

#include <cmath>
#include <filesystem>
#include <system_error>

#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane::sim {

namespace {

std::filesystem::path eventsFile() { return paths::resolve(paths::kScheduledPowerEvents); }

// The file keeps whole seconds, so events are told apart by their second.
bool sameSecond(plist::Date a, plist::Date b) {
    return std::floor(a.secondsSince1970) == std::floor(b.secondsSince1970);
}

}  // namespace

// ---- Registration and messages ------------------------------------------------

bool SimPowerManagement::registerForSystemPower(Callback callback) {
    std::lock_guard guard(mutex_);
    if (registrationFails_ || !callback) return false;
    callbacks_.push_back(std::make_shared<Callback>(std::move(callback)));
    return true;
}

void SimPowerManagement::setRegistrationFails(bool fails) {
    std::lock_guard guard(mutex_);
    registrationFails_ = fails;
}

bool SimPowerManagement::registered() const {
    std::lock_guard guard(mutex_);
    return !callbacks_.empty();
}

std::intptr_t SimPowerManagement::postMessage(std::uint32_t type) {
    std::intptr_t argument;
    {
        std::lock_guard guard(mutex_);
        argument = nextArgument_++;
        messages_.push_back(Message{type, argument});
    }
    mainRunLoop_.dispatchToMain([this, type, argument] {
        std::vector<std::shared_ptr<Callback>> callbacks;
        {
            std::lock_guard guard(mutex_);
            callbacks = callbacks_;
            deliveringArgument_ = argument;
            for (Message& message : messages_) {
                if (message.argument == argument) message.delivered = true;
            }
        }
        for (const auto& callback : callbacks) (*callback)(type, argument);
        std::lock_guard guard(mutex_);
        deliveringArgument_.reset();
    });
    return argument;
}

void SimPowerManagement::answer(std::intptr_t argument, Answer answer) {
    std::lock_guard guard(mutex_);
    for (Message& message : messages_) {
        // Only the first answer to a message counts, as with the system.
        if (message.argument != argument || message.answer != Answer::None) continue;
        message.answer = answer;
        message.answeredDuringCallback = deliveringArgument_ == argument;
    }
}

void SimPowerManagement::allowPowerChange(std::intptr_t messageArgument) { answer(messageArgument, Answer::Allowed); }

void SimPowerManagement::cancelPowerChange(std::intptr_t messageArgument) {
    answer(messageArgument, Answer::Cancelled);
}

std::optional<SimPowerManagement::Message> SimPowerManagement::message(std::intptr_t argument) const {
    std::lock_guard guard(mutex_);
    for (const Message& message : messages_) {
        if (message.argument == argument) return message;
    }
    return std::nullopt;
}

std::vector<SimPowerManagement::Message> SimPowerManagement::messages() const {
    std::lock_guard guard(mutex_);
    return messages_;
}

// ---- Scheduled events ---------------------------------------------------------

std::optional<std::vector<SimPowerManagement::Event>> SimPowerManagement::readEvents() const {
    std::vector<Event> events;
    const std::filesystem::path file = eventsFile();
    std::error_code ignored;
    if (!std::filesystem::exists(file, ignored)) return events;
    std::optional<plist::Dictionary> root = plist::readDictionary(file);
    if (!root) return std::nullopt;  // unreadable: the list is not touched
    const plist::Value* list = root->find(power::kEventsKey);
    if (list == nullptr || !list->isArray()) return events;
    for (const plist::Value& entry : *list->asArray()) {
        const plist::Dictionary* event = entry.asDictionary();
        if (event == nullptr) continue;
        const plist::Value* time = event->find(power::kEventTime);
        const plist::Value* by = event->find(power::kEventScheduledBy);
        const plist::Value* type = event->find(power::kEventType);
        if (time == nullptr || !time->isDate() || by == nullptr || !by->isString() || type == nullptr ||
            !type->isString()) {
            continue;
        }
        events.push_back(Event{*time->asDate(), *by->asString(), *type->asString()});
    }
    return events;
}

std::vector<SimPowerManagement::Event>* SimPowerManagement::loadedEvents() const {
    if (!events_) events_ = readEvents();
    return events_ ? &*events_ : nullptr;
}

// The list changes in memory at once; the file follows on the main run loop's
// next turn, once for every change made meanwhile (the engine cancels and
// reschedules several events in one go at every sleep).
void SimPowerManagement::replaceEvents(std::vector<Event> events) {
    // The file keeps whole seconds: the list in memory is what it will hold.
    for (Event& event : events) event.time.secondsSince1970 = std::floor(event.time.secondsSince1970);
    events_ = std::move(events);
    ++eventsVersion_;
    eventsUnsaved_ = true;
    if (saveQueued_ || !savesEachTurn_) return;
    saveQueued_ = true;
    mainRunLoop_.dispatchToMain([this] { saveEvents(); });
}

void SimPowerManagement::setSavesEachTurn(bool saves) {
    std::lock_guard guard(mutex_);
    savesEachTurn_ = saves;
}

bool SimPowerManagement::saveEvents() {
    std::lock_guard guard(mutex_);
    saveQueued_ = false;
    if (!eventsUnsaved_ || !events_) return true;
    plist::Array list = eventList(*events_);
    const std::filesystem::path file = eventsFile();
    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    // A failed write is tried again at the next change or save.
    if (!plist::writeFile(file, plist::Value(plist::Dictionary{{std::string(power::kEventsKey), std::move(list)}}),
                          Durability::MayRevert))
        return false;
    eventsUnsaved_ = false;
    return true;
}

plist::Array SimPowerManagement::copyScheduledPowerEvents() {
    std::lock_guard guard(mutex_);
    const std::vector<Event>* events = loadedEvents();
    return events == nullptr ? plist::Array{} : eventList(*events);
}

plist::Array SimPowerManagement::eventList(const std::vector<Event>& events) {
    plist::Array list;
    for (const Event& event : events) {
        list.push_back(plist::Value(plist::Dictionary{{std::string(power::kEventTime), plist::Value(event.time)},
                                                      {std::string(power::kEventScheduledBy), event.scheduledBy},
                                                      {std::string(power::kEventType), event.eventType}}));
    }
    return list;
}

int SimPowerManagement::schedulePowerEvent(plist::Date time, std::string_view scheduledBy, std::string_view eventType) {
    std::lock_guard guard(mutex_);
    if (nextScheduleError_) {
        const int error = *nextScheduleError_;
        nextScheduleError_.reset();
        return error;
    }
    if (scheduledBy.empty() || eventType.empty() || !std::isfinite(time.secondsSince1970)) return kPowerBadArgument;
    const std::vector<Event>* loaded = loadedEvents();
    if (loaded == nullptr) return kPowerError;
    std::optional<std::vector<Event>> events = *loaded;
    // Scheduling the same event twice leaves one.
    for (const Event& event : *events) {
        if (sameSecond(event.time, time) && event.scheduledBy == scheduledBy && event.eventType == eventType) {
            return kPowerSuccess;
        }
    }
    events->push_back(Event{time, std::string(scheduledBy), std::string(eventType)});
    replaceEvents(std::move(*events));
    return kPowerSuccess;
}

int SimPowerManagement::cancelScheduledPowerEvent(plist::Date time, std::string_view scheduledBy,
                                                  std::string_view eventType) {
    std::lock_guard guard(mutex_);
    if (nextCancelError_) {
        const int error = *nextCancelError_;
        nextCancelError_.reset();
        return error;
    }
    const std::vector<Event>* loaded = loadedEvents();
    if (loaded == nullptr) return kPowerError;
    std::optional<std::vector<Event>> events = *loaded;
    for (auto it = events->begin(); it != events->end(); ++it) {
        if (sameSecond(it->time, time) && it->scheduledBy == scheduledBy && it->eventType == eventType) {
            events->erase(it);
            replaceEvents(std::move(*events));
            return kPowerSuccess;
        }
    }
    return kPowerNotFound;
}

std::vector<SimPowerManagement::Event> SimPowerManagement::events() const {
    std::lock_guard guard(mutex_);
    const std::vector<Event>* events = loadedEvents();
    return events != nullptr ? *events : std::vector<Event>{};
}

std::uint64_t SimPowerManagement::eventsVersion() const {
    std::lock_guard guard(mutex_);
    return eventsVersion_;
}

std::vector<SimPowerManagement::Event> SimPowerManagement::eventsScheduledBy(std::string_view scheduledBy) const {
    std::vector<Event> matching;
    for (Event& event : events()) {
        if (event.scheduledBy == scheduledBy) matching.push_back(std::move(event));
    }
    return matching;
}

void SimPowerManagement::failNextSchedule(int errorCode) {
    std::lock_guard guard(mutex_);
    nextScheduleError_ = errorCode;
}

void SimPowerManagement::failNextCancel(int errorCode) {
    std::lock_guard guard(mutex_);
    nextCancelError_ = errorCode;
}

}  // namespace corvane::sim
