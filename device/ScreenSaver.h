#pragma once
// The session's screen saver (GNOME's, else the freedesktop one): active
// means the screen is off.

#include <functional>
#include <optional>

#include "device/BusService.h"

namespace corvane::device {

class ScreenSaver final : public BusService {
public:
    // `gnome`: org.gnome.ScreenSaver, else org.freedesktop.ScreenSaver.
    ScreenSaver(Bus* bus, DaemonLog& log, bool gnome, std::function<void(bool active)> activeChanged);
    std::optional<bool> active() const { return active_; }

protected:
    bool attach() override;
    void detach() override { active_.reset(); }

private:
    std::string path_;
    std::string interface_;
    std::function<void(bool)> activeChanged_;
    std::optional<bool> active_;
};

}  // namespace corvane::device
