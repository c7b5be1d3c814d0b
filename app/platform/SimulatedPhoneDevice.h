#pragma once
// The device of this build: the simulated phone laid out under the
// filesystem root. Its hardware model, versions, capability table, telephony
// answers and low-power-mode availability come from the phone's own files
// (the system version file and the simulated phone's device file), read
// again at every question so that a rewritten or replaced root is seen at
// once. The kernel's other fields and the host name are the phone's when
// phonesim left them under the root (shared/PhoneInfo.h), else this
// machine's: on a real device the two are one.
//
// Missing, malformed or wrongly typed entries give: machine = this machine's
// uname machine, system version "" (older than every version), framework
// version 0, idiom 0 (phone), no capability function, telephony server not
// reachable, low-power mode not available. Nothing here throws.

#include <optional>

#include "app/platform/AppDevice.h"
#include "shared/PropertyList.h"

namespace corvane::app {

class SimulatedPhoneDevice final : public AppDevice {
public:
    KernelIdentification uname() const override;
    std::string systemVersion() const override;
    double coreFoundationVersionNumber() const override;
    int userInterfaceIdiom() const override;
    // Only the low-power-mode settings class is known: it answers "isEnabled"
    // when the device file says low-power mode is available.
    bool classRespondsToClassOperation(std::string_view className, std::string_view operation) const override;
    // A function answering from the device file's capability table as it was
    // when loaded; none when the file has no table.
    std::optional<std::function<bool(std::string_view)>> loadCapabilityFunction() override;
    // The device file's rate names when the telephony server is reachable (a
    // reachable server without a list answers an empty one).
    std::optional<std::vector<std::string>> copySupportedDataRates() override;
    std::optional<std::string> hostName() const override;

private:
    // The device file, none (with a log line) when missing or malformed.
    static std::optional<plist::Dictionary> deviceFile();
    // The device file's value of the key when it has that kind.
    static std::optional<plist::Value> deviceEntry(std::string_view key, plist::Value::Kind kind);
    static std::optional<plist::Value> entry(const plist::Dictionary& file, std::string_view key,
                                             plist::Value::Kind kind);
};

}  // namespace corvane::app
