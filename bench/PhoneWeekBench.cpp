// A seven-day scenario (scenarios/week.json) on the simulated phone with the
// engine library loaded, as phonesim runs it: how many simulated seconds pass
// per second of wall time. Each run happens in a child process of its own
// (an engine lives as long as its process), on a fresh root in memory
// (/dev/shm when it exists) so that the disk's flushes do not dominate.

#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

#include "sim/Scenario.h"
#include "sim/SimulationRun.h"

namespace {

std::filesystem::path scratchFolder() {
    std::error_code error;
    const std::filesystem::path shm = "/dev/shm";
    const std::filesystem::path base = std::filesystem::is_directory(shm, error) ? shm : std::filesystem::temp_directory_path();
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
        const std::filesystem::path summary = folder / "summary.json";
        const auto begin = std::chrono::steady_clock::now();
        std::fflush(nullptr);
        const pid_t child = fork();
        if (child == 0) {
            corvane::sim::RunOptions options;
            options.root = folder / "root";
            options.engine = CORVANE_ENGINE_LIBRARY;
            int status = 0;
            try {
                std::ofstream(summary) << corvane::sim::SimulationRun::run(week, options).toJson().dump();
            } catch (const std::exception& error) {
                std::fprintf(stderr, "%s\n", error.what());
                status = 1;
            }
            std::fflush(nullptr);
            _exit(status);
        }
        int status = 0;
        waitpid(child, &status, 0);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        state.SetIterationTime(seconds);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the simulation failed");
            break;
        }
        const nlohmann::json result = nlohmann::json::parse(std::ifstream(summary));
        simulated += result["simulatedSeconds"].get<double>();
        engineWall += result["wallSeconds"].get<double>();
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
