#pragma once
// --compare: the scenario once per column (no saver, OS batching, None,
// iMessage, Normal, Aggressive, Ultimate, and the scenario's own when it is
// Custom),
// each on a fresh root of its own (a folder named after the column under the
// given root) and in a child process of its own, since an engine lives as
// long as its process.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "sim/RunSummary.h"
#include "sim/Scenario.h"
#include "sim/SimulationRun.h"

namespace corvane::sim {

class StrategyComparison {
public:
    struct Column {
        std::int32_t strategy;
        bool osBatching = false;  // no saver loaded; the platform batches wake events
        bool noSaver = false;     // no saver loaded and no batching: the reference
        std::string name() const;
    };
    // Told which runs are under way and how many have finished.
    using Progress = std::function<void(const std::vector<std::string>& running, std::size_t done, std::size_t total)>;

    static std::vector<Column> columnsFor(const Scenario& scenario);
    // The trace file of one column: "day.jsonl" becomes "day.Normal.jsonl".
    static std::filesystem::path traceFor(const std::filesystem::path& trace, const std::string& column);
    // Runs every column, at most `parallel` at a time; throws
    // SimulationError when a run fails.
    static std::vector<RunSummary> run(const Scenario& scenario, const RunOptions& options, unsigned parallel = 2,
                                       const Progress& progress = {});
};

}  // namespace corvane::sim
