#include "device/Logind.h"

#include <fcntl.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <cstdlib>

namespace corvane::device {

namespace {
constexpr const char* kService = "org.freedesktop.login1";
constexpr const char* kManagerPath = "/org/freedesktop/login1";
constexpr const char* kManager = "org.freedesktop.login1.Manager";
constexpr const char* kSession = "org.freedesktop.login1.Session";
}  // namespace

Logind::Logind(Bus* bus, DaemonLog& log, std::string session, Handlers handlers)
    : BusService(bus, log, kService, "locking and sleep"),
      requestedSession_(std::move(session)),
      handlers_(std::move(handlers)) {}

Logind::~Logind() {
    if (delayFd_ >= 0) ::close(delayFd_);
    if (blockFd_ >= 0) ::close(blockFd_);
}

std::string Logind::chooseSession() {
    std::string id = requestedSession_;
    if (id.empty()) {
        const char* fromEnvironment = std::getenv("XDG_SESSION_ID");
        if (fromEnvironment != nullptr) id = fromEnvironment;
    }
    if (!id.empty()) {
        auto reply = bus_->call(kService, kManagerPath, kManager, "GetSession",
                                [&](sd_bus_message* m) { return sd_bus_message_append(m, "s", id.c_str()) >= 0; });
        const char* path = nullptr;
        if (reply && sd_bus_message_read(reply->message, "o", &path) >= 0 && path != nullptr) {
            sessionId_ = id;
            return path;
        }
        callFailed("GetSession " + id);
        return {};
    }
    auto reply = bus_->call(kService, kManagerPath, kManager, "ListSessions");
    BusValue sessions;
    if (!reply || !readBusValue(reply->message, sessions)) return {};
    for (const BusValue& session : sessions.items) {
        // (session id, uid, user name, seat, object path)
        if (session.items.size() == 5 && session.items[1].asInteger(-1) == static_cast<long long>(::getuid())) {
            sessionId_ = session.items[0].asString();
            return session.items[4].asString();
        }
    }
    return {};
}

bool Logind::attach() {
    slots_.push_back(bus_->subscribe(kManagerPath, kManager, "PrepareForSleep", [this](sd_bus_message* m) {
        int start = 0;
        if (sd_bus_message_read(m, "b", &start) >= 0 && handlers_.prepareForSleep) handlers_.prepareForSleep(start);
    }));
    sessionPath_ = chooseSession();
    if (sessionPath_.empty()) {
        log_.say("no logind session: locking not followed");
    } else {
        log_.say("session " + sessionPath_);
        slots_.push_back(
            bus_->onPropertiesChanged(sessionPath_, [this](const std::string& interface, const BusProperties& changed) {
                if (interface != kSession) return;
                auto found = changed.find("LockedHint");
                if (found == changed.end()) return;
                const bool locked = found->second.asBool();
                if (locked_ == locked) return;
                locked_ = locked;
                if (handlers_.lockedChanged) handlers_.lockedChanged(locked);
            }));
        slots_.push_back(bus_->subscribe(kManagerPath, kManager, "SessionRemoved", [this](sd_bus_message* m) {
            const char* id = nullptr;
            const char* path = nullptr;
            if (sd_bus_message_read(m, "so", &id, &path) < 0 || path == nullptr) return;
            if (sessionPath_ == path && handlers_.sessionEnded) handlers_.sessionEnded();
        }));
        if (auto hint = bus_->property(kService, sessionPath_, kSession, "LockedHint")) {
            const bool locked = hint->asBool();
            const bool changed = locked_.has_value() && *locked_ != locked;
            locked_ = locked;
            if (changed && handlers_.lockedChanged) handlers_.lockedChanged(locked);
        }
    }
    if (delayFd_ < 0) takeDelayInhibitor();
    return true;
}

void Logind::detach() {
    // The inhibitors died with the service.
    releaseDelayInhibitor();
    releaseBlockInhibitor();
}

int Logind::inhibit(const char* mode) {
    auto reply = bus_->call(kService, kManagerPath, kManager, "Inhibit", [&](sd_bus_message* m) {
        return sd_bus_message_append(m, "ssss", "sleep", "corvaned", "Saving battery: radios are switched before sleep",
                                     mode) >= 0;
    });
    int fd = -1;
    if (!reply || sd_bus_message_read(reply->message, "h", &fd) < 0 || fd < 0) {
        callFailed(std::string("Inhibit ") + mode);
        return -1;
    }
    return ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
}

bool Logind::takeDelayInhibitor() {
    if (!present() && slots_.empty()) return false;
    if (delayFd_ < 0) delayFd_ = inhibit("delay");
    return delayFd_ >= 0;
}

void Logind::releaseDelayInhibitor() {
    if (delayFd_ >= 0) ::close(delayFd_);
    delayFd_ = -1;
}

bool Logind::takeBlockInhibitor() {
    if (blockFd_ < 0) blockFd_ = inhibit("block");
    return blockFd_ >= 0;
}

void Logind::releaseBlockInhibitor() {
    if (blockFd_ >= 0) ::close(blockFd_);
    blockFd_ = -1;
}

}  // namespace corvane::device
