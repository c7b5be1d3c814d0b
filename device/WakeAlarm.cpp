#include "device/WakeAlarm.h"

#include <sys/timerfd.h>
#include <systemd/sd-event.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <ctime>

namespace corvane::device {

namespace {
std::string isoTime(platform::Date date) {
    const std::time_t seconds = static_cast<std::time_t>(std::floor(date.secondsSince1970));
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}
}  // namespace

bool WakeAlarm::alarmClockAllowed() {
    const int fd = timerfd_create(CLOCK_BOOTTIME_ALARM, TFD_CLOEXEC | TFD_NONBLOCK);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

WakeAlarm::WakeAlarm(sd_event* event, DaemonLog& log, std::function<void()> fired)
    : log_(log), fired_(std::move(fired)) {
    fd_ = timerfd_create(CLOCK_BOOTTIME_ALARM, TFD_CLOEXEC | TFD_NONBLOCK);
    alarmClock_ = fd_ >= 0;
    if (!alarmClock_) {
        log_.say("wakes cannot leave sleep: CLOCK_BOOTTIME_ALARM refused (needs CAP_WAKE_ALARM)");
        fd_ = timerfd_create(CLOCK_BOOTTIME, TFD_CLOEXEC | TFD_NONBLOCK);
    }
    if (fd_ >= 0 && event != nullptr) sd_event_add_io(event, &source_, fd_, EPOLLIN, &WakeAlarm::onFire, this);
}

WakeAlarm::~WakeAlarm() {
    sd_event_source_unref(source_);
    if (fd_ >= 0) ::close(fd_);
}

bool WakeAlarm::arm(platform::Date at, platform::Date now) {
    if (fd_ < 0) return false;
    const double seconds = std::max(0.001, at.secondsSince1970 - now.secondsSince1970);
    itimerspec spec{};
    spec.it_value.tv_sec = static_cast<time_t>(std::floor(seconds));
    spec.it_value.tv_nsec = static_cast<long>((seconds - std::floor(seconds)) * 1e9);
    if (timerfd_settime(fd_, 0, &spec, nullptr) < 0) return false;
    if (armedFor_ != at) {
        log_.say("wake scheduled at " + isoTime(at) + (alarmClock_ ? " (CLOCK_BOOTTIME_ALARM)" : " (CLOCK_BOOTTIME)"));
    }
    armedFor_ = at;
    return true;
}

void WakeAlarm::disarm() {
    if (fd_ < 0) return;
    itimerspec spec{};
    timerfd_settime(fd_, 0, &spec, nullptr);
    armedFor_.reset();
}

int WakeAlarm::onFire(sd_event_source*, int fd, unsigned, void* userdata) {
    std::uint64_t expirations = 0;
    [[maybe_unused]] auto read = ::read(fd, &expirations, sizeof expirations);
    auto* alarm = static_cast<WakeAlarm*>(userdata);
    alarm->armedFor_.reset();
    if (alarm->fired_) alarm->fired_();
    return 0;
}

}  // namespace corvane::device
