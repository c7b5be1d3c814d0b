// --compare on the workday scenario: every strategy on a fresh root of its
// own, in a process of its own, and the strategies differ as they should.

#include <gtest/gtest.h>

#include <algorithm>

#include "sim/RunSummary.h"
#include "sim/Scenario.h"
#include "sim/StrategyComparison.h"
#include "tests/sim/SimTestSupport.h"
#include "tests/support/TemporaryRoot.h"

namespace corvane::testing {
namespace {

const sim::RunSummary& runOf(const std::vector<sim::RunSummary>& runs, const std::string& name) {
    auto found = std::find_if(runs.begin(), runs.end(), [&](const sim::RunSummary& r) { return r.strategyName == name; });
    if (found == runs.end()) throw std::runtime_error("no run of " + name);
    return *found;
}

TEST(ComparisonTest, WorkdayStrategiesDifferAsTheyShould) {
    MemoryBackedTemporaryRoot folder;
    const sim::Scenario workday = sim::Scenario::load(std::filesystem::path(CORVANE_SCENARIOS) / "workday.json");
    sim::RunOptions options;
    options.root = folder.path() / "compare";
    options.engine = CORVANE_ENGINE_LIBRARY;
    options.trace = folder.path() / "day.jsonl";
    const std::vector<sim::RunSummary> runs = sim::StrategyComparison::run(workday, options, 2);

    ASSERT_EQ(runs.size(), 5u);
    const auto& none = runOf(runs, "None");
    const auto& iMessage = runOf(runs, "iMessage");
    const auto& normal = runOf(runs, "Normal");
    const auto& ultimate = runOf(runs, "Ultimate");

    // None switches nothing off: no radio-off time, the reference of the savings.
    EXPECT_DOUBLE_EQ(none.radioOffHoursByRadio.at("wifi"), 0.0);
    EXPECT_DOUBLE_EQ(none.radioOffHoursByRadio.at("edge"), 0.0);
    EXPECT_DOUBLE_EQ(none.radioOffHours, 0.0);
    // Ultimate saves the most.
    for (const sim::RunSummary& run : runs) {
        if (run.strategyName != "Ultimate") {
            EXPECT_LT(ultimate.totalEnergy, run.totalEnergy) << run.strategyName;
        }
    }
    EXPECT_LT(ultimate.totalEnergy, none.totalEnergy);
    // iMessage keeps cellular data on at sleep while WiFi goes off.
    EXPECT_GT(iMessage.radioOffHoursByRadio.at("wifi"), 1.0);
    EXPECT_DOUBLE_EQ(iMessage.radioOffHoursByRadio.at("edge"), 0.0);
    const auto iMessageTrace = readTrace(sim::StrategyComparison::traceFor(*options.trace, 1));
    bool edgeOff = false, speed2G = false;
    for (const auto& line : iMessageTrace) {
        edgeOff = edgeOff || (line.value("radio", "") == "edge" && line.value("on", true) == false);
        speed2G = speed2G || (line.value("radio", "") == "speed" && line.value("speed", "") == "2G");
    }
    EXPECT_FALSE(edgeOff);
    EXPECT_TRUE(speed2G);
    // Normal switches both off at night.
    EXPECT_GT(normal.radioOffHours, 5.0);

    // Each run had a root of its own with its own statistics.
    for (const sim::RunSummary& run : runs) {
        EXPECT_TRUE(std::filesystem::exists(options.root / run.strategyName / "private")) << run.strategyName;
        EXPECT_GT(run.rowsWritten, 0) << run.strategyName;
    }
    const std::string table = sim::comparisonTable(runs);
    for (const char* label : {"battery left", "saved vs None", "radio-off hours", "background wakes", "delivery delay"}) {
        EXPECT_NE(table.find(label), std::string::npos) << label;
    }
}

}  // namespace
}  // namespace corvane::testing
