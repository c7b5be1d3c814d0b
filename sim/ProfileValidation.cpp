#include "sim/ProfileValidation.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "sim/EnergyMeter.h"
#include "sim/Rounding.h"
#include "sim/SimBattery.h"

namespace corvane::sim {

namespace {

struct RatedUse {
    const char* use;
    const char* label;
};
constexpr RatedUse kUses[] = {
    {"standby", "standby"}, {"talk3G", "talk on 3G"}, {"webWiFi", "web on WiFi"}, {"webLTE", "web on LTE"},
    {"web3G", "web on 3G"}, {"video", "video"},       {"audio", "audio"},
};

}  // namespace

ComponentState ProfileValidation::stateOf(const std::string& use) {
    // Every rated use starts from the phone awake, screen dark, WiFi
    // associated and the cellular radio registered on LTE, nothing else on.
    ComponentState s;
    s.asleep = false;
    s.screenOn = false;
    s.interactive = false;
    s.wifiEnabled = true;
    s.wifiAssociated = true;
    s.speed = platform::DataRate::Rate4G;
    if (use == "standby" || use == "talk3G") {
        // Measured on the cellular network alone.
        s.wifiEnabled = false;
        s.wifiAssociated = false;
        s.asleep = use == "standby";
        s.call = use == "talk3G";
        s.speed = platform::DataRate::Rate3G;
    } else if (use == "webWiFi" || use == "webLTE" || use == "web3G") {
        s.screenOn = true;
        s.interactive = true;
        s.userTraffic = true;
        if (use != "webWiFi") {
            s.wifiEnabled = false;
            s.wifiAssociated = false;
            s.speed = use == "webLTE" ? platform::DataRate::Rate4G : platform::DataRate::Rate3G;
        }
    } else if (use == "video") {
        s.screenOn = true;
        s.video = true;
    } else if (use == "audio") {
        s.localAudio = true;
    } else {
        throw ProfileError("unknown rated use \"" + use + "\"");
    }
    return s;
}

double ProfileValidation::hoursIn(const PowerModel& model, const ComponentState& state) {
    SimBattery battery(model, model.profile().batteryCapacity, 100.0);
    EnergyMeter meter(model, battery, 0.0);
    meter.state() = state;
    meter.advanceTo(3600.0);
    const double milliwatts = meter.totalEnergy() / 3.6;
    return milliwatts > 0.0 ? model.profile().batteryEnergy() / milliwatts : 0.0;
}

std::vector<ProfileValidation::Row> ProfileValidation::rows(const DeviceProfile& profile) {
    const PowerModel model(profile);
    std::vector<Row> out;
    for (const RatedUse& use : kUses) {
        for (const DeviceProfile::Rating& rating : profile.ratings) {
            if (rating.use != use.use) continue;
            out.push_back(Row{use.use, use.label, rating.hours, hoursIn(model, stateOf(use.use)), rating.fitted});
        }
    }
    return out;
}

std::string ProfileValidation::table(const DeviceProfile& profile, const std::vector<Row>& rows) {
    std::ostringstream out;
    char line[160];
    std::snprintf(line, sizeof line, "Device profile \"%s\": %.0f mAh at %.2f V (%.0f mWh)\n", profile.name.c_str(),
                  profile.batteryCapacity, profile.batteryVoltage, profile.batteryEnergy());
    out << line;
    std::snprintf(line, sizeof line, "%-14s %10s %10s %7s   %s\n", "use", "rated h", "model h", "ratio", "row");
    out << line;
    for (const Row& row : rows) {
        std::snprintf(line, sizeof line, "%-14s %10.1f %10.1f %7.2f   %s\n", row.label.c_str(), row.ratedHours,
                      row.modelHours, row.ratio(), row.fitted ? "fitted" : "predicted");
        out << line;
    }
    out << "Fitted rows were used to set the profile's figures; predicted rows were not.\n";
    return out.str();
}

nlohmann::ordered_json ProfileValidation::json(const DeviceProfile& profile, const std::vector<Row>& rows) {
    nlohmann::ordered_json j;
    j["profile"] = profile.name;
    j["batteryMilliwattHours"] = round3(profile.batteryEnergy());
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const Row& row : rows) {
        list.push_back({{"use", row.use},
                        {"ratedHours", row.ratedHours},
                        {"modelHours", round3(row.modelHours)},
                        {"ratio", round3(row.ratio())},
                        {"fitted", row.fitted}});
    }
    j["rows"] = list;
    return j;
}

}  // namespace corvane::sim
