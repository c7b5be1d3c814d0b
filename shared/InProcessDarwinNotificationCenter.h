#pragma once
// Darwin notifications delivered inside one process: a post reaches every
// handler registered for the name through the dispatcher, and is recorded so
// that it can be inspected. Without a dispatcher the handlers run at once,
// on the posting thread (the companion app on its own, and its tests); the
// simulated phone's dispatcher queues them on its main run loop. Posts
// coalesce as Darwin's do: while a delivery of a name waits for the
// dispatcher, further posts of that name join it, so that a flood of posts
// costs the handlers one run. With a
// relay, posts leave the process through it instead of being delivered here,
// and what comes back is handed to deliver.

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "shared/DarwinNotificationCenter.h"

namespace corvane::platform {

class InProcessDarwinNotificationCenter final : public DarwinNotificationCenter {
public:
    // Runs one handler, at once or later.
    using Dispatcher = std::function<void(std::function<void()>)>;

    explicit InProcessDarwinNotificationCenter(Dispatcher dispatcher = {}) : dispatcher_(std::move(dispatcher)) {}
    void post(std::string_view name) override;
    bool registerDispatch(std::string_view name, std::function<void()> handler) override;

    // Every name posted, in order.
    std::vector<std::string> posted() const;
    std::size_t postCount(std::string_view name) const;
    std::size_t handlerCount(std::string_view name) const;
    void clear();

    // None restores delivery in this process.
    void setRelay(std::function<void(std::string_view)> relay);
    // Hands the name's handlers to the dispatcher, unless a delivery of the
    // name waits there already.
    void deliver(std::string_view name);

private:
    void runHandlers(std::string_view name);

    const Dispatcher dispatcher_;
    mutable std::mutex mutex_;
    std::vector<std::string> posted_;
    std::function<void(std::string_view)> relay_;
    // Names whose delivery waits for the dispatcher.
    std::set<std::string, std::less<>> waiting_;
    std::multimap<std::string, std::shared_ptr<std::function<void()>>, std::less<>> handlers_;
};

}  // namespace corvane::platform
