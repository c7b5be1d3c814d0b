// The statistics loader on generated databases: the windows it picks (empty
// table, one row, exactly one window, a gap), what it tells its delegate,
// the series it makes, its answers to the chart, a busy database.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <functional>
#include <semaphore>
#include <thread>

#include "app/model/PlotDBLoader.h"
#include "app/platform/NetworkActivityIndicator.h"
#include "tests/support/AppHarness.h"
#include "tests/support/StatisticsQueries.h"
#include "tests/support/StatisticsRows.h"

namespace corvane::testing {
namespace {

using app::PlotDBLoader;

// Records every report; can hold the loader in dataLoadingStarted until
// released, so that a test sees a load in progress. It takes its time to
// record the end of a load, as a delegate posting to a busy main loop does:
// waitLoading must not return before it has.
class RecordingDelegate final : public app::PlotLoaderDelegate {
public:
    std::vector<std::string> events;  // read once the load is over
    bool holdAtStart = false;         // changed only while no load runs or one is held
    std::binary_semaphore held{0}, released{0};

    void dataLoadingStarted(std::int32_t count) override {
        events.push_back("started " + std::to_string(count));
        if (!holdAtStart) return;
        held.release();
        released.acquire();
    }
    void dataLoadingInProgress(std::int32_t count) override { events.push_back("progress " + std::to_string(count)); }
    void dataLoaded() override {
        for (int turn = 0; turn < 2000; ++turn) std::this_thread::yield();
        events.push_back("loaded");
    }
};

class NamedPlot final : public app::DataSourcePlot {
public:
    explicit NamedPlot(std::string name) : name_(std::move(name)) {}
    std::string identifier() const override { return name_; }
    void setDataNeedsReloading() override {}

private:
    std::string name_;
};

class PlotDBLoaderTest : public AppTest {
protected:
    // A loader on the current database, reporting to `delegate`.
    std::unique_ptr<PlotDBLoader> makeLoader() {
        auto loader = std::make_unique<PlotDBLoader>();
        loader->setTimeWindowSizeSeconds(kWeek);
        loader->setDelegate(&delegate);
        return loader;
    }
    RecordingDelegate delegate;
};

TEST_F(PlotDBLoaderTest, WindowsStayInsideTheRecordedHistory) {
    using Step = std::function<bool(PlotDBLoader&)>;
    const Step fromEnd = [](PlotDBLoader& l) { return l.loadDataWindowFromEnd(); };
    const Step previous = [](PlotDBLoader& l) { return l.loadPreviousTimeWindow(); };
    const Step next = [](PlotDBLoader& l) { return l.loadNextTimeWindow(); };
    auto range = [](std::int32_t code) {
        return Step([code](PlotDBLoader& l) { return l.loadAllDataWithLimit(code); });
    };
    struct Expected {
        Step step;
        std::uint64_t start, end;
        int records;
    };
    struct Case {
        const char* name;
        std::vector<std::int64_t> times;
        std::vector<Expected> steps;
    };
    const std::int64_t end1 = kT0 + kWeek;
    const std::int64_t last = kT0 + 11 * kDay;
    const std::vector<Case> cases = {
        {"empty table", {}, {{fromEnd, 0, 0, 0}, {previous, 0, kWeek, 0}, {next, 0, 0, 0}, {range(5), 0, 0, 0}}},
        {"one row",
         {kT0},
         {{fromEnd, kT0 - kWeek, kT0, 1},
          {previous, kT0, kT0 + kWeek, 1},
          {next, kT0 - kWeek, kT0, 1},
          {range(0), kT0, kT0, 1}}},
        {"exactly one window",
         everyStep(kT0, 3600, 7 * 24 + 1),
         {{fromEnd, kT0, end1, 169},
          {previous, kT0, end1, 169},
          {range(6), kT0, end1, 169},
          {range(7), end1 - kDay, end1, 25},
          {range(1), end1 - 21600, end1, 7}}},
        {"a gap of nine days",
         [] {
             auto times = everyStep(kT0, 3600, 25);
             auto later = everyStep(kT0 + 10 * kDay, 3600, 25);
             times.insert(times.end(), later.begin(), later.end());
             return times;
         }(),
         {{fromEnd, last - kWeek, last, 25},
          {previous, kT0, kT0 + kWeek, 25},
          {next, last - kWeek, last, 25},
          {range(4), last - 2 * kDay, last, 25},
          {range(6), kT0, last, 50}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(paths::resolve(paths::kStatisticsDatabase));
        writeStatisticsRows(c.times);
        auto loader = makeLoader();
        for (std::size_t i = 0; i < c.steps.size(); ++i) {
            SCOPED_TRACE(i);
            delegate.events.clear();
            ASSERT_TRUE(c.steps[i].step(*loader));
            loader->waitLoading();
            EXPECT_EQ(loader->start(), c.steps[i].start);
            EXPECT_EQ(loader->end(), c.steps[i].end);
            ASSERT_FALSE(delegate.events.empty());
            EXPECT_EQ(delegate.events.front(), "started " + std::to_string(c.steps[i].records));
        }
    }
}

TEST_F(PlotDBLoaderTest, ReportsProgressAndBuildsOneSeriesPerColumn) {
    const auto times = everyStep(kT0, 30, 250);
    writeStatisticsRows(times);
    // A reading without a temperature: a gap in that series, no zero.
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(databasePath().c_str(), &database), SQLITE_OK);
    const std::string gap =
        "UPDATE BATTERY_STATUS SET Temperature = NULL WHERE UpdateTime = " + std::to_string(times[18]);
    ASSERT_EQ(sqlite3_exec(database, gap.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(database);
    auto loader = makeLoader();
    app::NetworkActivityIndicator::setVisible(false);
    ASSERT_TRUE(loader->loadFromDBAsyncFrom(kT0, kT0 + 30 * 249));
    EXPECT_TRUE(app::NetworkActivityIndicator::isVisible());
    loader->waitLoading();

    std::vector<std::string> expected{"started 250"};
    for (int i = 1; i <= 250; ++i) expected.push_back("progress " + std::to_string(i));
    expected.push_back("loaded");
    EXPECT_EQ(delegate.events, expected);

    const auto plots = loader->plots();
    ASSERT_EQ(plots.size(), PlotDBLoader::kSeriesCount);
    for (std::size_t column = 0; column < PlotDBLoader::kSeriesCount; ++column) {
        const auto& series = *plots.at(PlotDBLoader::kSeriesNames[column]);
        SCOPED_TRACE(series.title);
        ASSERT_EQ(series.points.size(), 250u);
        EXPECT_EQ(*series.points[17], static_cast<double>(columnValue(static_cast<int>(column), times[17])));
        EXPECT_EQ(series.shouldDraw, series.title == "CurrentCapacity");
        EXPECT_EQ(series.points[18].has_value(), series.title != "Temperature");
    }

    // The user's choice of series survives the next load; a window without
    // records keeps the series shown.
    plots.at("CurrentCapacity")->shouldDraw = false;
    plots.at("Temperature")->shouldDraw = true;
    ASSERT_TRUE(loader->loadFromDBAsyncFrom(kT0, kT0 + 300));
    loader->waitLoading();
    auto reloaded = loader->plots();
    EXPECT_EQ(reloaded.at("UpdateTime")->points.size(), 11u);
    EXPECT_FALSE(reloaded.at("CurrentCapacity")->shouldDraw);
    EXPECT_TRUE(reloaded.at("Temperature")->shouldDraw);

    delegate.events.clear();
    ASSERT_TRUE(loader->loadFromDBAsyncFrom(kT0 - kWeek, kT0 - 1));
    loader->waitLoading();
    EXPECT_EQ(delegate.events, (std::vector<std::string>{"started 0", "loaded"}));
    EXPECT_EQ(loader->plots().at("UpdateTime"), reloaded.at("UpdateTime"));
}

TEST_F(PlotDBLoaderTest, AnswersTheChartOnlyBetweenLoads) {
    writeStatisticsRows(everyStep(kT0, 60, 10));
    auto loader = makeLoader();
    NamedPlot temperature("Temperature");
    EXPECT_EQ(loader->numberOfRecordsForPlot(temperature), 0u);  // nothing loaded yet

    delegate.holdAtStart = true;
    ASSERT_TRUE(loader->loadDataWindowFromEnd());
    delegate.held.acquire();
    EXPECT_TRUE(loader->isLoading());
    EXPECT_FALSE(loader->loadDataWindowFromEnd());  // one load at a time
    EXPECT_EQ(loader->numberForPlot(temperature, 1, 0), std::nullopt);
    delegate.holdAtStart = false;
    delegate.released.release();
    loader->waitLoading();

    EXPECT_EQ(loader->numberOfRecordsForPlot(temperature), 10u);
    EXPECT_EQ(loader->numberForPlot(temperature, 0, 3), static_cast<double>(kT0 + 180));
    EXPECT_EQ(loader->numberForPlot(temperature, 1, 3), static_cast<double>(columnValue(3, kT0 + 180)));
    EXPECT_EQ(loader->numberForPlot(temperature, 1, 10), std::nullopt);
    EXPECT_EQ(loader->numberForPlot(temperature, 2, 0), std::nullopt);
    NamedPlot unknown("Humidity");
    EXPECT_EQ(loader->numberOfRecordsForPlot(unknown), 0u);
}

TEST_F(PlotDBLoaderTest, CompactsOnlyADatabaseWithFreePages) {
    writeStatisticsRows(everyStep(kT0, 30, 5000));
    auto freePages = [] { return std::stoi(*query("PRAGMA freelist_count")[0][0].text); };
    sqlite3* database = nullptr;
    ASSERT_EQ(sqlite3_open(databasePath().c_str(), &database), SQLITE_OK);
    sqlite3_exec(database, "DELETE FROM BATTERY_STATUS WHERE ID <= 4000", nullptr, nullptr, nullptr);
    sqlite3_close(database);
    ASSERT_GT(freePages(), 0);
    auto loader = makeLoader();
    ASSERT_TRUE(loader->loadDataWindowFromEnd());
    loader->waitLoading();
    EXPECT_EQ(freePages(), 0);
    EXPECT_EQ(loader->plots().at("UpdateTime")->points.size(), 1000u);
}

}  // namespace
}  // namespace corvane::testing
