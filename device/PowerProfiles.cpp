#include "device/PowerProfiles.h"

namespace corvane::device {

namespace {
constexpr const char* kService = "net.hadess.PowerProfiles";
constexpr const char* kPath = "/net/hadess/PowerProfiles";
}  // namespace

PowerProfiles::PowerProfiles(Bus* bus, DaemonLog& log) : BusService(bus, log, kService, "low-power mode") {}

bool PowerProfiles::attach() {
    auto profile = bus_->property(kService, kPath, kService, "ActiveProfile");
    if (!profile) return false;
    profile_ = profile->asString();
    slots_.push_back(bus_->onPropertiesChanged(kPath, [this](const std::string& interface, const BusProperties& c) {
        if (interface != kService) return;
        if (auto found = c.find("ActiveProfile"); found != c.end()) profile_ = found->second.asString();
    }));
    return true;
}

bool PowerProfiles::setPowerSaver(bool enabled) {
    if (!present()) return false;
    if (enabled && !powerSaver() && !profile_.empty()) before_ = profile_;
    const std::string wanted = enabled ? "power-saver" : before_;
    if (!bus_->setProperty(kService, kPath, kService, "ActiveProfile", wanted)) {
        callFailed("Set ActiveProfile");
        return false;
    }
    profile_ = wanted;
    return true;
}

}  // namespace corvane::device
