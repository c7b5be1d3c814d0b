#pragma once
// The system log.

#include <string_view>

namespace corvane::platform {

class SystemLog {
public:
    virtual ~SystemLog() = default;
    virtual void write(std::string_view line) = 0;
};

}  // namespace corvane::platform
