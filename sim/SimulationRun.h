#pragma once
// One simulated phone day in this process: a fresh root is laid out, the
// phone is built, the engine library is loaded into it with dlopen, the
// scenario runs in virtual time and the summary comes back. An engine lives
// as long as its process, so a process runs at most one simulation; more
// runs need child processes (StrategyComparison).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "sim/RunSummary.h"
#include "sim/Scenario.h"

namespace corvane::sim {

struct RunOptions {
    std::filesystem::path root;
    std::optional<std::filesystem::path> trace;
    // Chooses the strategy whatever the scenario's settings say.
    std::optional<std::int32_t> strategy;
    std::filesystem::path engine;
    // Copy the engine's debug lines to standard error.
    bool echoLog = false;
    // No saver (the engine is not loaded), with the platform's own batching
    // of other applications' wake events.
    bool osBatching = false;
    // No saver at all: the engine is not loaded and nothing batches.
    bool noSaver = false;
    // Record the day's timeline (for plots) in the summary.
    bool timeline = false;
    // Told now and then how far the run is (0-1).
    std::function<void(double)> progress;
};

// A run that could not be set up (root, trace file, engine library).
class SimulationError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class PhoneHost;
class PowerModel;

// A phone ready for its day: the engine loaded, and the power model that
// prices what the phone does. Both live as long as the process.
struct PreparedPhone {
    PhoneHost& host;
    const PowerModel& model;
};

class SimulationRun {
public:
    static RunSummary run(const Scenario& scenario, const RunOptions& options);

    // The steps of a run before the day: lays out a fresh root, builds the
    // phone (it lives as long as the process), loads the engine into it and
    // builds the scenario's power model. Throws SimulationError.
    static PreparedPhone prepare(const Scenario& scenario, const RunOptions& options);
};

}  // namespace corvane::sim
