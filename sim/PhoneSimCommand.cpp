#include "sim/PhoneSimCommand.h"

#include <cstdlib>
#include <optional>
#include <thread>

#include "shared/Paths.h"
#include "sim/LiveRun.h"
#include "sim/RunSummary.h"
#include "sim/Scenario.h"
#include "sim/SimulationRun.h"
#include "sim/StrategyComparison.h"

namespace corvane::sim {

std::string PhoneSimCommand::help() {
    return std::string(R"(usage: phonesim [--root DIR] [--trace FILE] [--json] [--compare] SCENARIO.json
       phonesim --live [--speed N] [--root DIR] [--trace FILE] [--json] SCENARIO.json

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
                  each on a fresh root in a child process of its own, and print
                  a table side by side.
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

Summary: battery percent at the end, energy per component, hours with the data
radios off, background wakes, statistics rows written, and the delivery delay of
other applications' wake events (mean and worst: how long each waited beyond its
own time for the network).

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
        } else if (argument == "--echo-log") {
            options.echoLog = true;
        } else if (argument == "--root" || argument == "--trace" || argument == "--engine") {
            auto given = value();
            if (!given || given->empty()) return usageError(argument + " needs a value");
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
    if (!scenarioFile) return usageError("no scenario given");
    if (live && compare) return usageError("--live runs one phone; it cannot be combined with --compare");
    if (speed && !live) return usageError("--speed goes with --live");

    // The scenario is read whole and checked before anything is written.
    Scenario scenario;
    try {
        scenario = Scenario::load(*scenarioFile);
    } catch (const ScenarioError& error) {
        err << "phonesim: " << scenarioFile->string() << ": " << error.what() << "\n";
        return kBadInput;
    }
    if (scenario.name.empty()) scenario.name = scenarioFile->stem().string();
    options.root = root.value_or(paths::root());

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
            const std::vector<RunSummary> runs = StrategyComparison::run(scenario, options, std::min(cores, 2u));
            if (json) {
                out << comparisonJson(runs).dump(2) << "\n";
            } else {
                out << comparisonTable(runs);
            }
        } else {
            const RunSummary summary = SimulationRun::run(scenario, options);
            if (json) {
                out << summary.toJson().dump(2) << "\n";
            } else {
                out << summary.toText();
            }
        }
    } catch (const SimulationError& error) {
        err << "phonesim: " << error.what() << "\n";
        return kRunFailed;
    }
    out.flush();
    return kSuccess;
}

}  // namespace corvane::sim
