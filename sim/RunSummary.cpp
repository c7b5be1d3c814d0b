#include "sim/RunSummary.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "shared/SettingsCodes.h"
#include "sim/RadioNames.h"
#include "sim/Rounding.h"

namespace corvane::sim {

namespace {

std::string format(const char* pattern, double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, pattern, value);
    return buffer;
}

std::string duration(double seconds) {
    const long long whole = std::llround(seconds);
    char buffer[64];
    if (whole >= 86400) {
        std::snprintf(buffer, sizeof buffer, "%lldd %02lld:%02lld:%02lld", whole / 86400, whole % 86400 / 3600,
                      whole % 3600 / 60, whole % 60);
    } else {
        std::snprintf(buffer, sizeof buffer, "%02lld:%02lld:%02lld", whole / 3600, whole % 3600 / 60, whole % 60);
    }
    return buffer;
}

// The run without any saver, or the OS batching run.
const RunSummary* referenceRun(const std::vector<RunSummary>& runs, bool osBatching = false) {
    for (const RunSummary& run : runs) {
        if (osBatching ? run.osBatching : run.noSaver) return &run;
    }
    return nullptr;
}

double at(const RunSummary& r, Component c) { return r.energy[static_cast<std::size_t>(c)]; }

// The system itself (asleep, awake, screen, media) and the radios.
double systemEnergy(const RunSummary& r) {
    return at(r, Component::Suspended) + at(r, Component::Awake) + at(r, Component::Screen) + at(r, Component::Media);
}
double radioEnergy(const RunSummary& r) {
    return at(r, Component::WiFi) + at(r, Component::Cellular) + at(r, Component::Bluetooth) +
           at(r, Component::Location);
}

std::string savedAgainst(const RunSummary* reference, const RunSummary& run) {
    if (reference == nullptr || reference->energyFromBattery <= 0.0) return "-";
    return format("%+.1f",
                  100.0 * (reference->energyFromBattery - run.energyFromBattery) / reference->energyFromBattery);
}

// The hours the radio stayed off, as the comparison table shows them.
std::string offHours(const RunSummary& r, Radio radio) {
    auto found = r.radioOffHoursByRadio.find(std::string(radioName(radio)));
    return format("%.2f", found == r.radioOffHoursByRadio.end() ? 0.0 : found->second);
}

}  // namespace

EnergyDifference energyDifference(const RunSummary& run, const RunSummary& reference) {
    EnergyDifference d;
    d.wakes = systemEnergy(run) - systemEnergy(reference);
    d.joinsAndAttaches = run.joinEnergy - reference.joinEnergy;
    d.transfers = run.transferEnergy - reference.transferEnergy;
    d.idleRadios = radioEnergy(run) - radioEnergy(reference) - d.joinsAndAttaches - d.transfers;
    return d;
}

std::optional<double> RunSummary::hoursAtMeanDraw() const {
    if (!meanDrawOnBattery || *meanDrawOnBattery <= 0.0) return std::nullopt;
    return batteryEnergy / 3.6 / *meanDrawOnBattery;
}

std::string strategyName(std::int32_t number) {
    const std::string_view name = strategyDisplayName(number);
    return name.empty() ? "Strategy " + std::to_string(number) : std::string(name);
}

nlohmann::ordered_json RunSummary::toJson() const {
    nlohmann::ordered_json j;
    j["scenario"] = scenario;
    j["strategy"] = strategyName;
    j["strategyNumber"] = strategy;
    j["osBatching"] = osBatching;
    j["noSaver"] = noSaver;
    j["profile"] = profile;
    j["simulatedSeconds"] = round3(simulatedSeconds);
    j["wallSeconds"] = round3(wallSeconds);
    const auto hours = hoursAtMeanDraw();
    j["battery"] = {{"energyDrawnJoules", round3(energyFromBattery)},
                    {"percentOfCapacity", round3(percentOfCapacity())},
                    {"fullJoules", round3(batteryEnergy)},
                    {"lowestPercent", round3(batteryLowestPercent)},
                    {"meanDrawOnBatteryMilliwatts",
                     meanDrawOnBattery ? nlohmann::ordered_json(round3(*meanDrawOnBattery)) : nullptr},
                    {"hoursAtMeanDraw", hours ? nlohmann::ordered_json(round3(*hours)) : nullptr},
                    {"startPercent", round3(batteryStartPercent)},
                    {"endPercent", round3(batteryEndPercent)},
                    {"emptyAt", batteryEmptyAt ? nlohmann::ordered_json(round3(*batteryEmptyAt)) : nullptr}};
    j["userTrafficWithoutNetworkMinutes"] = round3(userTrafficWithoutNetworkMinutes);
    nlohmann::ordered_json components;
    for (std::size_t i = 0; i < kComponentCount; ++i) {
        components[std::string(componentName(static_cast<Component>(i)))] = round3(energy[i]);
    }
    j["energyJoules"] = components;
    j["totalEnergyJoules"] = round3(totalEnergy);
    j["lowPowerModeSavedJoules"] = round3(lowPowerModeSaved);
    j["joinsAndAttachesJoules"] = round3(joinEnergy);
    j["transfersJoules"] = round3(transferEnergy);
    j["radioOffHours"] = round3(radioOffHours);
    nlohmann::ordered_json byRadio;
    for (const auto& [radio, hours] : radioOffHoursByRadio) byRadio[radio] = round3(hours);
    j["radioOffHoursByRadio"] = byRadio;
    j["backgroundWakes"] = backgroundWakes;
    j["engineWakes"] = engineWakes;
    j["userWakes"] = userWakes;
    j["sleepRequestsRefused"] = sleepsRefused;
    j["rowsWritten"] = rowsWritten;
    j["appWakeEvents"] = {{"due", wakeEventsDue()},
                          {"fired", appEventsFired},
                          {"delivered", delivered},
                          {"undelivered", undelivered},
                          {"neverFired", neverFired},
                          {"neverDelivered", neverDelivered()},
                          {"meanDelaySeconds", round3(deliveryDelayMean)},
                          {"worstDelaySeconds", round3(deliveryDelayWorst)}};
    j["alerts"] = alerts;
    j["radioSwitches"] = radioSwitches;
    j["debugLines"] = debugLines;
    j["engineIo"] = engineIo.toJson(simulatedSeconds);
    if (!timeline.is_null()) j["timeline"] = timeline;
    return j;
}

RunSummary RunSummary::fromJson(const nlohmann::json& j) {
    RunSummary r;
    r.scenario = j.value("scenario", "");
    r.strategyName = j.value("strategy", "");
    r.strategy = j.value("strategyNumber", 2);
    r.osBatching = j.value("osBatching", false);
    r.noSaver = j.value("noSaver", false);
    r.profile = j.value("profile", "");
    r.simulatedSeconds = j.value("simulatedSeconds", 0.0);
    r.wallSeconds = j.value("wallSeconds", 0.0);
    const auto& battery = j.at("battery");
    r.energyFromBattery = battery.value("energyDrawnJoules", 0.0);
    r.batteryEnergy = battery.value("fullJoules", 0.0);
    r.batteryLowestPercent = battery.value("lowestPercent", 0.0);
    if (battery.contains("meanDrawOnBatteryMilliwatts") && battery["meanDrawOnBatteryMilliwatts"].is_number()) {
        r.meanDrawOnBattery = battery["meanDrawOnBatteryMilliwatts"].get<double>();
    }
    r.userTrafficWithoutNetworkMinutes = j.value("userTrafficWithoutNetworkMinutes", 0.0);
    r.batteryStartPercent = battery.value("startPercent", 0.0);
    r.batteryEndPercent = battery.value("endPercent", 0.0);
    if (battery.contains("emptyAt") && battery["emptyAt"].is_number())
        r.batteryEmptyAt = battery["emptyAt"].get<double>();
    const auto& components = j.at("energyJoules");
    for (std::size_t i = 0; i < kComponentCount; ++i) {
        r.energy[i] = components.value(std::string(componentName(static_cast<Component>(i))), 0.0);
    }
    r.totalEnergy = j.value("totalEnergyJoules", 0.0);
    r.lowPowerModeSaved = j.value("lowPowerModeSavedJoules", 0.0);
    r.joinEnergy = j.value("joinsAndAttachesJoules", 0.0);
    r.transferEnergy = j.value("transfersJoules", 0.0);
    r.radioOffHours = j.value("radioOffHours", 0.0);
    for (auto it = j.at("radioOffHoursByRadio").begin(); it != j.at("radioOffHoursByRadio").end(); ++it) {
        r.radioOffHoursByRadio[it.key()] = it.value().get<double>();
    }
    r.backgroundWakes = j.value("backgroundWakes", 0);
    r.engineWakes = j.value("engineWakes", 0);
    r.userWakes = j.value("userWakes", 0);
    r.sleepsRefused = j.value("sleepRequestsRefused", 0);
    r.rowsWritten = j.value("rowsWritten", 0LL);
    const auto& wakes = j.at("appWakeEvents");
    r.appEventsFired = wakes.value("fired", std::size_t{0});
    r.delivered = wakes.value("delivered", std::size_t{0});
    r.undelivered = wakes.value("undelivered", std::size_t{0});
    r.neverFired = wakes.value("neverFired", std::size_t{0});
    r.deliveryDelayMean = wakes.value("meanDelaySeconds", 0.0);
    r.deliveryDelayWorst = wakes.value("worstDelaySeconds", 0.0);
    r.alerts = j.value("alerts", std::size_t{0});
    r.radioSwitches = j.value("radioSwitches", std::size_t{0});
    r.debugLines = j.value("debugLines", std::size_t{0});
    if (j.contains("engineIo")) r.engineIo = EngineIo::fromJson(j["engineIo"]);
    if (j.contains("timeline")) r.timeline = j["timeline"];
    return r;
}

std::string RunSummary::toText() const {
    std::ostringstream out;
    out << "Scenario " << (scenario.empty() ? "(unnamed)" : "\"" + scenario + "\"") << ", strategy " << strategyName
        << ": " << duration(simulatedSeconds) << " simulated in " << format("%.2f", wallSeconds) << " s\n";
    out << "Device profile: " << profile << "\n";
    out << "Energy drawn from the battery: " << format("%.0f", energyFromBattery) << " J, "
        << format("%.1f", percentOfCapacity()) << " % of its capacity; lowest charge "
        << format("%.1f", batteryLowestPercent) << " %\n";
    if (auto hours = hoursAtMeanDraw()) {
        out << "A full battery would last " << format("%.1f", *hours) << " h at the mean draw while on battery ("
            << format("%.0f", *meanDrawOnBattery) << " mW)\n";
    }
    out << "User traffic without network: " << format("%.1f", userTrafficWithoutNetworkMinutes) << " min\n";
    out << "Battery: " << format("%.1f", batteryStartPercent) << " % at start, " << format("%.1f", batteryEndPercent)
        << " % at the end";
    if (batteryEmptyAt) out << " (empty at " << duration(*batteryEmptyAt) << ")";
    out << "\n";
    out << "Energy by component:\n";
    for (std::size_t i = 0; i < kComponentCount; ++i) {
        char line[128];
        std::snprintf(line, sizeof line, "  %-10s %9.1f J  %8.1f mWh\n",
                      std::string(componentName(static_cast<Component>(i))).c_str(), energy[i], energy[i] / 3.6);
        out << line;
    }
    {
        char line[160];
        std::snprintf(line, sizeof line, "  %-10s %9.1f J  %8.1f mWh   (low-power mode saved %.1f J)\n", "total",
                      totalEnergy, totalEnergy / 3.6, lowPowerModeSaved);
        out << line;
    }
    out << "Radios off (WiFi and cellular data both off): " << format("%.2f", radioOffHours) << " h;";
    for (const auto& [radio, hours] : radioOffHoursByRadio) out << " " << radio << " " << format("%.2f", hours) << " h";
    out << "\n";
    out << "Background wakes: " << backgroundWakes << " (engine " << engineWakes << ", other applications "
        << backgroundWakes - engineWakes << "); woken by the user or the world " << userWakes
        << "; sleep requests refused " << sleepsRefused << "\n";
    out << "Statistics rows written: " << rowsWritten << "\n";
    out << "Other applications' wake events: " << wakeEventsDue() << " due, " << appEventsFired << " fired, "
        << delivered << " delivered, " << neverDelivered() << " never delivered (" << neverFired << " never fired, "
        << undelivered << " without network at the end); delay beyond their own time, counting every due event "
        << "(those never delivered up to the end): mean " << format("%.0f", deliveryDelayMean) << " s, worst "
        << format("%.0f", deliveryDelayWorst) << " s\n";
    out << "Alerts " << alerts << ", radio switches " << radioSwitches << ", engine debug lines " << debugLines << "\n";
    out << engineIo.toText(simulatedSeconds);
    return out.str();
}

std::string comparisonTable(const std::vector<RunSummary>& runs) {
    const RunSummary* reference = referenceRun(runs);
    const RunSummary* batching = referenceRun(runs, true);
    std::ostringstream out;
    char cell[64];
    auto row = [&](const std::string& label, auto value) {
        std::snprintf(cell, sizeof cell, "%-38s", label.c_str());
        out << cell;
        for (const RunSummary& run : runs) {
            std::snprintf(cell, sizeof cell, "%12s", value(run).c_str());
            out << cell;
        }
        out << "\n";
    };
    if (!runs.empty()) {
        out << "Scenario " << (runs.front().scenario.empty() ? "(unnamed)" : "\"" + runs.front().scenario + "\"")
            << ", " << duration(runs.front().simulatedSeconds) << " simulated per strategy, device profile "
            << runs.front().profile << "\n";
    }
    row("", [](const RunSummary& r) { return r.strategyName; });
    row("energy from battery (J)", [](const RunSummary& r) { return format("%.0f", r.energyFromBattery); });
    row("  % of battery capacity", [](const RunSummary& r) { return format("%.1f", r.percentOfCapacity()); });
    row("  saved vs no saver (%)", [&](const RunSummary& r) { return savedAgainst(reference, r); });
    row("  saved vs OS batching (%)", [&](const RunSummary& r) { return savedAgainst(batching, r); });
    row("lowest charge (%)", [](const RunSummary& r) { return format("%.1f", r.batteryLowestPercent); });
    row("lasts at mean draw (h)", [](const RunSummary& r) {
        const auto hours = r.hoursAtMeanDraw();
        return hours ? format("%.1f", *hours) : std::string("-");
    });
    row("user traffic without network, minutes",
        [](const RunSummary& r) { return format("%.1f", r.userTrafficWithoutNetworkMinutes); });
    row("radio-off hours (WiFi+cell)", [](const RunSummary& r) { return format("%.2f", r.radioOffHours); });
    row("  WiFi off hours", [](const RunSummary& r) { return offHours(r, Radio::WiFi); });
    row("  cellular data off hours", [](const RunSummary& r) { return offHours(r, Radio::Edge); });
    row("background wakes", [](const RunSummary& r) { return std::to_string(r.backgroundWakes); });
    row("  of which the engine's", [](const RunSummary& r) { return std::to_string(r.engineWakes); });
    row("delivery delay mean (min)", [](const RunSummary& r) { return format("%.1f", r.deliveryDelayMean / 60.0); });
    row("delivery delay worst (min)", [](const RunSummary& r) { return format("%.1f", r.deliveryDelayWorst / 60.0); });
    row("wake events never delivered", [](const RunSummary& r) { return std::to_string(r.neverDelivered()); });
    row("statistics rows", [](const RunSummary& r) { return std::to_string(r.rowsWritten); });
    row("battery at the end (%)", [](const RunSummary& r) { return format("%.1f", r.batteryEndPercent); });
    if (reference == nullptr) return out.str();
    out << "\nWhere the energy went against the no-saver phone (all energy used, on battery and charger;\n"
           "+ spent more, - spent less, joules):\n";
    for (const RunSummary& run : runs) {
        if (&run == reference) continue;
        const EnergyDifference d = energyDifference(run, *reference);
        char line[256];
        std::snprintf(line, sizeof line,
                      "  %-12s %+8.0f in all: wakes %+.0f, joins and attaches %+.0f, idle radios %+.0f, "
                      "transfers %+.0f",
                      run.strategyName.c_str(), d.total(), d.wakes, d.joinsAndAttaches, d.idleRadios, d.transfers);
        out << line;
        // Transfers that did not happen because there was no network are no saving of the strategy's.
        const double withoutNetwork =
            run.userTrafficWithoutNetworkMinutes - reference->userTrafficWithoutNetworkMinutes;
        if (withoutNetwork >= 0.05)
            out << format(" (%.1f min more of the user's traffic without network)", withoutNetwork);
        out << '\n';
    }
    return out.str();
}

nlohmann::ordered_json comparisonJson(const std::vector<RunSummary>& runs) {
    const RunSummary* reference = referenceRun(runs);
    const RunSummary* batching = referenceRun(runs, true);
    nlohmann::ordered_json j;
    j["scenario"] = runs.empty() ? "" : runs.front().scenario;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const RunSummary& run : runs) {
        nlohmann::ordered_json entry = run.toJson();
        entry.erase("timeline");
        if (reference) {
            entry["savedVsNoSaverJoules"] = round3(reference->energyFromBattery - run.energyFromBattery);
            const EnergyDifference d = energyDifference(run, *reference);
            entry["energyVsNoSaverJoules"] = {{"wakes", round3(d.wakes)},
                                              {"joinsAndAttaches", round3(d.joinsAndAttaches)},
                                              {"idleRadios", round3(d.idleRadios)},
                                              {"transfers", round3(d.transfers)},
                                              {"total", round3(d.total())}};
        }
        if (batching) entry["savedVsOSBatchingJoules"] = round3(batching->energyFromBattery - run.energyFromBattery);
        list.push_back(entry);
    }
    j["runs"] = list;
    return j;
}

}  // namespace corvane::sim
