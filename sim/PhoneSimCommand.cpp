#include "sim/PhoneSimCommand.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <thread>

#include "shared/Paths.h"
#include "sim/DayPlot.h"
#include "sim/DeviceProfile.h"
#include "sim/LiveRun.h"
#include "sim/ProfileValidation.h"
#include "sim/ProgressLine.h"
#include "sim/RunSummary.h"
#include "sim/Scenario.h"
#include "sim/SimulationRun.h"
#include "sim/StrategyComparison.h"

namespace corvane::sim {

namespace {

// "phone-2013 (the default), linux-phone-2020"
std::string builtInProfiles() {
    std::string names;
    for (const std::string& name : DeviceProfile::bundledNames()) {
        names += (names.empty() ? "" : ", ") + name;
        if (name == DeviceProfile::kDefaultName) names += " (the default)";
    }
    return names;
}

}  // namespace

std::string PhoneSimCommand::help() {
    return std::string(R"(usage: phonesim [--root DIR] [--trace FILE] [--json] [--compare] [--plot FILE]
                 [--profile NAME|FILE] SCENARIO.json
       phonesim --live [--speed N] [--root DIR] [--trace FILE] [--json] SCENARIO.json
       phonesim --validate [--profile NAME|FILE] [--json]

Runs a phone day in virtual time on a simulated phone that loads the engine
library (libCorvane.so) with dlopen, and prints what it cost and saved.

Options:
  --root DIR      filesystem root of the simulated phone; every engine file lands
                  under it as on the phone (default: $CORVANE_ROOT, else
                  $XDG_DATA_HOME/corvane/device, else ~/.local/share/corvane/device).
                  The root is emptied first; a non-empty folder that phonesim did
                  not lay out is refused. With --compare each strategy gets a
                  fresh root DIR/<Strategy>.
  --trace FILE    write JSON Lines, one object per happening with its virtual
                  time "t" (seconds from start): radio switches
                  {"radio": "wifi"|"edge"|"bluetooth"|"location"|"push"|"lowPowerMode", "on"}
                  and speed changes {"radio": "speed", "speed": "2G"|"3G"|"4G"},
                  power messages {"power", "code"} and their answers
                  {"power", "answer": "allowed"|"cancelled"}, scheduled power event
                  changes {"scheduled": "added"|"removed", "by", "type", "at"}, alerts
                  {"alert", "message"}, engine debug lines {"log"}, and the phone's
                  own steps ({"event"}, {"system"}, {"wifiLink"}, {"appWake"},
                  {"delivered"}). With --compare, one file per strategy:
                  FILE with the strategy's name before its extension.
  --json          print the summary (or the comparison) as one JSON object.
  --compare       run the scenario once per strategy (None, iMessage, Normal,
                  Aggressive, Ultimate, and the scenario's own when it is Custom),
                  once as "no saver" (the engine not loaded, nothing batched: the
                  reference of every "saved" row) and once as "OS batching" (no
                  saver; the platform defers other applications' wake events to
                  maintenance windows 1 h, 2 h, 4 h, then every 6 h into an idle
                  spell; alarm clocks exempt), each on a fresh root in a child
                  process of its own, and print a table side by side; under it,
                  one line per run says where its energy went against the
                  no-saver phone (wakes, joins and attaches, idle radios,
                  transfers). On a terminal, progress goes to standard error.
  --plot FILE     draw the charge over the day (one line per run with --compare),
                  the WiFi and cellular states as bands under it and the
                  background wakes as ticks, into FILE (.png or .svg; needs
                  python3 with matplotlib).
  --profile P     the device profile (a built-in name or a .json file) instead of
                  the scenario's; built in: )" +
                       builtInProfiles() + R"(.
  --validate      run each use the profile is rated for (standby, talk, web on
                  WiFi, LTE and 3G, video, audio) and print the model's hours
                  beside the rating, with the ratio; rows marked "fitted" set
                  the profile's figures, "predicted" rows did not. Without
                  --profile (or a scenario), every built-in profile.
  --live          run the phone in real time, for other processes to talk to:
                  Darwin notifications travel over the D-Bus session bus
                  (without one they stay inside the phone, said in one line),
                  events come as JSON lines on standard input (the objects of
                  "events"; "at" may be left out: now), and the trace streams
                  to standard output (or FILE) as it happens, with
                  {"system": "live"} once the phone listens and
                  {"notification"} for each notification heard. Ends at the
                  end of the scenario, at the end of input or at Ctrl-C,
                  prints the summary and leaves the root as it is.
  --speed N       with --live: N times faster than real time (default 1).
  --engine LIB    the engine library to load (default: the one built with phonesim).
  --echo-log      copy the engine's debug lines to standard error.
  --help          this text.

Summary: the energy drawn from the battery (joules and % of its capacity), the
lowest charge, how long a full battery would last at the day's mean draw on
battery, the minutes in which the user's applications wanted the network and
had none, energy per component, hours with the data radios off, background
wakes, statistics rows written, the delivery delay of other applications' wake
events (mean and worst: how long each waited beyond its own time for the
network, counting every event that came due, those never delivered with their
wait up to the end) and how many were never delivered, and the battery at the
end. While on AC the phone's own draw comes
out of the adapter's charge current.

Exit status: 0 done, 1 a run failed, 2 bad command line or bad scenario.

)") + std::string(scenarioFormatHelp());
}

int PhoneSimCommand::run(const std::vector<std::string>& arguments, const std::filesystem::path& engine,
                         std::ostream& out, std::ostream& err) {
    std::optional<std::filesystem::path> root;
    std::optional<std::filesystem::path> scenarioFile;
    RunOptions options;
    options.engine = engine;
    bool json = false;
    bool compare = false;
    bool live = false;
    std::optional<double> speed;
    bool validate = false;
    std::optional<std::string> profileName;
    std::optional<std::filesystem::path> plot;

    auto usageError = [&](const std::string& message) {
        err << "phonesim: " << message << "\n(phonesim --help describes the options and the scenario format)\n";
        return kBadInput;
    };

    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= arguments.size()) return std::nullopt;
            return arguments[++i];
        };
        if (argument == "--help" || argument == "-h") {
            out << help();
            return kSuccess;
        } else if (argument == "--json") {
            json = true;
        } else if (argument == "--compare") {
            compare = true;
        } else if (argument == "--live") {
            live = true;
        } else if (argument == "--speed") {
            auto given = value();
            char* end = nullptr;
            const double n = given ? std::strtod(given->c_str(), &end) : 0.0;
            if (!given || given->empty() || *end != '\0' || !(n > 0.0) || n > 1e6) {
                return usageError("--speed needs a number above 0 and at most 1000000");
            }
            speed = n;
        } else if (argument == "--validate") {
            validate = true;
        } else if (argument == "--echo-log") {
            options.echoLog = true;
        } else if (argument == "--root" || argument == "--trace" || argument == "--engine" || argument == "--profile" ||
                   argument == "--plot") {
            auto given = value();
            if (!given || given->empty()) return usageError(argument + " needs a value");
            if (argument == "--profile") profileName = *given;
            if (argument == "--plot") plot = *given;
            if (argument == "--root") root = *given;
            if (argument == "--trace") options.trace = *given;
            if (argument == "--engine") options.engine = *given;
        } else if (!argument.empty() && argument[0] == '-') {
            return usageError("unknown option " + argument);
        } else if (scenarioFile) {
            return usageError("one scenario at a time (" + scenarioFile->string() + " and " + argument + ")");
        } else {
            scenarioFile = argument;
        }
    }
    if (!scenarioFile && !validate) return usageError("no scenario given");
    if (live && (compare || validate))
        return usageError("--live runs one phone; it cannot be combined with --compare or --validate");
    if (speed && !live) return usageError("--speed goes with --live");
    if (plot) {
        if (validate || live)
            return usageError("--plot draws a scenario's day in virtual time, not --validate or --live");
        if (auto refused = DayPlot::checkFile(*plot)) return usageError(*refused);
    }

    // The scenario and its profile are read whole and checked before anything is written.
    Scenario scenario;
    if (scenarioFile) {
        try {
            scenario = Scenario::load(*scenarioFile);
        } catch (const ScenarioError& error) {
            err << "phonesim: " << scenarioFile->string() << ": " << error.what() << "\n";
            return kBadInput;
        }
    }
    if (scenario.name.empty() && scenarioFile) scenario.name = scenarioFile->stem().string();
    if (profileName) scenario.profile = *profileName;
    // --validate alone checks every built-in profile.
    std::vector<std::string> profileNames{scenario.profile};
    if (validate && !profileName && !scenarioFile) profileNames = DeviceProfile::bundledNames();
    std::vector<DeviceProfile> profiles;
    try {
        for (const std::string& name : profileNames) profiles.push_back(DeviceProfile::find(name));
    } catch (const ProfileError& error) {
        err << "phonesim: " << error.what() << "\n";
        return kBadInput;
    }
    if (validate) {
        nlohmann::ordered_json all = nlohmann::ordered_json::array();
        for (const DeviceProfile& profile : profiles) {
            const auto rows = ProfileValidation::rows(profile);
            if (json) {
                all.push_back(ProfileValidation::json(profile, rows));
            } else {
                out << (&profile == &profiles.front() ? "" : "\n") << ProfileValidation::table(profile, rows);
            }
        }
        if (json) out << (all.size() == 1 ? all.front() : all).dump(2) << "\n";
        out.flush();
        return kSuccess;
    }
    options.root = root.value_or(paths::root());
    options.timeline = plot.has_value();
    ProgressLine progress;

    std::vector<RunSummary> runs;
    try {
        if (live) {
            LiveOptions liveOptions;
            liveOptions.speed = speed.value_or(1.0);
            liveOptions.diagnostics = &err;
            const RunSummary summary = LiveRun::run(scenario, options, liveOptions);
            if (json) {
                out << summary.toJson().dump(2) << "\n";
            } else {
                out << summary.toText();
            }
        } else if (compare) {
            const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
            StrategyComparison::Progress report;
            if (progress.enabled()) {
                report = [&](const std::vector<std::string>& running, std::size_t done, std::size_t total) {
                    std::string names;
                    for (const std::string& name : running) names += (names.empty() ? "" : ", ") + name;
                    progress.show("phonesim: " + std::to_string(done) + " of " + std::to_string(total) + " runs done" +
                                  (names.empty() ? "" : "; running " + names));
                };
            }
            runs = StrategyComparison::run(scenario, options, std::min(cores, 2u), report);
            progress.clear();
            if (json) {
                out << comparisonJson(runs).dump(2) << "\n";
            } else {
                out << comparisonTable(runs);
            }
        } else {
            if (progress.enabled() && scenario.duration > 86400.0) {
                const int days = static_cast<int>(std::ceil(scenario.duration / 86400.0));
                options.progress = [&, days, shown = -1](double fraction) mutable {
                    const int percent = static_cast<int>(fraction * 100.0);
                    if (percent == shown) return;
                    shown = percent;
                    const int day = std::min(days, static_cast<int>(fraction * scenario.duration / 86400.0) + 1);
                    progress.show("phonesim: " + strategyName(options.strategy.value_or(scenario.strategyNumber())) +
                                  ", day " + std::to_string(day) + " of " + std::to_string(days) + " (" +
                                  std::to_string(percent) + " %)");
                };
            }
            runs.push_back(SimulationRun::run(scenario, options));
            progress.clear();
            RunSummary summary = runs.front();
            summary.timeline = nullptr;
            if (json) {
                out << summary.toJson().dump(2) << "\n";
            } else {
                out << summary.toText();
            }
        }
    } catch (const SimulationError& error) {
        progress.clear();
        err << "phonesim: " << error.what() << "\n";
        return kRunFailed;
    }
    if (plot) {
        if (auto failure = DayPlot::write(scenario, runs, *plot)) {
            err << "phonesim: " << *failure << "\n";
            return kRunFailed;
        }
        (json ? err : out) << "Plot written to " << plot->string() << "\n";
    }
    out.flush();
    return kSuccess;
}

}  // namespace corvane::sim
