#pragma once
// The private telephony functions: cellular data plan, data rates and the
// telephony server connection of the older RAT-selection interface.

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace corvane::platform {

// The platform's data-rate constants (kCTRegistrationDataRate2G, 3G, 4G).
enum class DataRate { Rate2G, Rate3G, Rate4G };

// The RAT selection constants of the older interface
// (kCTRegistrationRATSelection1, 2, 3, 7 and others).
enum class RATSelection { Selection1, Selection2, Selection3, Selection7, Other };

class TelephonyServerConnection {
public:
    virtual ~TelephonyServerConnection() = default;
    virtual RATSelection ratSelection() = 0;
    // CTRegistrationCopySupportedDataRates; none when the list is unavailable.
    virtual std::optional<std::vector<DataRate>> copySupportedDataRates() = 0;
};

class Telephony {
public:
    virtual ~Telephony() = default;
    // _CTServerConnectionCreate; none when the server is unreachable.
    virtual std::unique_ptr<TelephonyServerConnection> createServerConnection() = 0;
    virtual bool cellularDataPlanIsEnabled() = 0;
    virtual void setCellularDataPlanIsEnabled(bool enabled) = 0;
    // CTRegistrationSetMaxAllowedDataRate: YES on success.
    virtual bool setMaxAllowedDataRate(DataRate rate) = 0;
};

}  // namespace corvane::platform
