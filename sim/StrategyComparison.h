#pragma once
// --compare: the scenario once per strategy (None, iMessage, Normal,
// Aggressive, Ultimate, and the scenario's own when it is Custom), each on a
// fresh root of its own (a folder named after the strategy under the given
// root) and in a child process of its own, since an engine lives as long as
// its process.

#include <cstdint>
#include <filesystem>
#include <vector>

#include "sim/RunSummary.h"
#include "sim/Scenario.h"
#include "sim/SimulationRun.h"

namespace corvane::sim {

class StrategyComparison {
public:
    static std::vector<std::int32_t> strategiesFor(const Scenario& scenario);
    // The trace file of one strategy: "day.jsonl" becomes "day.Normal.jsonl".
    static std::filesystem::path traceFor(const std::filesystem::path& trace, std::int32_t strategy);
    // Runs every strategy, at most `parallel` at a time; throws
    // SimulationError when a run fails.
    static std::vector<RunSummary> run(const Scenario& scenario, const RunOptions& options, unsigned parallel = 2);
};

}  // namespace corvane::sim
