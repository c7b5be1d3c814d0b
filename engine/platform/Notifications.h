#pragma once
// Darwin notifications (system-wide, name only) and the process's local
// notification center.

#include <functional>
#include <string_view>

#include "shared/PropertyList.h"

namespace corvane::platform {

class DarwinNotificationCenter {
public:
    virtual ~DarwinNotificationCenter() = default;
    virtual void post(std::string_view name) = 0;
    // Registers a handler that runs on the main queue at each post of the
    // name. Answers NO when the registration failed.
    virtual bool registerDispatch(std::string_view name, std::function<void()> handler) = 0;
};

class LocalNotificationCenter {
public:
    virtual ~LocalNotificationCenter() = default;
    virtual void post(std::string_view name, const plist::Dictionary& userInfo) = 0;
};

}  // namespace corvane::platform
