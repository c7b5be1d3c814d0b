#include "shared/BusDarwinNotificationCenter.h"

#include <poll.h>
#include <systemd/sd-bus.h>
#include <time.h>

#include <cstring>
#include <set>
#include <string_view>

#include "shared/DarwinBus.h"

namespace corvane::platform {

namespace {

const std::string kPath(darwinbus::kObjectPath);
const std::string kInterface(darwinbus::kInterface);
const std::string kMember(darwinbus::kMember);

std::uint64_t monotonicMicroseconds() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1'000'000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
}

std::string reason(int negativeErrno) { return std::strerror(-negativeErrno); }

}  // namespace

// The bus library's callbacks, with access to the center they belong to.
struct BusCallbacks {
    static int onMatchInstalled(sd_bus_message* message, void* self, sd_bus_error* /*error*/) {
        auto* center = static_cast<BusDarwinNotificationCenter*>(self);
        center->matchState_ = sd_bus_message_is_method_error(message, nullptr) ? -1 : 1;
        return 1;
    }

    static int onSignal(sd_bus_message* message, void* self, sd_bus_error* /*error*/) {
        const char* name = nullptr;
        // A signal of another shape is not a notification: ignored.
        if (sd_bus_message_read(message, "s", &name) < 0 || name == nullptr) return 0;
        static_cast<BusDarwinNotificationCenter*>(self)->heard_.emplace_back(name);
        return 0;
    }
};

std::unique_ptr<BusDarwinNotificationCenter> BusDarwinNotificationCenter::connect(std::string* error,
                                                                                  std::chrono::milliseconds limit) {
    auto fail = [error](const std::string& why) {
        if (error != nullptr) *error = why;
        return nullptr;
    };
    std::unique_ptr<BusDarwinNotificationCenter> center(new BusDarwinNotificationCenter());
    int r = sd_bus_open_user(&center->bus_);
    if (r < 0) return fail("no session bus (" + reason(r) + ")");
    r = sd_bus_match_signal_async(center->bus_, &center->match_, nullptr, kPath.c_str(), kInterface.c_str(),
                                  kMember.c_str(), &BusCallbacks::onSignal, &BusCallbacks::onMatchInstalled,
                                  center.get());
    if (r < 0) return fail("the session bus refused to listen (" + reason(r) + ")");

    // The handshake and the match are answered by the bus daemon; wait for
    // both, but never longer than the limit.
    const std::uint64_t deadline =
        monotonicMicroseconds() + static_cast<std::uint64_t>(std::max<long long>(0, limit.count())) * 1000u;
    while (center->matchState_ == 0) {
        r = sd_bus_process(center->bus_, nullptr);
        if (r < 0) return fail("the session bus connection failed (" + reason(r) + ")");
        if (r > 0) continue;
        const std::uint64_t now = monotonicMicroseconds();
        if (now >= deadline) return fail("the session bus did not answer in time");
        r = sd_bus_wait(center->bus_, deadline - now);
        if (r < 0) return fail("the session bus connection failed (" + reason(r) + ")");
    }
    if (center->matchState_ < 0) return fail("the session bus refused to listen");
    // Whatever arrived during the handshake was for no handler yet.
    center->heard_.clear();
    return center;
}

BusDarwinNotificationCenter::~BusDarwinNotificationCenter() {
    std::lock_guard guard(mutex_);
    if (bus_ == nullptr) return;
    sd_bus_slot_unref(match_);
    // Posts still queued get one second to leave.
    const std::uint64_t deadline = monotonicMicroseconds() + 1'000'000u;
    while (!broken_ && (sd_bus_get_events(bus_) & POLLOUT) != 0) {
        const std::uint64_t now = monotonicMicroseconds();
        if (now >= deadline) break;
        pollfd watch{sd_bus_get_fd(bus_), POLLOUT, 0};
        if (::poll(&watch, 1, static_cast<int>((deadline - now) / 1000u) + 1) <= 0) break;
        if (sd_bus_process(bus_, nullptr) < 0) break;
    }
    sd_bus_close_unref(bus_);
}

void BusDarwinNotificationCenter::post(std::string_view name) {
    const std::string text(name);
    std::lock_guard guard(mutex_);
    if (bus_ == nullptr || broken_) return;
    // Written at once when the socket takes it, else queued for the pump.
    // A name D-Bus cannot carry (not UTF-8) is dropped as an unknown name.
    sd_bus_emit_signal(bus_, kPath.c_str(), kInterface.c_str(), kMember.c_str(), "s", text.c_str());
}

bool BusDarwinNotificationCenter::registerDispatch(std::string_view name, std::function<void()> handler) {
    if (!handler) return false;
    std::lock_guard guard(mutex_);
    handlers_.emplace(std::string(name), std::make_shared<std::function<void()>>(std::move(handler)));
    return true;
}

void BusDarwinNotificationCenter::observeAll(std::function<void(const std::string&)> observer) {
    if (!observer) return;
    std::lock_guard guard(mutex_);
    observers_.push_back(std::make_shared<std::function<void(const std::string&)>>(std::move(observer)));
}

bool BusDarwinNotificationCenter::connected() const {
    std::lock_guard guard(mutex_);
    return bus_ != nullptr && !broken_;
}

int BusDarwinNotificationCenter::fileDescriptor() const {
    std::lock_guard guard(mutex_);
    return bus_ != nullptr ? sd_bus_get_fd(bus_) : -1;
}

short BusDarwinNotificationCenter::pollEvents() const {
    std::lock_guard guard(mutex_);
    if (bus_ == nullptr || broken_) return 0;
    const int events = sd_bus_get_events(bus_);
    return static_cast<short>(events > 0 ? events : 0);
}

int BusDarwinNotificationCenter::waitMilliseconds(int limit) const {
    std::lock_guard guard(mutex_);
    if (bus_ == nullptr || broken_) return limit;
    if (!heard_.empty() || morePending_) return 0;
    std::uint64_t until = 0;
    if (sd_bus_get_timeout(bus_, &until) <= 0 || until == UINT64_MAX) return limit;
    const std::uint64_t now = monotonicMicroseconds();
    if (until <= now) return 0;
    const std::uint64_t milliseconds = (until - now + 999u) / 1000u;
    return milliseconds < static_cast<std::uint64_t>(limit) ? static_cast<int>(milliseconds) : limit;
}

int BusDarwinNotificationCenter::dispatchPending() {
    std::vector<std::string> names;
    {
        std::lock_guard guard(mutex_);
        if (bus_ == nullptr || broken_) return 0;
        // A bounded batch, so that a flood of posts cannot hold the caller's
        // loop: what is left waits for the next call, which is due at once.
        morePending_ = false;
        for (int processed = 0;; ++processed) {
            if (processed == kBatchLimit) {
                morePending_ = true;
                break;
            }
            const int r = sd_bus_process(bus_, nullptr);
            if (r < 0) {
                broken_ = true;
                break;
            }
            if (r == 0) break;
        }
        // Several posts of one name that waited together are delivered once,
        // where the first of them stood.
        std::set<std::string_view> seen;
        for (const std::string& name : heard_) {
            if (seen.insert(name).second) names.push_back(name);
        }
        heard_.clear();
    }
    // Handlers run outside the lock so that they may post or register.
    runHandlers(names);
    return static_cast<int>(names.size());
}

void BusDarwinNotificationCenter::runHandlers(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        std::vector<std::shared_ptr<std::function<void()>>> handlers;
        std::vector<std::shared_ptr<std::function<void(const std::string&)>>> observers;
        {
            std::lock_guard guard(mutex_);
            auto [first, last] = handlers_.equal_range(name);
            for (auto it = first; it != last; ++it) handlers.push_back(it->second);
            observers = observers_;
        }
        for (const auto& observer : observers) (*observer)(name);
        for (const auto& handler : handlers) (*handler)();
    }
}

}  // namespace corvane::platform
