#pragma once
// Darwin notifications: system-wide, name only, no payload. Both the engine
// and the companion app post and observe them through this interface; each
// platform delivers them its own way.

#include <functional>
#include <string_view>

namespace corvane::platform {

class DarwinNotificationCenter {
public:
    virtual ~DarwinNotificationCenter() = default;
    virtual void post(std::string_view name) = 0;
    // Registers a handler that runs on the main queue at each post of the
    // name. Answers NO when the registration failed.
    virtual bool registerDispatch(std::string_view name, std::function<void()> handler) = 0;
};

}  // namespace corvane::platform
