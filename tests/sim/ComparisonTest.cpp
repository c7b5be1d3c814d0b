// --compare: every strategy, the phone without a saver and the OS batching
// baseline, each on a fresh root of its own, in a process of its own; the
// columns differ as they should, the references cost what the profile says,
// and the day can be drawn. And the table's figures on runs whose every row
// is worked out by hand.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

#include "sim/DayPlot.h"
#include "sim/DeviceProfile.h"
#include "sim/RunSummary.h"
#include "sim/Scenario.h"
#include "sim/StrategyComparison.h"
#include "tests/sim/SimTestSupport.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {
namespace {

const sim::RunSummary& runOf(const std::vector<sim::RunSummary>& runs, const std::string& name) {
    auto found =
        std::find_if(runs.begin(), runs.end(), [&](const sim::RunSummary& r) { return r.strategyName == name; });
    if (found == runs.end()) throw std::runtime_error("no run of " + name);
    return *found;
}

std::string head(const std::filesystem::path& file, std::size_t bytes) {
    std::ifstream in(file, std::ios::binary);
    std::string text(bytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(bytes));
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text;
}

// The cells of the table's row `label`, one per run.
std::vector<std::string> row(const std::string& table, const std::string& label) {
    std::istringstream lines(table);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(label, 0) != 0 || line.find_first_not_of(' ', label.size()) < 38) continue;
        std::istringstream cells(line.substr(38));
        std::vector<std::string> found;
        for (std::string cell; cells >> cell;) found.push_back(cell);
        return found;
    }
    return {};
}

sim::RunSummary handMadeRun(const std::string& name, bool noSaver, bool osBatching, double joules) {
    sim::RunSummary run;
    run.strategyName = name;
    run.strategy = noSaver || osBatching ? 0 : 2;
    run.noSaver = noSaver;
    run.osBatching = osBatching;
    run.energyFromBattery = joules;
    run.batteryEnergy = 20000.0;
    run.radioOffHoursByRadio = {{"wifi", 0.0}, {"edge", 0.0}};
    return run;
}

TEST(ComparisonTest, HeadlineRowsAreMeasuredAgainstTheRightColumn) {
    std::vector<sim::RunSummary> runs = {handMadeRun("no saver", true, false, 10000.0),
                                         handMadeRun("OS batching", false, true, 8000.0),
                                         handMadeRun("Normal", false, false, 6000.0)};
    runs[0].meanDrawOnBattery = 250.0;  // 20000 J / 3.6 / 250 mW = 22.2 h
    sim::RunSummary& normal = runs[2];
    normal.radioOffHours = 5.0;
    normal.radioOffHoursByRadio = {{"wifi", 6.0}, {"edge", 5.5}};
    normal.deliveryDelayMean = 600.0;
    normal.deliveryDelayWorst = 1800.0;
    normal.backgroundWakes = 10;
    normal.engineWakes = 4;
    normal.userTrafficWithoutNetworkMinutes = 36.1;
    // WiFi's energy is all joins: 30 J without a saver, 50 J for Normal.
    constexpr std::size_t kWiFi = static_cast<std::size_t>(sim::Component::WiFi);
    runs[0].joinEnergy = runs[0].energy[kWiFi] = 30.0;
    normal.joinEnergy = normal.energy[kWiFi] = 50.0;

    // The same figures after a trip through the JSON a run reports.
    std::vector<sim::RunSummary> reread;
    for (const sim::RunSummary& run : runs) reread.push_back(sim::RunSummary::fromJson(run.toJson()));
    for (const std::vector<sim::RunSummary>* table : {&runs, &reread}) {
        const std::string text = sim::comparisonTable(*table);
        using Cells = std::vector<std::string>;
        EXPECT_EQ(row(text, "energy from battery (J)"), (Cells{"10000", "8000", "6000"})) << text;
        EXPECT_EQ(row(text, "  % of battery capacity"), (Cells{"50.0", "40.0", "30.0"}));
        EXPECT_EQ(row(text, "  saved vs no saver (%)"), (Cells{"+0.0", "+20.0", "+40.0"}));
        EXPECT_EQ(row(text, "  saved vs OS batching (%)"), (Cells{"-25.0", "+0.0", "+25.0"}));
        EXPECT_EQ(row(text, "lasts at mean draw (h)"), (Cells{"22.2", "-", "-"}));
        EXPECT_EQ(row(text, "radio-off hours (WiFi+cell)"), (Cells{"0.00", "0.00", "5.00"}));
        EXPECT_EQ(row(text, "  WiFi off hours"), (Cells{"0.00", "0.00", "6.00"}));
        EXPECT_EQ(row(text, "  cellular data off hours"), (Cells{"0.00", "0.00", "5.50"}));
        EXPECT_EQ(row(text, "delivery delay mean (min)"), (Cells{"0.0", "0.0", "10.0"}));
        EXPECT_EQ(row(text, "delivery delay worst (min)"), (Cells{"0.0", "0.0", "30.0"}));
        EXPECT_EQ(row(text, "user traffic without network, minutes"), (Cells{"0.0", "0.0", "36.1"}));
        // The transfers it did not make are said beside what it spent less.
        EXPECT_NE(text.find("transfers +0 (36.1 min more of the user's traffic without network)\n"), std::string::npos)
            << text;
        EXPECT_EQ(text.find("min more of"), text.rfind("min more of"));  // not beside OS batching
        EXPECT_NE(text.find("joins and attaches +20, idle radios +0, "), std::string::npos) << text;
        EXPECT_NE(text.find("joins and attaches -30, idle radios +0, "), std::string::npos) << text;
    }
    const nlohmann::ordered_json json = sim::comparisonJson(runs);
    EXPECT_EQ(json["runs"][2]["savedVsNoSaverJoules"], 4000.0);
    EXPECT_EQ(json["runs"][2]["savedVsOSBatchingJoules"], 2000.0);
    EXPECT_NE(normal.toText().find("Background wakes: 10 (engine 4, other applications 6)"), std::string::npos);
    // Without a reference that drew anything there is nothing to be saved against.
    runs[0].energyFromBattery = 0.0;
    EXPECT_EQ(row(sim::comparisonTable(runs), "  saved vs no saver (%)"), (std::vector<std::string>{"-", "-", "-"}));
}

TEST(ComparisonTest, WorkdayColumnsDifferAsTheyShouldAndCanBeDrawn) {
    TemporaryRoot folder;
    const sim::Scenario workday = sim::Scenario::load(std::filesystem::path(CORVANE_SCENARIOS) / "workday.json");
    sim::RunOptions options;
    options.root = folder.path() / "compare";
    options.engine = CORVANE_ENGINE_LIBRARY;
    options.trace = folder.path() / "day.jsonl";
    options.timeline = true;
    const std::vector<sim::RunSummary> runs = sim::StrategyComparison::run(
        workday, options, 2, [](const std::vector<std::string>&, std::size_t, std::size_t) {});

    ASSERT_EQ(runs.size(), 8u);
    const auto& noSaver = runOf(runs, "no saver");
    const auto& none = runOf(runs, "None");
    const auto& batching = runOf(runs, "OS batching");
    const auto& iMessage = runOf(runs, "iMessage");
    const auto& normal = runOf(runs, "Normal");
    const auto& ultimate = runOf(runs, "Ultimate");

    // No saver, None and OS batching switch nothing off; batching wakes the
    // phone less often and makes the other applications wait.
    for (const sim::RunSummary* run : {&noSaver, &none, &batching}) {
        EXPECT_DOUBLE_EQ(run->radioOffHours, 0.0) << run->strategyName;
        EXPECT_DOUBLE_EQ(run->userTrafficWithoutNetworkMinutes, 0.0) << run->strategyName;
    }
    EXPECT_LT(batching.backgroundWakes, none.backgroundWakes);
    EXPECT_GT(batching.deliveryDelayMean, none.deliveryDelayMean + 600.0);
    EXPECT_GT(batching.deliveryDelayMean, noSaver.deliveryDelayMean + 600.0);
    EXPECT_LT(batching.energyFromBattery, none.energyFromBattery);
    // Ultimate draws the least from the battery and pays for it in lost traffic.
    for (const sim::RunSummary& run : runs) {
        if (&run == &ultimate) continue;
        EXPECT_LT(ultimate.energyFromBattery, run.energyFromBattery) << run.strategyName;
        EXPECT_GT(ultimate.userTrafficWithoutNetworkMinutes, run.userTrafficWithoutNetworkMinutes) << run.strategyName;
    }
    // iMessage keeps cellular data on at sleep while WiFi goes off, and slows it to 2G.
    EXPECT_GT(iMessage.radioOffHoursByRadio.at("wifi"), 1.0);
    EXPECT_DOUBLE_EQ(iMessage.radioOffHoursByRadio.at("edge"), 0.0);
    bool edgeOff = false, speed2G = false;
    for (const auto& line : readTrace(sim::StrategyComparison::traceFor(*options.trace, "iMessage"))) {
        edgeOff = edgeOff || (line.value("radio", "") == "edge" && line.value("on", true) == false);
        speed2G = speed2G || (line.value("radio", "") == "speed" && line.value("speed", "") == "2G");
    }
    EXPECT_FALSE(edgeOff);
    EXPECT_TRUE(speed2G);
    EXPECT_GT(normal.radioOffHours, 5.0);
    // The battery charges in the evening: its lowest point comes before.
    EXPECT_LT(none.batteryLowestPercent, none.batteryEndPercent - 20.0);

    // Each run had a root of its own with its own statistics; without a saver there are none.
    for (const sim::RunSummary& run : runs) {
        if (&run == &batching || &run == &noSaver) {
            EXPECT_EQ(run.rowsWritten, 0);
        } else {
            EXPECT_GT(run.rowsWritten, 0) << run.strategyName;
        }
    }
    // Where the energy went adds up to the difference in all energy used.
    for (const sim::RunSummary& run : runs) {
        EXPECT_NEAR(sim::energyDifference(run, noSaver).total(), run.totalEnergy - noSaver.totalEnergy, 0.01)
            << run.strategyName;
    }
    EXPECT_LT(sim::energyDifference(ultimate, noSaver).transfers, -100.0);

    // The day drawn: a real PNG and a real SVG (needs python3 with matplotlib).
    if (!sim::DayPlot::findScript() || std::system("/usr/bin/python3 -c 'import matplotlib' 2>/dev/null") != 0) {
        GTEST_SKIP() << "python3 with matplotlib is not installed";
    }
    const std::filesystem::path png = folder.path() / "day.png";
    const std::filesystem::path svg = folder.path() / "day.svg";
    ASSERT_EQ(sim::DayPlot::write(workday, runs, png), std::nullopt);
    ASSERT_EQ(sim::DayPlot::write(workday, {normal}, svg), std::nullopt);
    EXPECT_EQ(head(png, 8), "\x89PNG\r\n\x1a\n");
    EXPECT_NE(head(svg, 4096).find("<svg"), std::string::npos);
    EXPECT_TRUE(sim::DayPlot::checkFile(folder.path() / "day.gif").has_value());
}

// Eight hours asleep with WiFi off and Bluetooth on: the phone without a
// saver draws what the profile says (suspended, paging, Bluetooth idle)
// and nothing else; OS batching has nothing to batch; None's engine wakes
// the phone now and then and changes no radio; Normal switches Bluetooth
// and cellular data off and pays attaches at its background wakes.
TEST(ComparisonTest, TheNoSaverColumnIsThePhoneWithoutAnEngine) {
    TemporaryRoot folder;
    const sim::Scenario night = sim::Scenario::parse(R"({
        "start": "2027-01-18T00:00:00Z", "duration": "08:00", "settings": {"Strategy": 2, "CarMode": false},
        "radios": {"wifi": false, "bluetooth": true, "location": false},
        "events": [{"at": 0, "do": "lock"}]})");
    sim::RunOptions options;
    options.root = folder.path() / "compare";
    options.engine = CORVANE_ENGINE_LIBRARY;
    const std::vector<sim::RunSummary> runs = sim::StrategyComparison::run(night, options);
    const auto& noSaver = runOf(runs, "no saver");
    const auto& batching = runOf(runs, "OS batching");
    const auto& none = runOf(runs, "None");
    const auto& normal = runOf(runs, "Normal");
    const sim::DeviceProfile p = sim::DeviceProfile::find("phone-2013");

    // 20 s awake after the lock, then asleep until the end.
    const double awake = (p.awake + p.cellularPaging + p.bluetoothIdle) * 20.0 / 1000.0;
    const double asleep = (p.suspended + p.cellularPaging + p.bluetoothIdle) * (8 * 3600.0 - 20.0) / 1000.0;
    EXPECT_NEAR(noSaver.energyFromBattery, awake + asleep, 0.05);
    EXPECT_EQ(noSaver.backgroundWakes, 0);
    EXPECT_EQ(noSaver.rowsWritten, 0);
    EXPECT_DOUBLE_EQ(batching.energyFromBattery, noSaver.energyFromBattery);

    const sim::EnergyDifference byNone = sim::energyDifference(none, noSaver);
    EXPECT_GT(none.engineWakes, 2);
    EXPECT_GT(byNone.wakes, 0.0);
    EXPECT_NEAR(byNone.idleRadios, 0.0, 0.01);
    EXPECT_NEAR(byNone.joinsAndAttaches + byNone.transfers, 0.0, 0.01);
    EXPECT_NEAR(byNone.total(), none.totalEnergy - noSaver.totalEnergy, 0.01);

    const sim::EnergyDifference byNormal = sim::energyDifference(normal, noSaver);
    EXPECT_LT(byNormal.idleRadios, -0.8 * p.bluetoothIdle * 8 * 3.6);
    EXPECT_NEAR(byNormal.joinsAndAttaches, p.cellularAttach * (normal.engineWakes - 1), p.cellularAttach * 2);
    EXPECT_GT(byNormal.wakes, byNone.wakes);
    EXPECT_NEAR(byNormal.total(), normal.totalEnergy - noSaver.totalEnergy, 0.01);
    const nlohmann::ordered_json json = sim::comparisonJson(runs);
    for (const auto& entry : json["runs"]) {
        if (entry["strategy"] != "Normal") continue;
        EXPECT_NEAR(entry["savedVsNoSaverJoules"].get<double>(), noSaver.energyFromBattery - normal.energyFromBattery,
                    0.002);
        EXPECT_NEAR(entry["energyVsNoSaverJoules"]["joinsAndAttaches"].get<double>(), byNormal.joinsAndAttaches, 0.002);
    }
    const std::string table = sim::comparisonTable(runs);
    char line[64];
    std::snprintf(line, sizeof line, "Normal       %+8.0f in all", byNormal.total());
    EXPECT_NE(table.find(line), std::string::npos) << table;
}

}  // namespace
}  // namespace corvane::testing
