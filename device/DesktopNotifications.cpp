#include "device/DesktopNotifications.h"

#include <systemd/sd-bus.h>

namespace corvane::device {

namespace {
constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";

class NotificationAlert final : public platform::AlertView {
public:
    NotificationAlert(DesktopNotifications& owner, std::string title, std::string message)
        : owner_(owner), title_(std::move(title)), message_(std::move(message)) {}
    ~NotificationAlert() override { dismissWithClickedButtonIndex(0, false); }

    void show() override {
        visible_ = true;
        id_ = owner_.notify(title_, message_);
    }
    bool isVisible() const override { return visible_; }
    void dismissWithClickedButtonIndex(int, bool) override {
        if (!visible_) return;
        visible_ = false;
        if (id_ != 0) owner_.close(id_);
        id_ = 0;
    }

private:
    DesktopNotifications& owner_;
    std::string title_;
    std::string message_;
    bool visible_ = false;
    unsigned id_ = 0;
};
}  // namespace

DesktopNotifications::DesktopNotifications(Bus* bus, DaemonLog& log)
    : BusService(bus, log, kService, "alerts as notifications") {}

std::unique_ptr<platform::AlertView> DesktopNotifications::create(std::string_view title, std::string_view message,
                                                                  std::string_view) {
    return std::make_unique<NotificationAlert>(*this, std::string(title), std::string(message));
}

unsigned DesktopNotifications::notify(const std::string& title, const std::string& message) {
    log_.say("alert: " + title + (message.empty() ? "" : ": " + message));
    if (!present()) return 0;
    auto reply = bus_->call(kService, kPath, kService, "Notify", [&](sd_bus_message* m) {
        return sd_bus_message_append(m, "susssasa{sv}i", "corvaned", 0u, "battery", title.c_str(), message.c_str(), 0,
                                     0, -1) >= 0;
    });
    std::uint32_t id = 0;
    if (!reply || sd_bus_message_read(reply->message, "u", &id) < 0) {
        callFailed("Notify");
        return 0;
    }
    return id;
}

void DesktopNotifications::close(unsigned id) {
    if (!present()) return;
    if (!bus_->call(kService, kPath, kService, "CloseNotification",
                    [&](sd_bus_message* m) { return sd_bus_message_append(m, "u", id) >= 0; })) {
        callFailed("CloseNotification");
    }
}

}  // namespace corvane::device
