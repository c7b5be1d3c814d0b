#pragma once
// The Darwin notification center of a program on this machine: the session
// bus when one answers, else delivery inside the process. The fallback is
// said in one line, so that a person knows why another process hears nothing.

#include <memory>
#include <ostream>
#include <string_view>

#include "shared/DarwinNotificationCenter.h"
#include "shared/NotificationPump.h"

namespace corvane::platform {

struct SystemDarwinNotifications {
    std::unique_ptr<DarwinNotificationCenter> center;
    // What the program's main loop drives; none for delivery inside the process.
    NotificationPump* pump = nullptr;
};

// `program` names the program in the fallback line written to `diagnostics`.
SystemDarwinNotifications makeDarwinNotificationCenter(std::string_view program, std::ostream& diagnostics);

}  // namespace corvane::platform
