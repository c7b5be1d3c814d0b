#include "device/BusService.h"

namespace corvane::device {

BusService::BusService(Bus* bus, DaemonLog& log, std::string name, std::string feature)
    : bus_(bus), log_(log), name_(std::move(name)), feature_(std::move(feature)) {}

void BusService::start() {
    if (started_) return;
    started_ = true;
    if (bus_ == nullptr) {
        log_.say(name_ + " missing: " + feature_ + " paused (no bus)");
        return;
    }
    nameWatch_ = bus_->watchName(name_, [this](bool present) {
        if (present && !present_) appear(true);
        if (!present && present_) vanish();
    });
    if (bus_->hasOwner(name_)) {
        appear(false);
    } else {
        log_.say(name_ + " missing: " + feature_ + " paused");
    }
}

void BusService::appear(bool announce) {
    slots_.clear();
    present_ = attach();
    if (!present_) {
        slots_.clear();
        detach();
        log_.say(name_ + " missing: " + feature_ + " paused (" + bus_->lastError() + ")");
    } else if (announce) {
        log_.say(name_ + " back: " + feature_ + " resumed");
    }
}

void BusService::vanish() {
    present_ = false;
    slots_.clear();
    detach();
    log_.say(name_ + " missing: " + feature_ + " paused");
}

void BusService::callFailed(const std::string& what) {
    log_.say("call failed: " + name_ + " " + what + ": " + (bus_ != nullptr ? bus_->lastError() : "no bus"));
}

}  // namespace corvane::device
