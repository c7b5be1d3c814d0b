#pragma once
// Runs one simulated day in a child process (an engine lives as long as its
// process) and hands back its summary and its trace.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/RunSummary.h"
#include "sim/Scenario.h"
#include "sim/SimulationRun.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {

struct SimulatedDay {
    sim::RunSummary summary;
    std::vector<nlohmann::json> trace;
    std::filesystem::path root;

    // Trace lines that have every given field with the given value.
    std::vector<nlohmann::json> lines(const nlohmann::json& match) const {
        std::vector<nlohmann::json> found;
        for (const nlohmann::json& line : trace) {
            bool all = true;
            for (auto it = match.begin(); it != match.end() && all; ++it) {
                all = line.contains(it.key()) && line[it.key()] == it.value();
            }
            if (all) found.push_back(line);
        }
        return found;
    }
};

// The runs write a statistics row every 30 s of virtual time; a root in
// memory keeps the disk's flushes from dominating the test's time.
class MemoryBackedTemporaryRoot {
public:
    MemoryBackedTemporaryRoot() : environment_({"TMPDIR"}) {
        std::error_code error;
        if (std::filesystem::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0) {
            ::setenv("TMPDIR", "/dev/shm", 1);
        }
        root_.emplace();
    }
    const std::filesystem::path& path() const { return root_->path(); }

private:
    SavedEnvironment environment_;
    std::optional<TemporaryRoot> root_;
};

inline std::vector<nlohmann::json> readTrace(const std::filesystem::path& file) {
    std::vector<nlohmann::json> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
}

// `folder` receives the phone's root ("root"), the trace and the summary.
inline SimulatedDay simulateInChild(const sim::Scenario& scenario, const std::filesystem::path& folder,
                                    std::optional<std::int32_t> strategy = std::nullopt) {
    SimulatedDay day;
    day.root = folder / "root";
    const std::filesystem::path trace = folder / "trace.jsonl";
    const std::filesystem::path summary = folder / "summary.json";
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        int status = 0;
        try {
            sim::RunOptions options;
            options.root = day.root;
            options.trace = trace;
            options.strategy = strategy;
            options.engine = CORVANE_ENGINE_LIBRARY;
            std::ofstream(summary) << sim::SimulationRun::run(scenario, options).toJson().dump();
        } catch (const std::exception& error) {
            std::fprintf(stderr, "simulation failed: %s\n", error.what());
            status = 1;
        }
        std::fflush(nullptr);
        _exit(status);
    }
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the simulation's process failed";
    std::ifstream in(summary);
    if (in) day.summary = sim::RunSummary::fromJson(nlohmann::json::parse(in));
    day.trace = readTrace(trace);
    return day;
}

}  // namespace corvane::testing
