#include "sim/EngineIo.h"

#include <cstdio>
#include <sstream>

#include "sim/Rounding.h"
#include "sim/RunSummary.h"

namespace corvane::sim {

namespace {

double perHour(long long count, double simulatedSeconds) {
    return simulatedSeconds > 0.0 ? static_cast<double>(count) * 3600.0 / simulatedSeconds : 0.0;
}

std::string cell(const IoCounts& counts) {
    return std::to_string(counts.fileWrites) + "/" + std::to_string(counts.flushes) + "/" +
           std::to_string(counts.transactions);
}

std::string meanCell(const IoCounts& counts, double simulatedSeconds) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f/%.1f/%.1f", perHour(counts.fileWrites, simulatedSeconds),
                  perHour(counts.flushes, simulatedSeconds), perHour(counts.transactions, simulatedSeconds));
    return text;
}

}  // namespace

IoCounts EngineIo::total() const {
    IoCounts sum;
    for (const IoCounts& counts : byHourOfDay) sum += counts;
    return sum;
}

nlohmann::ordered_json EngineIo::toJson(double simulatedSeconds) const {
    const IoCounts sum = total();
    nlohmann::ordered_json hours = nlohmann::ordered_json::array();
    for (std::size_t hour = 0; hour < byHourOfDay.size(); ++hour) {
        const IoCounts& counts = byHourOfDay[hour];
        hours.push_back({{"hour", hour},
                         {"fileWrites", counts.fileWrites},
                         {"flushes", counts.flushes},
                         {"transactions", counts.transactions}});
    }
    return {{"fileWrites", sum.fileWrites},
            {"flushes", sum.flushes},
            {"transactions", sum.transactions},
            {"failedTransactions", sum.failedTransactions},
            {"perSimulatedHour",
             {{"fileWrites", round1(perHour(sum.fileWrites, simulatedSeconds))},
              {"flushes", round1(perHour(sum.flushes, simulatedSeconds))},
              {"transactions", round1(perHour(sum.transactions, simulatedSeconds))}}},
            {"byHourOfDay", hours}};
}

EngineIo EngineIo::fromJson(const nlohmann::json& json) {
    EngineIo io;
    if (!json.is_object()) return io;
    if (json.contains("byHourOfDay") && json["byHourOfDay"].is_array()) {
        for (const auto& entry : json["byHourOfDay"]) {
            const std::size_t hour = entry.value("hour", std::size_t{0});
            if (hour >= io.byHourOfDay.size()) continue;
            io.byHourOfDay[hour].fileWrites = entry.value("fileWrites", 0LL);
            io.byHourOfDay[hour].flushes = entry.value("flushes", 0LL);
            io.byHourOfDay[hour].transactions = entry.value("transactions", 0LL);
        }
    }
    // The failures are kept in the total only.
    io.byHourOfDay[0].failedTransactions = json.value("failedTransactions", 0LL);
    return io;
}

std::string EngineIo::toText(double simulatedSeconds) const {
    const IoCounts sum = total();
    std::ostringstream out;
    out << "Engine's own I/O: " << sum.fileWrites << " file writes, " << sum.flushes << " flushes, " << sum.transactions
        << " database transactions (" << meanCell(sum, simulatedSeconds) << " per simulated hour)";
    if (sum.failedTransactions > 0) out << "; " << sum.failedTransactions << " database writes failed";
    out << "\n";
    return out.str();
}

std::string engineIoTable(const std::vector<RunSummary>& runs) {
    std::ostringstream out;
    char text[64];
    auto row = [&](const std::string& label, auto value) {
        std::snprintf(text, sizeof text, "%-30s", label.c_str());
        out << text;
        for (const RunSummary& run : runs) {
            std::snprintf(text, sizeof text, "%18s", value(run).c_str());
            out << text;
        }
        out << "\n";
    };
    out << "\nThe engine's own I/O: file writes/flushes/database transactions\n";
    row("hour of the day (UTC)", [](const RunSummary& r) { return r.strategyName; });
    for (std::size_t hour = 0; hour < 24; ++hour) {
        std::snprintf(text, sizeof text, "  %02zu", hour);
        row(text, [hour](const RunSummary& r) { return cell(r.engineIo.byHourOfDay[hour]); });
    }
    row("whole run", [](const RunSummary& r) { return cell(r.engineIo.total()); });
    row("per simulated hour", [](const RunSummary& r) { return meanCell(r.engineIo.total(), r.simulatedSeconds); });
    row("database writes that failed",
        [](const RunSummary& r) { return std::to_string(r.engineIo.total().failedTransactions); });
    return out.str();
}

}  // namespace corvane::sim
