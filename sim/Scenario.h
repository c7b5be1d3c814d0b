#pragma once
// A phone day to simulate, read from a JSON file: the device, its battery and
// radios at t = 0, the settings and application lists laid out before
// start-up, the installed applications, and the user's and the world's
// events in time order. Reading is strict: an unknown key, a wrong type, an
// event out of time order or an unknown event kind is refused with one
// message naming its place (a JSON pointer such as /events/3/do).

#include <cstdint>
#include <filesystem>
#include <iterator>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "shared/PropertyList.h"
#include "sim/RadioNames.h"

namespace corvane::sim {

// A scenario that cannot be used. `place` is the JSON pointer of the
// offending value ("" for the whole document); what() reads "place: reason".
class ScenarioError : public std::runtime_error {
public:
    ScenarioError(std::string place, const std::string& reason);
    const std::string& place() const { return place_; }

private:
    std::string place_;
};

enum class EventKind {
    Unlock,
    Lock,
    ScreenOn,
    ScreenOff,
    AC,
    WiFi,
    Cellular,
    App,
    Call,
    Airplane,
    Tether,
    Settings,
    Battery,
    Notify
};

enum class AppState { Foreground, Background, Suspended, Killed };

struct ScenarioEvent {
    double at = 0.0;  // seconds from t = 0
    EventKind kind = EventKind::Unlock;
    std::string place;  // JSON pointer of the event, for messages

    bool on = false;                     // ac, call ("active"), airplane, tether
    std::optional<std::string> network;  // wifi: none when the phone leaves every network
    int bars = 3;                        // wifi, cellular (0: no service)
    std::string bundle;                  // app
    AppState state = AppState::Foreground;
    plist::Dictionary set;  // settings
    double percent = 0.0;   // battery
    std::string name;       // notify
};

struct ScenarioApp {
    std::string bundle;
    std::string name;
    // Seconds between the application's persistent-connection wake events.
    std::optional<double> wakeEvery;
    // The application plays audio while it runs in the background, which
    // keeps the system awake and streams over the network.
    bool audio = false;
    // The application uses location while it runs in the foreground.
    bool location = false;
    // The application wants the network while the user works in it.
    bool network = true;
    // An alarm clock: its wake events are never deferred by the system.
    bool alarm = false;
};

struct Scenario {
    std::string name;    // optional label
    double start = 0.0;  // wall-clock time of t = 0, seconds since 1970
    double duration = 0.0;
    // The device profile: a built-in name or the path of a JSON file
    // (relative to the scenario's folder); empty: the default profile.
    std::string profile;

    struct Device {
        std::string machine = "iPhone6,1";
        std::string systemVersion = "8.1";
        std::vector<platform::DataRate> dataRates{std::begin(kDataRates), std::end(kDataRates)};
        bool lowPowerMode = true;  // the low-power-mode class exists
    } device;

    struct Battery {
        std::optional<double> designCapacity;  // mAh; none: the profile's
        double startPercent = 100.0;
    } battery;

    // Each of kScenarioRadios, on or off at t = 0.
    std::map<Radio, bool> radios{{Radio::WiFi, true},
                                 {Radio::Edge, true},
                                 {Radio::Bluetooth, false},
                                 {Radio::Location, true},
                                 {Radio::Push, true}};

    // The settings file written before start-up; none: no settings file.
    std::optional<plist::Dictionary> settings;
    struct Lists {
        std::optional<plist::Dictionary> shutdown, keep, delay;
    } lists;

    std::vector<ScenarioApp> apps;
    std::vector<ScenarioEvent> events;

    // Reads a scenario; throws ScenarioError.
    static Scenario parse(std::string_view json);
    static Scenario load(const std::filesystem::path& file);

    // One event given while the phone runs: the same object as an entry of
    // "events", except that "at" may be left out (then it is `now`); a time
    // already past is taken as `now` (`askedAt`, when given, receives the
    // time asked for). `place` names it in messages. Throws ScenarioError.
    ScenarioEvent parseEvent(std::string_view json, double now, const std::string& place,
                             double* askedAt = nullptr) const;

    const ScenarioApp* app(std::string_view bundle) const;
    // The strategy the settings choose (Normal when they do not say, or name
    // no strategy: the engine keeps Normal then).
    std::int32_t strategyNumber() const;
};

// Names used in the format and in traces.
std::string_view eventKindName(EventKind kind);
std::string_view appStateName(AppState state);

// "2027-01-15T08:30:00Z" and the like, UTC; none when malformed.
std::optional<double> parseIso8601(std::string_view text);
std::string formatIso8601(double secondsSince1970);

// The text of --help that describes the format.
std::string_view scenarioFormatHelp();

}  // namespace corvane::sim
