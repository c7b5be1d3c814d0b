#include "engine/controller/DebugLog.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "engine/platform/HostPlatform.h"
#include "shared/ProcessState.h"

namespace corvane {

namespace {
std::atomic<bool> debugFlag{true};
}

bool DebugLog::debugEnabled() { return debugFlag.load(std::memory_order_relaxed); }

void DebugLog::setDebugEnabled(bool enabled) {
    ProcessState::registerReset(ProcessState::kDebugFlag, [] { setDebugEnabled(true); });
    debugFlag.store(enabled, std::memory_order_relaxed);
}

std::string DebugLog::format(int line, const std::string& message) {
    return "=== Corvane === [Line " + std::to_string(line) + "] " + message;
}

void DebugLog::write(int line, const char* format, ...) {
    if (!debugEnabled()) return;
    platform::Platform* host = platform::HostPlatform::get();
    if (host == nullptr) return;

    va_list arguments;
    va_start(arguments, format);
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string message;
    if (length > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
        message.assign(buffer.data(), static_cast<std::size_t>(length));
    }
    va_end(arguments);
    host->systemLog().write(DebugLog::format(line, message));
}

}  // namespace corvane
