#pragma once
// Darwin notifications (system-wide, name only; the interface is shared with
// the companion app) and the process's local notification center.

#include <functional>
#include <string_view>

#include "shared/DarwinNotificationCenter.h"
#include "shared/PropertyList.h"

namespace corvane::platform {

class LocalNotificationCenter {
public:
    virtual ~LocalNotificationCenter() = default;
    virtual void post(std::string_view name, const plist::Dictionary& userInfo) = 0;
};

}  // namespace corvane::platform
