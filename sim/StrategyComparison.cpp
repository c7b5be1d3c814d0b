#include "sim/StrategyComparison.h"

#include <deque>
#include <map>
#include <memory>
#include <string>

#include "sim/IsolatedRun.h"
#include "sim/PhoneLayout.h"

namespace corvane::sim {

std::vector<std::int32_t> StrategyComparison::strategiesFor(const Scenario& scenario) {
    std::vector<std::int32_t> strategies{0, 1, 2, 3, 4};
    if (scenario.strategyNumber() == 5) strategies.push_back(5);
    return strategies;
}

std::filesystem::path StrategyComparison::traceFor(const std::filesystem::path& trace, std::int32_t strategy) {
    std::filesystem::path named = trace;
    named.replace_filename(trace.stem().string() + "." + strategyName(strategy) + trace.extension().string());
    return named;
}

std::vector<RunSummary> StrategyComparison::run(const Scenario& scenario, const RunOptions& options, unsigned parallel) {
    if (auto error = PhoneLayout::prepareRoot(options.root)) throw SimulationError(*error);
    if (parallel == 0) parallel = 1;
    const std::vector<std::int32_t> strategies = strategiesFor(scenario);
    // Up to `parallel` runs at a time, each in a process of its own,
    // collected in the order they started.
    std::deque<std::pair<std::int32_t, std::unique_ptr<IsolatedRun>>> running;
    std::map<std::int32_t, RunSummary> summaries;
    auto finishOldest = [&] {
        auto& [strategy, run] = running.front();
        summaries.emplace(strategy, run->finish(strategyName(strategy)));
        running.pop_front();
    };
    for (const std::int32_t strategy : strategies) {
        if (running.size() >= parallel) finishOldest();
        RunOptions child = options;
        child.root = options.root / strategyName(strategy);
        child.strategy = strategy;
        if (options.trace) child.trace = traceFor(*options.trace, strategy);
        running.emplace_back(strategy, std::make_unique<IsolatedRun>(scenario, child));
    }
    while (!running.empty()) finishOldest();

    std::vector<RunSummary> ordered;
    for (std::int32_t strategy : strategies) ordered.push_back(summaries.at(strategy));
    return ordered;
}

}  // namespace corvane::sim
