#pragma once
// Airplane mode as the kernel's rfkill shows it: every WiFi, Bluetooth and
// cellular radio soft- or hard-blocked. Only read, never written; the device
// is followed on the event loop.

#include <filesystem>
#include <functional>
#include <map>
#include <string>

struct sd_event;
struct sd_event_source;

namespace corvane::device {

class Rfkill {
public:
    Rfkill() = default;
    ~Rfkill();
    Rfkill(const Rfkill&) = delete;
    Rfkill& operator=(const Rfkill&) = delete;

    // Opens the device (empty path: none) and follows it. NO when it cannot be read.
    bool open(const std::filesystem::path& device, sd_event* event, std::function<void()> changed);
    bool readable() const { return fd_ >= 0; }
    const std::string& whyNot() const { return whyNot_; }
    bool airplaneMode() const;

    // Takes the events read off the device: (index, type, soft, hard, removed).
    void apply(unsigned index, unsigned type, bool soft, bool hard, bool removed);

private:
    static int onReadable(sd_event_source*, int fd, unsigned, void* userdata);
    void readEvents();

    int fd_ = -1;
    sd_event_source* source_ = nullptr;
    std::function<void()> changed_;
    std::string whyNot_;
    // index -> blocked, for the radios that count.
    std::map<unsigned, bool> blocked_;
};

}  // namespace corvane::device
