#pragma once
// The phone's power management: the registration for system power messages
// (which can be made to fail), power messages delivered on the main run loop
// with the allow or cancel answer of each recorded, and the scheduled power
// events. The events live in memory and in the system's property-list file
// under the filesystem root ("events": an array of dictionaries with "time",
// "scheduledby" and "eventtype"), so that other tools read the same list.

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/platform/PowerManagement.h"
#include "engine/platform/RunLoop.h"

namespace corvane::sim {

// Error codes of the power-management calls.
inline constexpr int kPowerSuccess = 0;
inline constexpr int kPowerError = static_cast<int>(0xE00002BC);        // general failure
inline constexpr int kPowerBadArgument = static_cast<int>(0xE00002C2);  // empty scheduler or type
inline constexpr int kPowerNotFound = static_cast<int>(0xE00002F0);     // no such event

class SimPowerManagement final : public platform::PowerManagement {
public:
    enum class Answer { None, Allowed, Cancelled };

    struct Message {
        std::uint32_t type = 0;
        std::intptr_t argument = 0;
        Answer answer = Answer::None;
        // The answer came while the callback for the message was running.
        bool answeredDuringCallback = false;
        bool delivered = false;
    };

    struct Event {
        plist::Date time;
        std::string scheduledBy;
        std::string eventType;
    };

    explicit SimPowerManagement(platform::RunLoop& mainRunLoop) : mainRunLoop_(mainRunLoop) {}

    // platform::PowerManagement
    bool registerForSystemPower(Callback callback) override;
    void allowPowerChange(std::intptr_t messageArgument) override;
    void cancelPowerChange(std::intptr_t messageArgument) override;
    plist::Array copyScheduledPowerEvents() override;
    int schedulePowerEvent(plist::Date time, std::string_view scheduledBy, std::string_view eventType) override;
    int cancelScheduledPowerEvent(plist::Date time, std::string_view scheduledBy, std::string_view eventType) override;

    // Registration.
    void setRegistrationFails(bool fails);
    bool registered() const;

    // The system sends a power message: it reaches the registered callbacks
    // on the main run loop. Answers the message's argument, by which its
    // answer can be looked up.
    std::intptr_t postMessage(std::uint32_t type);
    // The message of an argument; none when no such message was posted.
    std::optional<Message> message(std::intptr_t argument) const;
    std::vector<Message> messages() const;

    // Scheduled events, in their order.
    std::vector<Event> events() const;
    // Changes with every change of the list.
    std::uint64_t eventsVersion() const;
    std::vector<Event> eventsScheduledBy(std::string_view scheduledBy) const;
    // Writes the list to its file now if it changed since the last write (a
    // change is otherwise written on the main run loop's next turn, unless
    // setSavesEachTurn(false) leaves it to this call). False when the file
    // could not be written.
    bool saveEvents();
    void setSavesEachTurn(bool saves);
    // The next scheduling or cancel fails with the given code.
    void failNextSchedule(int errorCode);
    void failNextCancel(int errorCode);

private:
    // The list, read from the file at first use; none while the file cannot be read.
    std::vector<Event>* loadedEvents() const;
    // The events as the file and the platform call list them.
    static plist::Array eventList(const std::vector<Event>& events);
    std::optional<std::vector<Event>> readEvents() const;
    void replaceEvents(std::vector<Event> events);
    void answer(std::intptr_t argument, Answer answer);

    platform::RunLoop& mainRunLoop_;
    mutable std::mutex mutex_;
    bool registrationFails_ = false;
    std::vector<std::shared_ptr<Callback>> callbacks_;
    std::vector<Message> messages_;
    std::intptr_t nextArgument_ = 0x1000;
    std::optional<std::intptr_t> deliveringArgument_;
    std::optional<int> nextScheduleError_;
    std::optional<int> nextCancelError_;
    mutable std::optional<std::vector<Event>> events_;
    std::uint64_t eventsVersion_ = 0;
    bool eventsUnsaved_ = false;
    bool saveQueued_ = false;
    bool savesEachTurn_ = true;
};

}  // namespace corvane::sim
