#include "sim/Scenario.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <initializer_list>
#include <limits>
#include <sstream>

#include "shared/Names.h"
#include "shared/SettingsCodes.h"

namespace corvane::sim {

using nlohmann::json;

ScenarioError::ScenarioError(std::string place, const std::string& reason)
    : std::runtime_error((place.empty() ? std::string("(document)") : place) + ": " + reason),
      place_(std::move(place)) {}

namespace {

struct KindName {
    EventKind kind;
    std::string_view name;
};
constexpr KindName kKinds[] = {
    {EventKind::Unlock, "unlock"},       {EventKind::Lock, "lock"},     {EventKind::ScreenOn, "screenOn"},
    {EventKind::ScreenOff, "screenOff"}, {EventKind::AC, "ac"},         {EventKind::WiFi, "wifi"},
    {EventKind::Cellular, "cellular"},   {EventKind::App, "app"},       {EventKind::Call, "call"},
    {EventKind::Airplane, "airplane"},   {EventKind::Tether, "tether"}, {EventKind::Settings, "settings"},
    {EventKind::Battery, "battery"},     {EventKind::Notify, "notify"},
};

struct StateName {
    AppState state;
    std::string_view name;
};
constexpr StateName kStates[] = {{AppState::Foreground, "foreground"},
                                 {AppState::Background, "background"},
                                 {AppState::Suspended, "suspended"},
                                 {AppState::Killed, "killed"}};

std::string escapePointerToken(std::string_view token) {
    std::string escaped;
    for (char c : token) {
        if (c == '~') {
            escaped += "~0";
        } else if (c == '/') {
            escaped += "~1";
        } else {
            escaped += c;
        }
    }
    return escaped;
}

std::string child(const std::string& place, std::string_view key) { return place + "/" + escapePointerToken(key); }
std::string child(const std::string& place, std::size_t index) { return place + "/" + std::to_string(index); }

std::string typeName(const json& value) {
    switch (value.type()) {
        case json::value_t::null: return "null";
        case json::value_t::boolean: return "a boolean";
        case json::value_t::number_integer:
        case json::value_t::number_unsigned:
        case json::value_t::number_float: return "a number";
        case json::value_t::string: return "a string";
        case json::value_t::array: return "an array";
        case json::value_t::object: return "an object";
        default: return "an unusable value";
    }
}

[[noreturn]] void wrongType(const json& value, const std::string& place, std::string_view expected) {
    throw ScenarioError(place, "expected " + std::string(expected) + ", found " + typeName(value));
}

const json& object(const json& value, const std::string& place) {
    if (!value.is_object()) wrongType(value, place, "an object");
    return value;
}

// Refuses every key of `value` that is not in `known`.
template <class Names>
void onlyKeysIn(const json& value, const std::string& place, const Names& known) {
    for (auto it = value.begin(); it != value.end(); ++it) {
        if (std::find(std::begin(known), std::end(known), it.key()) == std::end(known)) {
            throw ScenarioError(child(place, it.key()), "unknown key \"" + it.key() + "\"");
        }
    }
}

void onlyKeys(const json& value, const std::string& place, std::initializer_list<std::string_view> known) {
    onlyKeysIn(value, place, known);
}

const json& required(const json& parent, const std::string& place, std::string_view key) {
    auto found = parent.find(std::string(key));
    if (found == parent.end()) throw ScenarioError(place, "missing key \"" + std::string(key) + "\"");
    return *found;
}

const json* optional(const json& parent, std::string_view key) {
    auto found = parent.find(std::string(key));
    return found == parent.end() ? nullptr : &*found;
}

bool boolean(const json& value, const std::string& place) {
    if (!value.is_boolean()) wrongType(value, place, "a boolean (true or false)");
    return value.get<bool>();
}

std::string string(const json& value, const std::string& place) {
    if (!value.is_string()) wrongType(value, place, "a string");
    return value.get<std::string>();
}

double number(const json& value, const std::string& place) {
    if (!value.is_number()) wrongType(value, place, "a number");
    const double number = value.get<double>();
    if (!std::isfinite(number)) throw ScenarioError(place, "the number is not finite");
    return number;
}

double numberIn(const json& value, const std::string& place, double low, double high) {
    const double n = number(value, place);
    if (n < low || n > high) {
        std::ostringstream reason;
        reason << "expected a number from " << low << " to " << high << ", found " << n;
        throw ScenarioError(place, reason.str());
    }
    return n;
}

// A whole number that fits 64 signed bits, not wrapped.
long long wholeNumber(const json& value, const std::string& place) {
    if (value.is_number_unsigned() && value.get<std::uint64_t>() > std::numeric_limits<std::int64_t>::max()) {
        throw ScenarioError(place, "the number is too large");
    }
    return value.get<long long>();
}

int integerIn(const json& value, const std::string& place, int low, int high) {
    if (!value.is_number_integer() && !value.is_number_unsigned()) wrongType(value, place, "an integer");
    const long long n = wholeNumber(value, place);
    if (n < low || n > high) {
        throw ScenarioError(place, "expected an integer from " + std::to_string(low) + " to " + std::to_string(high) +
                                       ", found " + std::to_string(n));
    }
    return static_cast<int>(n);
}

// The longest scenario: a year of virtual time.
constexpr double kLongestScenarioSeconds = 365.0 * 86400.0;

// "HH:MM" or "HH:MM:SS" as seconds: plain digits only, minutes and seconds
// below 60, hours any count up to a year's worth; none when malformed.
std::optional<double> clockTime(std::string_view text) {
    double fields[3] = {0, 0, 0};
    int count = 0;
    std::size_t i = 0;
    while (count < 3) {
        const std::size_t start = i;
        double field = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
            field = field * 10 + (text[i] - '0');
            if (field > kLongestScenarioSeconds) return std::nullopt;  // no wrapping, however many digits
            ++i;
        }
        if (i == start) return std::nullopt;
        fields[count++] = field;
        if (i == text.size()) break;
        if (text[i] != ':') return std::nullopt;
        ++i;
    }
    if (i != text.size() || count < 2 || fields[1] >= 60 || fields[2] >= 60) return std::nullopt;
    return fields[0] * 3600.0 + fields[1] * 60.0 + fields[2];
}

// A time in seconds: a number, or "HH:MM" / "HH:MM:SS" (hours may exceed 23);
// never negative, never beyond a year.
double seconds(const json& value, const std::string& place) {
    double n = 0;
    if (value.is_string()) {
        const std::string text = value.get<std::string>();
        const std::optional<double> parsed = clockTime(text);
        if (!parsed) {
            throw ScenarioError(
                place, "expected seconds as a number or a time \"HH:MM\" or \"HH:MM:SS\", found \"" + text + "\"");
        }
        n = *parsed;
    } else {
        if (!value.is_number()) wrongType(value, place, "seconds (a number, or \"HH:MM[:SS]\")");
        n = number(value, place);
        if (n < 0) throw ScenarioError(place, "a time cannot be negative");
    }
    if (n > kLongestScenarioSeconds) throw ScenarioError(place, "a time beyond a year (365 days)");
    return n;
}

// A settings value: a boolean or a number, kept as the app would store it.
plist::Value settingValue(const json& value, const std::string& place) {
    if (value.is_boolean()) return plist::Value(value.get<bool>());
    if (value.is_number_integer() || value.is_number_unsigned()) return plist::Value(wholeNumber(value, place));
    if (value.is_number_float()) return plist::Value(number(value, place));
    wrongType(value, place, "a boolean or a number");
}

plist::Dictionary settingsDictionary(const json& value, const std::string& place) {
    object(value, place);
    plist::Dictionary settings;
    for (auto it = value.begin(); it != value.end(); ++it) {
        settings.set(it.key(), settingValue(it.value(), child(place, it.key())));
    }
    return settings;
}

// An application list: an array of bundle identifiers (each YES), or an
// object from bundle identifier to a boolean.
plist::Dictionary applicationList(const json& value, const std::string& place) {
    plist::Dictionary list;
    if (value.is_array()) {
        for (std::size_t i = 0; i < value.size(); ++i) list.set(string(value[i], child(place, i)), plist::Value(true));
        return list;
    }
    if (!value.is_object()) wrongType(value, place, "an array of bundle identifiers or an object of booleans");
    for (auto it = value.begin(); it != value.end(); ++it) {
        list.set(it.key(), plist::Value(boolean(it.value(), child(place, it.key()))));
    }
    return list;
}

void readDevice(const json& value, const std::string& place, Scenario::Device& device) {
    object(value, place);
    onlyKeys(value, place, {"machine", "systemVersion", "dataRates", "lowPowerMode"});
    if (auto* v = optional(value, "machine")) device.machine = string(*v, child(place, "machine"));
    if (auto* v = optional(value, "systemVersion")) device.systemVersion = string(*v, child(place, "systemVersion"));
    if (auto* v = optional(value, "dataRates")) {
        const std::string at = child(place, "dataRates");
        if (!v->is_array()) wrongType(*v, at, "an array of \"2G\", \"3G\", \"4G\"");
        device.dataRates.clear();
        for (std::size_t i = 0; i < v->size(); ++i) {
            const std::string name = string((*v)[i], child(at, i));
            const std::optional<platform::DataRate> rate = dataRateNamed(name);
            if (!rate) {
                throw ScenarioError(child(at, i),
                                    "unknown data rate \"" + name + "\"; expected \"2G\", \"3G\" or \"4G\"");
            }
            if (std::find(device.dataRates.begin(), device.dataRates.end(), *rate) == device.dataRates.end()) {
                device.dataRates.push_back(*rate);
            }
        }
    }
    if (auto* v = optional(value, "lowPowerMode")) device.lowPowerMode = boolean(*v, child(place, "lowPowerMode"));
}

void readBattery(const json& value, const std::string& place, Scenario::Battery& battery) {
    object(value, place);
    onlyKeys(value, place, {"designCapacity", "startPercent"});
    if (auto* v = optional(value, "designCapacity")) {
        battery.designCapacity = numberIn(*v, child(place, "designCapacity"), 100, 20000);
    }
    if (auto* v = optional(value, "startPercent"))
        battery.startPercent = numberIn(*v, child(place, "startPercent"), 0, 100);
}

void readRadios(const json& value, const std::string& place, std::map<Radio, bool>& radios) {
    object(value, place);
    std::vector<std::string_view> names;
    for (Radio radio : kScenarioRadios) names.push_back(radioName(radio));
    onlyKeysIn(value, place, names);
    for (Radio radio : kScenarioRadios) {
        const std::string name(radioName(radio));
        if (auto* v = optional(value, name)) radios[radio] = boolean(*v, child(place, name));
    }
}

void readLists(const json& value, const std::string& place, Scenario::Lists& lists) {
    object(value, place);
    onlyKeys(value, place, {"shutdown", "keep", "delay"});
    if (auto* v = optional(value, "shutdown")) lists.shutdown = applicationList(*v, child(place, "shutdown"));
    if (auto* v = optional(value, "keep")) lists.keep = applicationList(*v, child(place, "keep"));
    if (auto* v = optional(value, "delay")) lists.delay = applicationList(*v, child(place, "delay"));
}

void readApps(const json& value, const std::string& place, std::vector<ScenarioApp>& apps) {
    if (!value.is_array()) wrongType(value, place, "an array of applications");
    for (std::size_t i = 0; i < value.size(); ++i) {
        const std::string at = child(place, i);
        const json& entry = object(value[i], at);
        onlyKeys(entry, at, {"bundle", "name", "wakeEvery", "audio", "location", "network", "alarm"});
        ScenarioApp app;
        app.bundle = string(required(entry, at, "bundle"), child(at, "bundle"));
        if (app.bundle.empty()) throw ScenarioError(child(at, "bundle"), "the bundle identifier is empty");
        app.name = string(required(entry, at, "name"), child(at, "name"));
        if (auto* v = optional(entry, "wakeEvery")) app.wakeEvery = numberIn(*v, child(at, "wakeEvery"), 60, 7 * 86400);
        if (auto* v = optional(entry, "audio")) app.audio = boolean(*v, child(at, "audio"));
        if (auto* v = optional(entry, "location")) app.location = boolean(*v, child(at, "location"));
        if (auto* v = optional(entry, "network")) app.network = boolean(*v, child(at, "network"));
        if (auto* v = optional(entry, "alarm")) app.alarm = boolean(*v, child(at, "alarm"));
        for (const ScenarioApp& other : apps) {
            if (other.bundle == app.bundle) {
                throw ScenarioError(child(at, "bundle"), "application \"" + app.bundle + "\" is listed twice");
            }
        }
        apps.push_back(std::move(app));
    }
}

ScenarioEvent readEvent(const json& entry, const std::string& at, const Scenario& scenario) {
    object(entry, at);
    ScenarioEvent event;
    event.place = at;
    event.at = seconds(required(entry, at, "at"), child(at, "at"));
    const std::string kindName = string(required(entry, at, "do"), child(at, "do"));
    const auto kind =
        std::find_if(std::begin(kKinds), std::end(kKinds), [&](const KindName& k) { return k.name == kindName; });
    if (kind == std::end(kKinds)) {
        std::string expected;
        for (const KindName& k : kKinds) expected += (expected.empty() ? "" : ", ") + std::string(k.name);
        throw ScenarioError(child(at, "do"), "unknown event kind \"" + kindName + "\"; expected one of " + expected);
    }
    event.kind = kind->kind;

    switch (event.kind) {
        case EventKind::Unlock:
        case EventKind::Lock:
        case EventKind::ScreenOn:
        case EventKind::ScreenOff: onlyKeys(entry, at, {"at", "do", "comment"}); break;
        case EventKind::AC:
        case EventKind::Airplane:
        case EventKind::Tether:
            onlyKeys(entry, at, {"at", "do", "on", "comment"});
            event.on = boolean(required(entry, at, "on"), child(at, "on"));
            break;
        case EventKind::Call:
            onlyKeys(entry, at, {"at", "do", "active", "comment"});
            event.on = boolean(required(entry, at, "active"), child(at, "active"));
            break;
        case EventKind::WiFi: {
            onlyKeys(entry, at, {"at", "do", "network", "bars", "comment"});
            const json& network = required(entry, at, "network");
            if (!network.is_null()) event.network = string(network, child(at, "network"));
            if (auto* v = optional(entry, "bars")) event.bars = integerIn(*v, child(at, "bars"), 0, 3);
            if (!event.network) event.bars = 0;
            break;
        }
        case EventKind::Cellular:
            onlyKeys(entry, at, {"at", "do", "bars", "comment"});
            event.bars = integerIn(required(entry, at, "bars"), child(at, "bars"), 0, 3);
            break;
        case EventKind::App: {
            onlyKeys(entry, at, {"at", "do", "bundle", "state", "comment"});
            event.bundle = string(required(entry, at, "bundle"), child(at, "bundle"));
            if (scenario.app(event.bundle) == nullptr) {
                throw ScenarioError(child(at, "bundle"), "application \"" + event.bundle + "\" is not in /apps");
            }
            const std::string state = string(required(entry, at, "state"), child(at, "state"));
            const auto found = std::find_if(std::begin(kStates), std::end(kStates),
                                            [&](const StateName& s) { return s.name == state; });
            if (found == std::end(kStates)) {
                throw ScenarioError(child(at, "state"), "unknown application state \"" + state +
                                                            "\"; expected foreground, background, suspended or killed");
            }
            event.state = found->state;
            break;
        }
        case EventKind::Settings:
            onlyKeys(entry, at, {"at", "do", "set", "comment"});
            event.set = settingsDictionary(required(entry, at, "set"), child(at, "set"));
            break;
        case EventKind::Battery:
            onlyKeys(entry, at, {"at", "do", "percent", "comment"});
            event.percent = numberIn(required(entry, at, "percent"), child(at, "percent"), 0, 100);
            break;
        case EventKind::Notify:
            onlyKeys(entry, at, {"at", "do", "name", "comment"});
            event.name = string(required(entry, at, "name"), child(at, "name"));
            if (event.name.empty()) throw ScenarioError(child(at, "name"), "the notification name is empty");
            break;
    }
    if (auto* v = optional(entry, "comment")) string(*v, child(at, "comment"));
    return event;
}

// Builds the document while following the JSON pointer of the value being
// read, so that a value the reader cannot take (a number too large for a
// double, broken text) is reported at its place.
class PlaceTrackingParser {
public:
    explicit PlaceTrackingParser(json& document) : builder_(document, true) {}

    bool null() { return scalar(builder_.null()); }
    bool boolean(bool v) { return scalar(builder_.boolean(v)); }
    bool number_integer(json::number_integer_t v) { return scalar(builder_.number_integer(v)); }
    bool number_unsigned(json::number_unsigned_t v) { return scalar(builder_.number_unsigned(v)); }
    bool number_float(json::number_float_t v, const json::string_t& s) { return scalar(builder_.number_float(v, s)); }
    bool string(json::string_t& v) { return scalar(builder_.string(v)); }
    bool binary(json::binary_t& v) { return scalar(builder_.binary(v)); }
    bool start_object(std::size_t n) { return open(false, builder_.start_object(n)); }
    bool start_array(std::size_t n) { return open(true, builder_.start_array(n)); }
    bool key(json::string_t& k) {
        if (!frames_.empty()) frames_.back().key = k;
        return builder_.key(k);
    }
    bool end_object() { return close(builder_.end_object()); }
    bool end_array() { return close(builder_.end_array()); }

    [[noreturn]] bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception& error) {
        std::string reason = error.what();
        // Keep the library's own words, without its exception tag.
        if (auto tag = reason.find("] "); reason.rfind("[json.exception", 0) == 0 && tag != std::string::npos) {
            reason.erase(0, tag + 2);
        }
        throw ScenarioError(currentPlace(), "not JSON: " + reason);
    }

private:
    struct Frame {
        bool array;
        std::size_t index = 0;
        std::string key;
    };

    // The pointer of the value about to be read.
    std::string currentPlace() const {
        std::string place;
        for (const Frame& frame : frames_) place = frame.array ? child(place, frame.index) : child(place, frame.key);
        return place;
    }
    bool scalar(bool result) {
        if (!frames_.empty() && frames_.back().array) ++frames_.back().index;
        return result;
    }
    bool open(bool array, bool result) {
        frames_.push_back(Frame{array, 0, {}});
        return result;
    }
    bool close(bool result) {
        if (!frames_.empty()) frames_.pop_back();
        return scalar(result);
    }

    nlohmann::detail::json_sax_dom_parser<json> builder_;
    std::vector<Frame> frames_;
};

}  // namespace

Scenario Scenario::parse(std::string_view text) {
    json document;
    try {
        PlaceTrackingParser parser(document);
        json::sax_parse(text.begin(), text.end(), &parser);
    } catch (const ScenarioError&) {
        throw;
    } catch (const std::exception& error) {
        throw ScenarioError("", std::string("not JSON: ") + error.what());
    }

    Scenario scenario;
    const std::string root;
    object(document, root);
    onlyKeys(document, root,
             {"name", "comment", "profile", "start", "duration", "device", "battery", "radios", "settings", "lists",
              "apps", "events"});
    if (auto* v = optional(document, "name")) scenario.name = string(*v, "/name");
    if (auto* v = optional(document, "profile")) scenario.profile = string(*v, "/profile");
    if (auto* v = optional(document, "comment")) string(*v, "/comment");
    {
        const std::string text = string(required(document, root, "start"), "/start");
        auto start = parseIso8601(text);
        if (!start)
            throw ScenarioError(
                "/start", "expected an ISO 8601 UTC time such as \"2027-01-15T00:00:00Z\", found \"" + text + "\"");
        scenario.start = *start;
    }
    scenario.duration = seconds(required(document, root, "duration"), "/duration");
    if (!(scenario.duration > 0)) throw ScenarioError("/duration", "the duration must be positive");
    if (auto* v = optional(document, "device")) readDevice(*v, "/device", scenario.device);
    if (auto* v = optional(document, "battery")) readBattery(*v, "/battery", scenario.battery);
    if (auto* v = optional(document, "radios")) readRadios(*v, "/radios", scenario.radios);
    if (auto* v = optional(document, "settings")) scenario.settings = settingsDictionary(*v, "/settings");
    if (auto* v = optional(document, "lists")) readLists(*v, "/lists", scenario.lists);
    if (auto* v = optional(document, "apps")) readApps(*v, "/apps", scenario.apps);
    if (auto* v = optional(document, "events")) {
        if (!v->is_array()) wrongType(*v, "/events", "an array of events");
        for (std::size_t i = 0; i < v->size(); ++i) {
            const std::string at = child(std::string("/events"), i);
            ScenarioEvent event = readEvent((*v)[i], at, scenario);
            if (!scenario.events.empty() && event.at < scenario.events.back().at) {
                throw ScenarioError(child(at, "at"), "event out of time order: it comes before the previous event");
            }
            if (event.at > scenario.duration) {
                throw ScenarioError(child(at, "at"), "event after the end of the scenario (its duration)");
            }
            scenario.events.push_back(std::move(event));
        }
    }
    return scenario;
}

Scenario Scenario::load(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw ScenarioError("", "cannot read " + file.string());
    std::ostringstream contents;
    contents << in.rdbuf();
    Scenario scenario = parse(contents.str());
    // A profile file is found beside the scenario.
    const std::filesystem::path profile = scenario.profile;
    if (profile.extension() == ".json" && profile.is_relative())
        scenario.profile = (file.parent_path() / profile).string();
    return scenario;
}

ScenarioEvent Scenario::parseEvent(std::string_view text, double now, const std::string& place, double* askedAt) const {
    json entry;
    try {
        entry = json::parse(text.begin(), text.end());
    } catch (const json::parse_error&) {
        throw ScenarioError(place, "not a JSON object");
    }
    if (entry.is_object() && !entry.contains("at")) entry["at"] = now;
    ScenarioEvent event = readEvent(entry, place, *this);
    if (askedAt != nullptr) *askedAt = event.at;
    event.at = std::max(event.at, now);
    if (event.at > duration) {
        throw ScenarioError(child(place, "at"), "event after the end of the scenario (its duration)");
    }
    return event;
}

const ScenarioApp* Scenario::app(std::string_view bundle) const {
    for (const ScenarioApp& app : apps) {
        if (app.bundle == bundle) return &app;
    }
    return nullptr;
}

std::int32_t Scenario::strategyNumber() const {
    if (settings) {
        // The engine keeps Normal, its strategy at start-up, for a number
        // that names no strategy.
        if (const plist::Value* strategy = settings->find(settings::kStrategy))
            return isKnownStrategy(strategy->intValue()) ? strategy->intValue() : kStrategyNormal;
    }
    return kStrategyNormal;
}

std::string_view eventKindName(EventKind kind) {
    for (const KindName& k : kKinds) {
        if (k.kind == kind) return k.name;
    }
    return "?";
}

std::string_view appStateName(AppState state) {
    for (const StateName& s : kStates) {
        if (s.state == state) return s.name;
    }
    return "?";
}

std::optional<double> parseIso8601(std::string_view text) {
    const std::string s(text);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0;
    double second = 0;
    int consumed = 0;
    if (std::sscanf(s.c_str(), "%4d-%2d-%2dT%2d:%2d:%lf%n", &year, &month, &day, &hour, &minute, &second, &consumed) !=
        6) {
        return std::nullopt;
    }
    const std::string zone = s.substr(static_cast<std::size_t>(consumed));
    if (zone != "Z" && zone != "+00:00" && zone != "+0000") return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
        !(second >= 0 && second < 61)) {
        return std::nullopt;
    }
    std::tm time{};
    time.tm_year = year - 1900;
    time.tm_mon = month - 1;
    time.tm_mday = day;
    time.tm_hour = hour;
    time.tm_min = minute;
    time.tm_sec = 0;
    const std::time_t whole = timegm(&time);
    if (time.tm_mday != day) return std::nullopt;  // 31 February and the like
    return static_cast<double>(whole) + second;
}

std::string formatIso8601(double secondsSince1970) {
    const std::time_t whole = static_cast<std::time_t>(std::floor(secondsSince1970));
    std::tm time{};
    gmtime_r(&whole, &time);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &time);
    return buffer;
}

std::string_view scenarioFormatHelp() {
    return R"(Scenario format (JSON; every key is checked, an unknown key is an error):
  "name"      optional label                 "comment"  optional text, ignored
  "start"     wall-clock time of t = 0, ISO 8601 UTC, e.g. "2027-01-15T00:00:00Z"  (required)
  "duration"  seconds, or "HH:MM[:SS]"                                              (required)
  "device"    {"machine": "iPhone6,1", "systemVersion": "8.1",
               "dataRates": ["2G","3G","4G"] (what the network and radio support),
               "lowPowerMode": true (whether the low-power-mode class exists)}
  "profile"   the device profile: a built-in name (default "phone-2013") or the path of
              a profile file (.json, relative to the scenario's folder); see --validate
  "battery"   {"designCapacity": mAh (default: the profile's), "startPercent": 0-100 (default 100)}
  "radios"    initial states: {"wifi", "edge", "bluetooth", "location", "push"}: booleans
  "settings"  the settings file written before start-up, key -> boolean or number
              (absent: no settings file; the engine then runs its defaults)
  "lists"     {"shutdown", "keep", "delay"}: each an array of bundle identifiers,
              or an object bundle identifier -> boolean; written as the three list files
  "apps"      [{"bundle", "name", "wakeEvery": seconds between the application's
               persistent-connection wake events (optional), "audio": true when it plays
               audio in the background (keeps the phone awake, streams; optional),
               "location": true when it uses location in the foreground, "network": false
               when it needs no network while in use, "alarm": true for an alarm clock
               (its wake events are never deferred)}]
  "events"    [{"at": seconds from start or "HH:MM[:SS]", "do": KIND, ...}] in time order:
     unlock                      screen on, then user interface unlocked
     lock                        user interface locked, then screen off
     screenOn / screenOff        the screen alone
     ac        "on": bool        external power connected or not
     wifi      "network": name or null, "bars": 0-3 (default 3)
     cellular  "bars": 0-3       the cellular signal (0: no service); 3 until told
     app       "bundle", "state": "foreground" | "background" | "suspended" | "killed"
     call      "active": bool
     airplane  "on": bool        tether  "on": bool
     settings  "set": {key: value}  written into the settings file, then
               "org.fernhill.Corvane-preferencesChanged" is posted
     battery   "percent": 0-100  forces the charge
     notify    "name": a Darwin notification to post
   Every event may carry a "comment".
)";
}

}  // namespace corvane::sim
