#pragma once
// A system service the daemon follows on one bus: found or missing, and
// followed again when its name comes back. A missing service pauses its
// feature with one line; its return resumes it with another.

#include <memory>
#include <string>
#include <vector>

#include "device/Bus.h"
#include "device/DaemonLog.h"

namespace corvane::device {

class BusService {
public:
    // `feature` names what pauses while the service is missing.
    BusService(Bus* bus, DaemonLog& log, std::string name, std::string feature);
    virtual ~BusService() = default;
    BusService(const BusService&) = delete;
    BusService& operator=(const BusService&) = delete;

    // Looks for the service and follows its name.
    void start();
    bool present() const { return present_; }
    const std::string& name() const { return name_; }

protected:
    // The service is there (at start or back): read its state, subscribe.
    // Answers NO when it could not be followed (it then counts as missing).
    virtual bool attach() = 0;
    // The service went: forget its objects.
    virtual void detach() = 0;
    // A call failed: one line naming the call and why.
    void callFailed(const std::string& what);

    Bus* bus_;
    DaemonLog& log_;
    // Subscriptions that live while the service is attached.
    std::vector<std::unique_ptr<BusSlot>> slots_;

private:
    void appear(bool announce);
    void vanish();

    std::string name_;
    std::string feature_;
    bool present_ = false;
    bool started_ = false;
    std::unique_ptr<BusSlot> nameWatch_;
};

}  // namespace corvane::device
