#pragma once
// The engine's alerts as desktop notifications on the session bus
// (org.freedesktop.Notifications). Without a notification service an alert
// is only written to the log.

#include <memory>

#include "device/BusService.h"
#include "engine/platform/AlertViews.h"

namespace corvane::device {

class DesktopNotifications final : public BusService, public platform::AlertViews {
public:
    DesktopNotifications(Bus* bus, DaemonLog& log);

    std::unique_ptr<platform::AlertView> create(std::string_view title, std::string_view message,
                                                std::string_view cancelButtonTitle) override;

    // Shows a notification; its id, or 0 when none was shown.
    unsigned notify(const std::string& title, const std::string& message);
    void close(unsigned id);

protected:
    bool attach() override { return true; }
    void detach() override {}
};

}  // namespace corvane::device
