#include "app/model/AppLog.h"

#include <syslog.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <vector>

namespace corvane::app {

namespace {

std::mutex sinkMutex;
AppLog::Sink currentSink;

std::string formatted(const char* format, va_list arguments) {
    va_list copy;
    va_copy(copy, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0) return {};
    std::vector<char> buffer(static_cast<std::size_t>(length) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, arguments);
    return std::string(buffer.data(), static_cast<std::size_t>(length));
}

}  // namespace

std::string AppLog::methodName(std::string_view prettyFunction) {
    // Drop the parameter list (and anything after it, such as a lambda's
    // suffix), then the return type.
    std::string_view name = prettyFunction.substr(0, prettyFunction.find('('));
    const bool isStatic = name.starts_with("static ");
    if (const auto space = name.rfind(' '); space != std::string_view::npos) name.remove_prefix(space + 1);
    std::string_view operation = name;
    std::string_view className;
    if (const auto last = name.rfind("::"); last != std::string_view::npos) {
        operation = name.substr(last + 2);
        std::string_view scope = name.substr(0, last);
        const auto previous = scope.rfind("::");
        className = previous == std::string_view::npos ? scope : scope.substr(previous + 2);
    }
    std::string result(isStatic ? "+[" : "-[");
    if (!className.empty()) {
        result.append(className);
        result.push_back(' ');
    }
    result.append(operation);
    result.push_back(']');
    return result;
}

void AppLog::write(const char* function, int line, const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    const std::string message = formatted(format, arguments);
    va_end(arguments);
    const std::string text =
        "=== CorvaneApp === " + methodName(function) + " [Line " + std::to_string(line) + "] " + message;

    Sink sink;
    {
        std::lock_guard guard(sinkMutex);
        sink = currentSink;
    }
    if (sink) {
        sink(text);
    } else {
        ::syslog(LOG_NOTICE, "%s", text.c_str());
    }
}

AppLog::Sink AppLog::setSink(Sink sink) {
    std::lock_guard guard(sinkMutex);
    std::swap(currentSink, sink);
    return sink;
}

}  // namespace corvane::app
