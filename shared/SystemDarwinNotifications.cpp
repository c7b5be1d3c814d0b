#include "shared/SystemDarwinNotifications.h"

#include <string>

#include "shared/BusDarwinNotificationCenter.h"
#include "shared/InProcessDarwinNotificationCenter.h"

namespace corvane::platform {

SystemDarwinNotifications makeDarwinNotificationCenter(std::string_view program, std::ostream& diagnostics) {
    SystemDarwinNotifications made;
    std::string error;
    if (auto bus = BusDarwinNotificationCenter::connect(&error)) {
        made.pump = bus.get();
        made.center = std::move(bus);
        return made;
    }
    diagnostics << program << ": " << error << "; notifications stay inside this process\n";
    diagnostics.flush();
    made.center = std::make_unique<InProcessDarwinNotificationCenter>();
    return made;
}

}  // namespace corvane::platform
