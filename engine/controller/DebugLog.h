#pragma once
// The engine's diagnostics: lines "=== Corvane === [Line %d] <message>" in the
// system log, written only while the process-wide debug flag is on. The flag
// is on when the library loads; the settings file's "Debug" key sets it.

#include <string>

namespace corvane {

class DebugLog {
public:
    static bool debugEnabled();
    static void setDebugEnabled(bool enabled);
    // printf-style; the line number identifies the place that wrote it.
    static void write(int line, const char* format, ...) __attribute__((format(printf, 2, 3)));
    static std::string format(int line, const std::string& message);
};

}  // namespace corvane

#define CORVANE_DEBUG(...) ::corvane::DebugLog::write(__LINE__, __VA_ARGS__)
