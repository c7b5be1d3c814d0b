#pragma once
// phonesim --validate: each use a phone is rated for (standby, talk on 3G,
// web on WiFi, LTE and 3G, video, audio) run on a device profile, the hours
// the model gives beside the published rating, with their ratio. Rows the
// profile was fitted on are marked "fitted"; the others are predictions.

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/DeviceProfile.h"
#include "sim/PowerModel.h"

namespace corvane::sim {

class ProfileValidation {
public:
    struct Row {
        std::string use;
        std::string label;
        double ratedHours = 0;
        double modelHours = 0;
        bool fitted = false;
        double ratio() const { return modelHours / ratedHours; }
    };

    // The phone's state in a rated use; throws ProfileError for an unknown use.
    static ComponentState stateOf(const std::string& use);
    // Hours a full battery lasts in that state, metered over an hour.
    static double hoursIn(const PowerModel& model, const ComponentState& state);
    // One row per rating of the profile.
    static std::vector<Row> rows(const DeviceProfile& profile);

    static std::string table(const DeviceProfile& profile, const std::vector<Row>& rows);
    static nlohmann::ordered_json json(const DeviceProfile& profile, const std::vector<Row>& rows);
};

}  // namespace corvane::sim
