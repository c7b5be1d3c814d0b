#include "device/ScreenSaver.h"

#include <systemd/sd-bus.h>

namespace corvane::device {

ScreenSaver::ScreenSaver(Bus* bus, DaemonLog& log, bool gnome, std::function<void(bool active)> activeChanged)
    : BusService(bus, log, gnome ? "org.gnome.ScreenSaver" : "org.freedesktop.ScreenSaver", "screen off and on"),
      path_(gnome ? "/org/gnome/ScreenSaver" : "/org/freedesktop/ScreenSaver"),
      interface_(gnome ? "org.gnome.ScreenSaver" : "org.freedesktop.ScreenSaver"),
      activeChanged_(std::move(activeChanged)) {}

bool ScreenSaver::attach() {
    slots_.push_back(bus_->subscribe("", interface_, "ActiveChanged", [this](sd_bus_message* m) {
        int active = 0;
        if (sd_bus_message_read(m, "b", &active) < 0) return;
        if (active_ == (active != 0)) return;
        active_ = active != 0;
        if (activeChanged_) activeChanged_(*active_);
    }));
    auto reply = bus_->call(name(), path_, interface_, "GetActive");
    int active = 0;
    if (reply && sd_bus_message_read(reply->message, "b", &active) >= 0) active_ = active != 0;
    return true;
}

}  // namespace corvane::device
