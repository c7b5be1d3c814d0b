#pragma once
// What the daemon says: its own lines ("corvaned: ...") and the engine's
// system-log lines, on standard error, which the journal keeps for the
// user unit. Tests may watch the lines through an observer.

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

#include "engine/platform/SystemLog.h"

namespace corvane::device {

class DaemonLog final : public platform::SystemLog {
public:
    // The daemon's own line, prefixed "corvaned: ".
    void say(std::string_view message);
    // The engine's line, as it is.
    void write(std::string_view line) override;
    void setObserver(std::function<void(const std::string&)> observer);
    void setQuiet(bool quiet) { quiet_ = quiet; }

private:
    void emit(const std::string& line);
    std::mutex mutex_;
    std::function<void(const std::string&)> observer_;
    bool quiet_ = false;
};

}  // namespace corvane::device
