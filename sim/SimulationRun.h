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

class SimulationRun {
public:
    static RunSummary run(const Scenario& scenario, const RunOptions& options);
};

}  // namespace corvane::sim
