#pragma once
// What a simulated phone knows of itself and other processes cannot ask it:
// its clock and its kernel identification (`uname`). phonesim writes this
// file under the root when a run starts and again when it ends, so that the
// app, run beside it or after it, sees the phone's date and system instead of
// this machine's. A real device has no such file: there the machine the app
// runs on is the device.

#include <optional>
#include <string>
#include <string_view>

#include "shared/Outcome.h"

namespace corvane {

namespace paths {
inline constexpr std::string_view kPhoneInfo = "/System/Library/CoreServices/org.fernhill.phonesim-phoneinfo.plist";
}  // namespace paths

struct PhoneInfo {
    // The phone's clock read `time` (seconds since 1970) when this machine's
    // clock read `hostTime`, and runs `rate` times as fast as this machine's:
    // 0 once the run has ended (the phone's clock stands at its last instant).
    double time = 0.0;
    double hostTime = 0.0;
    double rate = 0.0;
    // The phone's `uname` fields, apart from the machine (the device file's).
    std::string sysname;
    std::string nodename;
    std::string release;
    std::string version;

    // The phone's clock when this machine's clock reads `hostNow`.
    double phoneTimeAt(double hostNow) const { return time + (hostNow - hostTime) * rate; }

    // The file under the current root; none when it is missing, malformed or
    // lacks the clock.
    static std::optional<PhoneInfo> read();
    Outcome write() const;
};

}  // namespace corvane
