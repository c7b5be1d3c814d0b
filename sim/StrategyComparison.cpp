#include "sim/StrategyComparison.h"

#include <deque>
#include <memory>

#include "sim/IsolatedRun.h"
#include "sim/PhoneLayout.h"

namespace corvane::sim {

std::string StrategyComparison::Column::name() const {
    if (osBatching) return std::string(kOSBatchingName);
    if (noSaver) return std::string(kNoSaverName);
    return strategyName(strategy);
}

std::vector<StrategyComparison::Column> StrategyComparison::columnsFor(const Scenario& scenario) {
    std::vector<Column> columns{{0, false, true}, {0, true}, {0}, {1}, {2}, {3}, {4}};
    if (scenario.strategyNumber() == 5) columns.push_back({5});
    return columns;
}

namespace {
// "OS batching" becomes "OS-batching" in file names.
std::string fileName(std::string name) {
    for (char& c : name) {
        if (c == ' ') c = '-';
    }
    return name;
}
}  // namespace

std::filesystem::path StrategyComparison::traceFor(const std::filesystem::path& trace, const std::string& column) {
    const std::string name = fileName(column);
    std::filesystem::path named = trace;
    named.replace_filename(trace.stem().string() + "." + name + trace.extension().string());
    return named;
}

std::vector<RunSummary> StrategyComparison::run(const Scenario& scenario, const RunOptions& options, unsigned parallel,
                                                const Progress& progress) {
    if (auto error = PhoneLayout::prepareRoot(options.root)) throw SimulationError(*error);
    if (parallel == 0) parallel = 1;
    const std::vector<Column> columns = columnsFor(scenario);
    // Up to `parallel` runs at a time, each in a process of its own,
    // collected in the order they started.
    std::deque<std::pair<std::size_t, std::unique_ptr<IsolatedRun>>> running;
    std::vector<RunSummary> summaries(columns.size());
    std::size_t done = 0;
    auto report = [&] {
        if (!progress) return;
        std::vector<std::string> names;
        for (const auto& [index, run] : running) names.push_back(columns[index].name());
        progress(names, done, columns.size());
    };
    auto finishOldest = [&] {
        auto& [index, run] = running.front();
        summaries[index] = run->finish(columns[index].name());
        running.pop_front();
        ++done;
        report();
    };
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (running.size() >= parallel) finishOldest();
        RunOptions child = options;
        child.progress = {};
        const std::string name = columns[i].name();
        child.root = options.root / fileName(name);
        child.strategy = columns[i].strategy;
        child.osBatching = columns[i].osBatching;
        child.noSaver = columns[i].noSaver;
        if (options.trace) child.trace = traceFor(*options.trace, name);
        running.emplace_back(i, std::make_unique<IsolatedRun>(scenario, child));
        report();
    }
    while (!running.empty()) finishOldest();
    return summaries;
}

}  // namespace corvane::sim
