#pragma once
// Darwin notifications between processes, over the D-Bus session bus (see
// DarwinBus.h for the signal). Every process that registered for a name
// hears its posts, the posting process included, when its main loop calls
// dispatchPending (NotificationPump). Like Darwin's own, posts coalesce:
// several posts of one name waiting together are delivered once, and each
// call handles at most kBatchLimit bus messages. Nothing here waits without
// a limit: connecting gives up after a bounded time, a post only queues or
// writes, and closing flushes for at most a second.

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "shared/DarwinNotificationCenter.h"
#include "shared/NotificationPump.h"

struct sd_bus;
struct sd_bus_slot;

namespace corvane::platform {

class BusDarwinNotificationCenter final : public DarwinNotificationCenter, public NotificationPump {
public:
    // Connects to the session bus and starts listening. None when no bus
    // answers within `limit`; `error` then says why in a few words.
    static std::unique_ptr<BusDarwinNotificationCenter> connect(
        std::string* error, std::chrono::milliseconds limit = std::chrono::milliseconds(2000));
    ~BusDarwinNotificationCenter() override;
    BusDarwinNotificationCenter(const BusDarwinNotificationCenter&) = delete;
    BusDarwinNotificationCenter& operator=(const BusDarwinNotificationCenter&) = delete;

    // DarwinNotificationCenter
    void post(std::string_view name) override;
    bool registerDispatch(std::string_view name, std::function<void()> handler) override;

    // Hears every name, registered or not (watchers and relays).
    void observeAll(std::function<void(const std::string&)> observer);
    // NO once the bus connection broke; posts are then dropped.
    bool connected() const;

    // Bus messages read per dispatchPending at most.
    static constexpr int kBatchLimit = 256;

    // NotificationPump
    int fileDescriptor() const override;
    short pollEvents() const override;
    int waitMilliseconds(int limit) const override;
    int dispatchPending() override;

private:
    BusDarwinNotificationCenter() = default;
    friend struct BusCallbacks;
    void runHandlers(const std::vector<std::string>& names);

    mutable std::recursive_mutex mutex_;
    sd_bus* bus_ = nullptr;
    sd_bus_slot* match_ = nullptr;
    int matchState_ = 0;  // 0 waiting, 1 installed, -1 refused
    bool broken_ = false;
    // The last dispatch stopped at the batch limit: more may wait, read
    // already and so invisible to poll.
    bool morePending_ = false;
    std::vector<std::string> heard_;
    std::multimap<std::string, std::shared_ptr<std::function<void()>>, std::less<>> handlers_;
    std::vector<std::shared_ptr<std::function<void(const std::string&)>>> observers_;
};

}  // namespace corvane::platform
