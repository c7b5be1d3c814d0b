#pragma once
// The engine's power management on a Linux device. logind's PrepareForSleep
// becomes the power messages (can sleep, will sleep, will power on, has
// powered on); the delay inhibitor is released once the engine allowed the
// sleep (or after kSleepAnswerLimit), and a refusal holds a block inhibitor
// until the engine, asked again after each of its timers, allows. The
// scheduled power events live in the system's property list under the root
// (the file the app reads) and the earliest one arms the wake alarm.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "device/DaemonLog.h"
#include "device/EventLoop.h"
#include "device/Logind.h"
#include "device/WakeAlarm.h"
#include "engine/platform/PowerManagement.h"

namespace corvane::device {

inline constexpr double kSleepAnswerLimit = 4.0;

class DevicePowerManagement final : public platform::PowerManagement {
public:
    DevicePowerManagement(EventLoop& loop, DaemonLog& log, WakeAlarm& alarm);

    void setLogind(Logind* logind) { logind_ = logind; }

    // platform::PowerManagement
    bool registerForSystemPower(Callback callback) override;
    void allowPowerChange(std::intptr_t messageArgument) override;
    void cancelPowerChange(std::intptr_t messageArgument) override;
    plist::Array copyScheduledPowerEvents() override;
    int schedulePowerEvent(plist::Date time, std::string_view scheduledBy, std::string_view eventType) override;
    int cancelScheduledPowerEvent(plist::Date time, std::string_view scheduledBy, std::string_view eventType) override;

    // logind's PrepareForSleep.
    void prepareForSleep(bool start);
    // While a block inhibitor is held, asks the engine again whether the
    // device may sleep; releases the inhibitor when it may.
    void askAgain();
    // Arms the wake alarm for the earliest event still to come.
    void rearm();

private:
    enum class Answer { None, Allowed, Cancelled };
    std::intptr_t deliver(std::uint32_t type);
    void answered(std::intptr_t argument, Answer answer);
    void sleepMayProceed();

    EventLoop& loop_;
    DaemonLog& log_;
    WakeAlarm& alarm_;
    Logind* logind_ = nullptr;
    std::vector<std::shared_ptr<Callback>> callbacks_;
    std::map<std::intptr_t, std::pair<std::uint32_t, Answer>> messages_;
    std::intptr_t nextArgument_ = 0x1000;
    std::optional<std::intptr_t> willSleep_;
    std::shared_ptr<platform::Timer> sleepLimit_;
    bool probing_ = false;
};

}  // namespace corvane::device
