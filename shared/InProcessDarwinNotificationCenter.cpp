#include "shared/InProcessDarwinNotificationCenter.h"

#include <algorithm>

namespace corvane::platform {

void InProcessDarwinNotificationCenter::post(std::string_view name) {
    std::function<void(std::string_view)> relay;
    {
        std::lock_guard guard(mutex_);
        posted_.emplace_back(name);
        relay = relay_;
    }
    if (relay) {
        relay(name);
    } else {
        deliver(name);
    }
}

void InProcessDarwinNotificationCenter::deliver(std::string_view name) {
    if (!dispatcher_) {
        runHandlers(name);
        return;
    }
    {
        std::lock_guard guard(mutex_);
        if (handlers_.count(name) == 0) return;
        // Already waiting for the dispatcher: that one delivery serves this
        // post too.
        if (!waiting_.emplace(name).second) return;
    }
    dispatcher_([this, waiting = std::string(name)] {
        {
            std::lock_guard guard(mutex_);
            waiting_.erase(waiting);
        }
        runHandlers(waiting);
    });
}

void InProcessDarwinNotificationCenter::runHandlers(std::string_view name) {
    std::vector<std::shared_ptr<std::function<void()>>> handlers;
    {
        std::lock_guard guard(mutex_);
        auto [first, last] = handlers_.equal_range(name);
        for (auto it = first; it != last; ++it) handlers.push_back(it->second);
    }
    // Handlers run outside the lock so that they may post or register in turn.
    for (const auto& handler : handlers) (*handler)();
}

bool InProcessDarwinNotificationCenter::registerDispatch(std::string_view name, std::function<void()> handler) {
    if (!handler) return false;
    std::lock_guard guard(mutex_);
    handlers_.emplace(std::string(name), std::make_shared<std::function<void()>>(std::move(handler)));
    return true;
}

std::vector<std::string> InProcessDarwinNotificationCenter::posted() const {
    std::lock_guard guard(mutex_);
    return posted_;
}

std::size_t InProcessDarwinNotificationCenter::postCount(std::string_view name) const {
    std::lock_guard guard(mutex_);
    return static_cast<std::size_t>(std::count(posted_.begin(), posted_.end(), name));
}

std::size_t InProcessDarwinNotificationCenter::handlerCount(std::string_view name) const {
    std::lock_guard guard(mutex_);
    return handlers_.count(name);
}

void InProcessDarwinNotificationCenter::clear() {
    std::lock_guard guard(mutex_);
    posted_.clear();
}

void InProcessDarwinNotificationCenter::setRelay(std::function<void(std::string_view)> relay) {
    std::lock_guard guard(mutex_);
    relay_ = std::move(relay);
}

}  // namespace corvane::platform
