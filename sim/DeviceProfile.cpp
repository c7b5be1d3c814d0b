#include "sim/DeviceProfile.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <utility>

#include "sim/RadioNames.h"

namespace corvane::sim {

// The profile files of sim/profiles, built in (BundledProfiles.cpp is generated).
struct BundledProfile {
    const char* name;
    const char* json;
};
extern const BundledProfile kBundledProfiles[];
extern const std::size_t kBundledProfileCount;

namespace {

using nlohmann::json;

// Every figure of a profile: its key and where it goes.
struct Figure {
    const char* key;
    double DeviceProfile::*field;
};
constexpr Figure kFigures[] = {
    {"batteryCapacity_mAh", &DeviceProfile::batteryCapacity},
    {"batteryVoltage_V", &DeviceProfile::batteryVoltage},
    {"chargeCurrent_mA", &DeviceProfile::chargeCurrent},
    {"chargeTaperStart", &DeviceProfile::chargeTaperStart},
    {"chargeCurrentAtFull_mA", &DeviceProfile::chargeCurrentAtFull},
    {"suspended_mW", &DeviceProfile::suspended},
    {"awake_mW", &DeviceProfile::awake},
    {"interactiveLoad_mW", &DeviceProfile::interactiveLoad},
    {"screen_mW", &DeviceProfile::screen},
    {"audio_mW", &DeviceProfile::audio},
    {"video_mW", &DeviceProfile::video},
    {"lowPowerModeFactor", &DeviceProfile::lowPowerModeFactor},
    {"wifiAsleepIdle_mW", &DeviceProfile::wifiAsleepIdle},
    {"wifiAsleepScanning_mW", &DeviceProfile::wifiAsleepScanning},
    {"wifiBroadcastWakesPerHour", &DeviceProfile::wifiBroadcastWakesPerHour},
    {"wifiBroadcastWake_J", &DeviceProfile::wifiBroadcastWake},
    {"wifiIdle_mW", &DeviceProfile::wifiIdle},
    {"wifiScanning_mW", &DeviceProfile::wifiScanning},
    {"wifiActive_mW", &DeviceProfile::wifiActive},
    {"wifiAssociation_J", &DeviceProfile::wifiAssociation},
    {"cellularPaging_mW", &DeviceProfile::cellularPaging},
    {"call_mW", &DeviceProfile::call},
    {"cellularAttach_J", &DeviceProfile::cellularAttach},
    {"networkRegistration_J", &DeviceProfile::networkRegistration},
    {"bluetoothIdle_mW", &DeviceProfile::bluetoothIdle},
    {"bluetoothConnected_mW", &DeviceProfile::bluetoothConnected},
    {"gps_mW", &DeviceProfile::gps},
    {"webEvery_s", &DeviceProfile::webEvery},
    {"webTransfer_s", &DeviceProfile::webTransfer},
    {"streamEvery_s", &DeviceProfile::streamEvery},
    {"streamTransfer_s", &DeviceProfile::streamTransfer},
};
constexpr const char* kRatedUses[] = {"standby", "talk3G", "webWiFi", "webLTE", "web3G", "video", "audio"};

[[noreturn]] void fail(const std::string& place, const std::string& reason) {
    throw ProfileError(place + ": " + reason);
}

// {"value": ..., "source": "..."}: every figure says where it comes from.
const json& figureValue(const json& figures, const std::string& key) {
    const std::string place = "/figures/" + key;
    auto found = figures.find(key);
    if (found == figures.end()) fail("/figures", "missing figure \"" + key + "\"");
    if (!found->is_object() || found->size() != 2 || !found->contains("value") || !found->contains("source") ||
        !(*found)["source"].is_string() || (*found)["source"].get<std::string>().empty()) {
        fail(place, "expected {\"value\": ..., \"source\": \"where the figure comes from\"}");
    }
    return (*found)["value"];
}

double positive(const json& value, const std::string& place) {
    if (!value.is_number()) fail(place, "expected a number");
    const double n = value.get<double>();
    if (!std::isfinite(n) || n < 0) fail(place, "expected a finite number of at least 0");
    return n;
}

template <std::size_t N>
std::array<double, N> numbers(const json& value, const std::string& place) {
    if (!value.is_array() || value.size() != N) fail(place, "expected an array of " + std::to_string(N) + " numbers");
    std::array<double, N> out{};
    for (std::size_t i = 0; i < N; ++i) out[i] = positive(value[i], place + "/" + std::to_string(i));
    return out;
}

}  // namespace

DeviceProfile DeviceProfile::parse(std::string_view text) {
    const json document = json::parse(text.begin(), text.end(), nullptr, false);
    if (document.is_discarded() || !document.is_object()) fail("(document)", "not a JSON object");
    for (auto it = document.begin(); it != document.end(); ++it) {
        const std::string& key = it.key();
        if (key != "name" && key != "comment" && key != "sources" && key != "figures" && key != "ratings") {
            fail("/" + key, "unknown key \"" + key + "\"");
        }
    }
    DeviceProfile profile;
    if (!document.contains("name") || !document["name"].is_string()) fail("/name", "expected the profile's name");
    profile.name = document["name"].get<std::string>();
    if (!document.contains("figures") || !document["figures"].is_object()) fail("/figures", "expected an object");
    const json& figures = document["figures"];

    std::size_t known = 0;
    for (const Figure& figure : kFigures) {
        profile.*figure.field = positive(figureValue(figures, figure.key), std::string("/figures/") + figure.key);
        ++known;
    }
    for (platform::DataRate rate : kDataRates) {
        const std::size_t g = static_cast<std::size_t>(rate);
        const std::string prefix = "cellular" + std::string(dataRateName(rate));
        profile.cellularActive[g] =
            positive(figureValue(figures, prefix + "Active_mW"), "/figures/" + prefix + "Active_mW");
        profile.cellularTail[g] = positive(figureValue(figures, prefix + "Tail_mW"), "/figures/" + prefix + "Tail_mW");
        profile.cellularTailSeconds[g] =
            positive(figureValue(figures, prefix + "Tail_s"), "/figures/" + prefix + "Tail_s");
        known += 3;
    }
    profile.cellularFactorByBars =
        numbers<4>(figureValue(figures, "cellularFactorByBars"), "/figures/cellularFactorByBars/value");
    profile.wifiFactorByBars = numbers<4>(figureValue(figures, "wifiFactorByBars"), "/figures/wifiFactorByBars/value");
    known += 2;
    if (figures.size() != known) {
        for (auto it = figures.begin(); it != figures.end(); ++it) {
            bool listed = it.key() == "cellularFactorByBars" || it.key() == "wifiFactorByBars";
            for (const Figure& figure : kFigures) listed = listed || it.key() == figure.key;
            for (platform::DataRate rate : kDataRates) {
                for (const char* suffix : {"Active_mW", "Tail_mW", "Tail_s"}) {
                    listed = listed || it.key() == "cellular" + std::string(dataRateName(rate)) + suffix;
                }
            }
            if (!listed) fail("/figures/" + it.key(), "unknown figure \"" + it.key() + "\"");
        }
    }
    if (profile.batteryCapacity <= 0 || profile.batteryVoltage <= 0) {
        fail("/figures/batteryCapacity_mAh", "the battery needs a capacity and a voltage above 0");
    }
    if (profile.chargeTaperStart >= 1.0) fail("/figures/chargeTaperStart/value", "expected a fraction below 1");
    if (profile.webTransfer > profile.webEvery || profile.streamTransfer > profile.streamEvery ||
        profile.webEvery <= 0 || profile.streamEvery <= 0) {
        fail("/figures/webEvery_s", "a transfer cannot last longer than the time between transfers");
    }

    if (document.contains("ratings")) {
        const json& ratings = document["ratings"];
        if (!ratings.is_object()) fail("/ratings", "expected an object");
        for (auto it = ratings.begin(); it != ratings.end(); ++it) {
            const std::string place = "/ratings/" + it.key();
            if (std::find(std::begin(kRatedUses), std::end(kRatedUses), it.key()) == std::end(kRatedUses)) {
                fail(place, "unknown rated use \"" + it.key() + "\"");
            }
            const json& rating = it.value();
            if (!rating.is_object() || !rating.contains("hours") || !rating.contains("fitted") ||
                !rating["fitted"].is_boolean() || !rating.contains("source") || !rating["source"].is_string()) {
                fail(place, "expected {\"hours\": ..., \"fitted\": true|false, \"source\": \"...\"}");
            }
            const double hours = positive(rating["hours"], place + "/hours");
            if (hours <= 0) fail(place + "/hours", "expected hours above 0");
            profile.ratings.push_back(
                Rating{it.key(), hours, rating["fitted"].get<bool>(), rating["source"].get<std::string>()});
        }
    }
    return profile;
}

DeviceProfile DeviceProfile::find(const std::string& nameOrPath) {
    const std::string name = nameOrPath.empty() ? std::string(kDefaultName) : nameOrPath;
    const bool isFile = name.size() > 5 && name.compare(name.size() - 5, 5, ".json") == 0;
    if (isFile) {
        std::ifstream in(name, std::ios::binary);
        if (!in) throw ProfileError("cannot read the profile " + name);
        std::ostringstream text;
        text << in.rdbuf();
        try {
            return parse(text.str());
        } catch (const ProfileError& error) {
            throw ProfileError(name + ": " + error.what());
        }
    }
    for (std::size_t i = 0; i < kBundledProfileCount; ++i) {
        if (name == kBundledProfiles[i].name) return parse(kBundledProfiles[i].json);
    }
    std::string known;
    for (const std::string& bundled : bundledNames()) known += (known.empty() ? "" : ", ") + bundled;
    throw ProfileError("unknown profile \"" + name + "\"; built in: " + known + ", or the path of a .json file");
}

std::vector<std::string> DeviceProfile::bundledNames() {
    std::vector<std::string> names;
    for (std::size_t i = 0; i < kBundledProfileCount; ++i) names.emplace_back(kBundledProfiles[i].name);
    return names;
}

}  // namespace corvane::sim
