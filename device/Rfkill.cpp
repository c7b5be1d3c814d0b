#include "device/Rfkill.h"

#include <fcntl.h>
#include <linux/rfkill.h>
#include <systemd/sd-event.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace corvane::device {

Rfkill::~Rfkill() {
    sd_event_source_unref(source_);
    if (fd_ >= 0) ::close(fd_);
}

bool Rfkill::open(const std::filesystem::path& device, sd_event* event, std::function<void()> changed) {
    changed_ = std::move(changed);
    if (device.empty()) {
        whyNot_ = "no rfkill device given";
        return false;
    }
    fd_ = ::open(device.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0) {
        whyNot_ = device.string() + " not readable: " + std::strerror(errno);
        return false;
    }
    readEvents();
    if (event != nullptr) sd_event_add_io(event, &source_, fd_, EPOLLIN, &Rfkill::onReadable, this);
    return true;
}

int Rfkill::onReadable(sd_event_source*, int, unsigned, void* userdata) {
    auto* self = static_cast<Rfkill*>(userdata);
    self->readEvents();
    if (self->changed_) self->changed_();
    return 0;
}

void Rfkill::readEvents() {
    rfkill_event event{};
    // Each read returns one event; older kernels return the shorter first version.
    while (::read(fd_, &event, sizeof event) >= static_cast<ssize_t>(RFKILL_EVENT_SIZE_V1)) {
        apply(event.idx, event.type, event.soft != 0, event.hard != 0, event.op == RFKILL_OP_DEL);
        event = rfkill_event{};
    }
}

void Rfkill::apply(unsigned index, unsigned type, bool soft, bool hard, bool removed) {
    if (type != RFKILL_TYPE_WLAN && type != RFKILL_TYPE_BLUETOOTH && type != RFKILL_TYPE_WWAN) return;
    if (removed) {
        blocked_.erase(index);
    } else {
        blocked_[index] = soft || hard;
    }
}

bool Rfkill::airplaneMode() const {
    if (blocked_.empty()) return false;
    for (const auto& [index, blocked] : blocked_) {
        if (!blocked) return false;
    }
    return true;
}

}  // namespace corvane::device
