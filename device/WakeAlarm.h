#pragma once
// The one wake alarm the daemon arms: a timerfd on CLOCK_BOOTTIME_ALARM,
// which brings the device out of suspend. Where that clock is refused (no
// CAP_WAKE_ALARM, no RTC) it falls back to CLOCK_BOOTTIME and says once that
// wakes cannot leave sleep: the alarm then fires only while the device is up.

#include <functional>
#include <optional>

#include "device/DaemonLog.h"
#include "engine/platform/Clock.h"

struct sd_event;
struct sd_event_source;

namespace corvane::device {

class WakeAlarm {
public:
    WakeAlarm(sd_event* event, DaemonLog& log, std::function<void()> fired);
    ~WakeAlarm();
    WakeAlarm(const WakeAlarm&) = delete;
    WakeAlarm& operator=(const WakeAlarm&) = delete;

    bool canLeaveSleep() const { return alarmClock_; }
    // Arms the alarm for `at` (wall-clock time), replacing the previous one;
    // `now` is the wall clock. A time past fires at once.
    bool arm(platform::Date at, platform::Date now);
    void disarm();
    std::optional<platform::Date> armedFor() const { return armedFor_; }

    // Whether this process may use CLOCK_BOOTTIME_ALARM (for --status).
    static bool alarmClockAllowed();

private:
    static int onFire(sd_event_source*, int fd, unsigned, void* userdata);

    DaemonLog& log_;
    std::function<void()> fired_;
    int fd_ = -1;
    bool alarmClock_ = false;
    sd_event_source* source_ = nullptr;
    std::optional<platform::Date> armedFor_;
};

}  // namespace corvane::device
