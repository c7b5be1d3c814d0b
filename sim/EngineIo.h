#pragma once
// The engine's own I/O over one run, as phonesim reports it: file writes,
// flushes and database write transactions by hour of the day, beside what
// the saver saves.

#include <array>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/EngineIoMeter.h"

namespace corvane::sim {

struct RunSummary;

struct EngineIo {
    std::array<IoCounts, 24> byHourOfDay{};  // UTC hours, summed over the run's days

    IoCounts total() const;
    nlohmann::ordered_json toJson(double simulatedSeconds) const;
    static EngineIo fromJson(const nlohmann::json& json);
    // One line for the report of a run.
    std::string toText(double simulatedSeconds) const;
};

// The --compare block: one column per run, a row per hour of the day with
// "file writes/flushes/transactions", then the means per simulated hour and
// the database writes that failed.
std::string engineIoTable(const std::vector<RunSummary>& runs);

}  // namespace corvane::sim
