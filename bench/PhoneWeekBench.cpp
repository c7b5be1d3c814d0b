// A seven-day scenario (scenarios/week.json) on the simulated phone with the
// engine library loaded, as phonesim runs it: how many simulated seconds pass
// per second of wall time. Each run happens in a child process of its own
// (an engine lives as long as its process), on a fresh root in memory
// (/dev/shm when it exists) so that the disk's flushes do not dominate.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "sim/IsolatedRun.h"
#include "sim/Scenario.h"
#include "sim/SimulationRun.h"

namespace {

std::filesystem::path scratchFolder() {
    std::error_code error;
    const std::filesystem::path shm = "/dev/shm";
    const std::filesystem::path base =
        std::filesystem::is_directory(shm, error) ? shm : std::filesystem::temp_directory_path();
    std::string pattern = (base / "phonesim-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) return {};
    return pattern;
}

void BM_SevenDayScenario(benchmark::State& state) {
    const corvane::sim::Scenario week =
        corvane::sim::Scenario::load(std::filesystem::path(CORVANE_SCENARIOS) / "week.json");
    const std::filesystem::path folder = scratchFolder();
    double simulated = 0.0;
    double wall = 0.0;
    double engineWall = 0.0;
    for (auto _ : state) {
        corvane::sim::RunOptions options;
        options.root = folder / "root";
        options.engine = CORVANE_ENGINE_LIBRARY;
        const auto begin = std::chrono::steady_clock::now();
        corvane::sim::RunSummary result;
        try {
            result = corvane::sim::IsolatedRun::run(week, options);
        } catch (const corvane::sim::SimulationError& error) {
            state.SkipWithError(error.what());
            break;
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        state.SetIterationTime(seconds);
        simulated += result.simulatedSeconds;
        engineWall += result.wallSeconds;
        wall += seconds;
    }
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    state.counters["simulated_s_per_wall_s"] = wall > 0.0 ? simulated / wall : 0.0;
    state.counters["wall_s_per_week"] = state.iterations() > 0 ? wall / static_cast<double>(state.iterations()) : 0.0;
    state.counters["run_loop_s_per_week"] =
        state.iterations() > 0 ? engineWall / static_cast<double>(state.iterations()) : 0.0;
}
BENCHMARK(BM_SevenDayScenario)->UseManualTime()->Unit(benchmark::kSecond)->Iterations(3);

}  // namespace
