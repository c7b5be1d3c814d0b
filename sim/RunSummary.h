#pragma once
// What one simulated run measured, and how it is shown: as text, as one JSON
// object, and side by side with other runs (--compare).

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/PowerModel.h"

namespace corvane::sim {

struct RunSummary {
    std::string scenario;
    std::int32_t strategy = 2;
    std::string strategyName;
    bool osBatching = false;  // no saver loaded; the platform batches wake events
    bool noSaver = false;     // no saver loaded and no batching: the reference for "saved"
    std::string profile;
    double simulatedSeconds = 0.0;
    double wallSeconds = 0.0;

    // The headline: what the day took from the battery.
    double energyFromBattery = 0.0;  // joules
    double batteryEnergy = 0.0;      // joules in a full battery
    double batteryLowestPercent = 0.0;
    std::optional<double> meanDrawOnBattery;  // mW, while the phone ran on its battery
    double userTrafficWithoutNetworkMinutes = 0.0;

    double batteryStartPercent = 0.0;
    double batteryEndPercent = 0.0;
    std::optional<double> batteryEmptyAt;          // seconds from start
    std::array<double, kComponentCount> energy{};  // joules
    double lowPowerModeSaved = 0.0;                // joules
    // Parts of the WiFi and cellular energy: one-off joins, attaches and
    // registrations, and transfers (above the radio's idle draw), joules.
    double joinEnergy = 0.0;
    double transferEnergy = 0.0;
    double totalEnergy = 0.0;  // joules

    double radioOffHours = 0.0;  // WiFi and cellular data both off
    std::map<std::string, double> radioOffHoursByRadio;

    int backgroundWakes = 0;  // power-ons for scheduled events
    int engineWakes = 0;      // ... of which the engine's own
    int userWakes = 0;        // power-ons for the user or the world
    int sleepsRefused = 0;
    long long rowsWritten = 0;
    // Other applications' wake events that came due during the run: fired
    // and delivered (got the network), fired and still without network at
    // the end, and never fired (held past the end, wherever they were moved).
    std::size_t appEventsFired = 0;
    std::size_t delivered = 0;
    std::size_t undelivered = 0;
    std::size_t neverFired = 0;
    double deliveryDelayMean = 0.0;   // seconds, over every due wake (those still waiting up to the end)
    double deliveryDelayWorst = 0.0;  // seconds
    std::size_t alerts = 0;
    std::size_t radioSwitches = 0;
    std::size_t debugLines = 0;
    nlohmann::ordered_json timeline;  // DayTimeline, when recorded

    std::size_t wakeEventsDue() const { return appEventsFired + neverFired; }
    std::size_t neverDelivered() const { return undelivered + neverFired; }
    double percentOfCapacity() const { return batteryEnergy > 0.0 ? 100.0 * energyFromBattery / batteryEnergy : 0.0; }
    // How long a full battery would last at the day's mean draw on battery, hours.
    std::optional<double> hoursAtMeanDraw() const;

    nlohmann::ordered_json toJson() const;
    static RunSummary fromJson(const nlohmann::json& json);
    std::string toText() const;
};

// The --compare table: one column per run; the run without any saver (and
// the OS batching run) are the references for "saved". Under the table, one
// line per run says where its energy went against the no-saver run.
std::string comparisonTable(const std::vector<RunSummary>& runs);
// What a run spent more (+) or less (-) than the reference, joules: the
// system awake and asleep (wakes), joins and attaches, the radios while idle,
// and transfers; the four add up to the difference in all energy used.
struct EnergyDifference {
    double wakes = 0.0;
    double joinsAndAttaches = 0.0;
    double idleRadios = 0.0;
    double transfers = 0.0;
    double total() const { return wakes + joinsAndAttaches + idleRadios + transfers; }
};
EnergyDifference energyDifference(const RunSummary& run, const RunSummary& reference);
nlohmann::ordered_json comparisonJson(const std::vector<RunSummary>& runs);

std::string strategyName(std::int32_t number);
// The column of the phone without any saver, batching wake events itself.
inline constexpr std::string_view kOSBatchingName = "OS batching";
// The column of the phone without any saver and without batching.
inline constexpr std::string_view kNoSaverName = "no saver";

}  // namespace corvane::sim
