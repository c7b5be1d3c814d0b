#pragma once
// Darwin notifications delivered inside one process: a post runs every
// handler registered for the name at once, on the posting thread, and is
// recorded so that it can be inspected. Used where no system-wide delivery
// exists yet (the companion app on its own, and its tests).

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "shared/DarwinNotificationCenter.h"

namespace corvane::platform {

class InProcessDarwinNotificationCenter final : public DarwinNotificationCenter {
public:
    void post(std::string_view name) override;
    bool registerDispatch(std::string_view name, std::function<void()> handler) override;

    // Every name posted, in order.
    std::vector<std::string> posted() const;
    std::size_t postCount(std::string_view name) const;
    void clear();

private:
    mutable std::mutex mutex_;
    std::vector<std::string> posted_;
    std::multimap<std::string, std::shared_ptr<std::function<void()>>, std::less<>> handlers_;
};

}  // namespace corvane::platform
