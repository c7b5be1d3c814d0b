#pragma once
// The companion app's diagnostics: every line reads
// "=== CorvaneApp === <-[Class operation]> [Line <n>] <message>" and goes to
// the system log, whatever the debug setting. Tests and front ends may
// redirect the lines with setSink.

#include <functional>
#include <string>
#include <string_view>

namespace corvane::app {

class AppLog {
public:
    using Sink = std::function<void(const std::string& line)>;

    // printf-style. `function` is the compiler's pretty function name, from
    // which the "-[Class operation]" part is taken.
    static void write(const char* function, int line, const char* format, ...) __attribute__((format(printf, 3, 4)));

    // "-[PlistController reloadPrefs]" from "void corvane::app::PlistController::reloadPrefs()".
    static std::string methodName(std::string_view prettyFunction);

    // Replaces where lines go (the system log by default); an empty sink
    // restores the system log. Answers the previous sink.
    static Sink setSink(Sink sink);
};

}  // namespace corvane::app

#define AMPWISE_LOG(...) ::corvane::app::AppLog::write(__PRETTY_FUNCTION__, __LINE__, __VA_ARGS__)
