#pragma once
// Runs one simulated day in a child process (an engine lives as long as its
// process) and hands back its summary and its trace.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/IsolatedRun.h"
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

inline std::vector<nlohmann::json> readTrace(const std::filesystem::path& file) {
    std::vector<nlohmann::json> lines;
    std::ifstream in(file);
    for (std::string line; std::getline(in, line);) lines.push_back(nlohmann::json::parse(line));
    return lines;
}

// `folder` receives the phone's root ("root") and the trace.
inline SimulatedDay simulateInChild(const sim::Scenario& scenario, const std::filesystem::path& folder,
                                    std::optional<std::int32_t> strategy = std::nullopt) {
    SimulatedDay day;
    day.root = folder / "root";
    sim::RunOptions options;
    options.root = day.root;
    options.trace = folder / "trace.jsonl";
    options.strategy = strategy;
    options.engine = CORVANE_ENGINE_LIBRARY;
    try {
        day.summary = sim::IsolatedRun::run(scenario, options);
    } catch (const sim::SimulationError& error) {
        ADD_FAILURE() << "simulation failed: " << error.what();
    }
    day.trace = readTrace(*options.trace);
    return day;
}

}  // namespace corvane::testing
