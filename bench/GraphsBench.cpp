// The graphs: loading a week of statistics (20,160 rows, one every 30 s)
// with the loader beside a plain scan of the same rows with the SQLite C
// API, drawing that week's chart into an offscreen image, and compacting a
// year of rows (the cost a load would pay if it compacted every time).
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <QGuiApplication>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <string>

#include "app/model/AppLog.h"
#include "app/model/PlotDBLoader.h"
#include "app/qt/chart/ChartImageWriter.h"
#include "shared/Paths.h"
#include "shared/StatisticsSchema.h"

namespace {

using namespace corvane;

constexpr std::int64_t kFirst = 1'800'000'000;
constexpr int kWeekRows = 20160;
constexpr int kYearRows = 365 * 2880;

// A root holding a statistics database of `rows` rows every 30 seconds.
class StatisticsRoot {
public:
    explicit StatisticsRoot(int rows) {
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        std::string pattern = (base / "ampwise-graphs-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        root_ = pattern;
        use();
        std::filesystem::create_directories(paths::resolve(paths::kStatisticsFolder));
        sqlite3* database = nullptr;
        sqlite3_open(file().c_str(), &database);
        sqlite3_exec(database, std::string(statistics::kCreateTableStatement).c_str(), nullptr, nullptr, nullptr);
        sqlite3_exec(database, std::string(statistics::kCreateIndexStatement).c_str(), nullptr, nullptr, nullptr);
        sqlite3_exec(database, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(database, std::string(statistics::kInsertStatement).c_str(), -1, &insert, nullptr);
        for (int i = 0; i < rows; ++i) {
            const std::int64_t time = kFirst + 30LL * i;
            sqlite3_reset(insert);
            for (int column = 1; column <= statistics::kInsertParameterCount; ++column)
                sqlite3_bind_int(insert, column, 1000 + (i / 20 + column * 7) % 600);
            sqlite3_bind_int(insert, 6, -200 - (i / 10) % 300);  // InstantAmperage
            sqlite3_bind_int64(insert, 10, time);
            sqlite3_step(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(database, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(database);
    }
    ~StatisticsRoot() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    void use() const { ::setenv("CORVANE_ROOT", root_.c_str(), 1); }
    std::filesystem::path file() const { return paths::resolve(paths::kStatisticsDatabase); }

private:
    std::filesystem::path root_;
};

// Waits for the end of a load without spinning beside the loading thread,
// as the screen does (it hears dataLoaded).
class LoadWaiter final : public app::PlotLoaderDelegate {
public:
    void dataLoadingStarted(std::int32_t) override {}
    void dataLoadingInProgress(std::int32_t) override {}
    void dataLoaded() override {
        std::lock_guard guard(mutex_);
        done_ = true;
        ended_.notify_all();
    }
    void load(app::PlotDBLoader& loader, std::uint64_t from, std::uint64_t to) {
        {
            std::lock_guard guard(mutex_);
            done_ = false;
        }
        loader.loadFromDBAsyncFrom(from, to);
        std::unique_lock lock(mutex_);
        ended_.wait(lock, [&] { return done_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable ended_;
    bool done_ = false;
};

StatisticsRoot& week() {
    static StatisticsRoot root(kWeekRows);
    root.use();
    return root;
}

void BM_LoadWeekWithLoader(benchmark::State& state) {
    week();
    app::PlotDBLoader loader;
    LoadWaiter waiter;
    loader.setDelegate(&waiter);
    for (auto _ : state) waiter.load(loader, loader.minTime(), loader.maxTime());
    loader.waitLoading();
    if (loader.plots().at("UpdateTime")->points.size() != kWeekRows) state.SkipWithError("rows missing");
    state.counters["records/s"] =
        benchmark::Counter(double(kWeekRows) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoadWeekWithLoader)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same query and the same fifteen columns read, nothing kept.
void BM_RawScanWeek(benchmark::State& state) {
    const std::filesystem::path file = week().file();
    std::int64_t sum = 0;
    for (auto _ : state) {
        sqlite3* database = nullptr;
        sqlite3_open_v2(file.c_str(), &database, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(database, app::PlotDBLoader::recordQuery().c_str(), -1, &statement, nullptr);
        sqlite3_bind_int64(statement, 1, kFirst);
        sqlite3_bind_int64(statement, 2, kFirst + 30LL * kWeekRows);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            for (int column = 0; column < 15; ++column) sum += sqlite3_column_int(statement, column);
        }
        sqlite3_finalize(statement);
        sqlite3_close(database);
    }
    benchmark::DoNotOptimize(sum);
    state.counters["records/s"] =
        benchmark::Counter(double(kWeekRows) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RawScanWeek)->Unit(benchmark::kMillisecond)->UseRealTime();

// The week as the graph screen draws it on an 800 x 480 window: seven
// window widths, capacity and drain shown, at one pixel per point.
void BM_DrawWeekChart(benchmark::State& state) {
    week();
    app::PlotDBLoader loader;
    loader.loadFromDBAsyncFrom(loader.minTime(), loader.maxTime());
    loader.waitLoading();
    app::PCLineChartView chart({0.0, 0.0, 7 * 800.0, 480.0});
    chart.autoscaleYAxis = true;
    chart.numXIntervals = 72;
    chart.components = loader.plots();
    chart.components->at("InstantAmperage")->shouldDraw = true;
    for (auto _ : state) {
        chart.setNeedsDisplay();
        QImage image = app::ChartImageWriter::render(chart, 1.0);
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_DrawWeekChart)->Unit(benchmark::kMillisecond)->UseRealTime();

// A year of rows: compacting the file, against loading its last week.
StatisticsRoot& year() {
    static StatisticsRoot root(kYearRows);
    root.use();
    return root;
}

void BM_VacuumYear(benchmark::State& state) {
    const std::filesystem::path file = year().file();
    for (auto _ : state) {
        sqlite3* database = nullptr;
        sqlite3_open(file.c_str(), &database);
        sqlite3_exec(database, "VACUUM;", nullptr, nullptr, nullptr);
        sqlite3_close(database);
    }
    state.counters["rows"] = kYearRows;
}
BENCHMARK(BM_VacuumYear)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_LoadLastWeekOfYear(benchmark::State& state) {
    year();
    app::PlotDBLoader loader;
    LoadWaiter waiter;
    loader.setDelegate(&waiter);
    for (auto _ : state) waiter.load(loader, loader.maxTime() - 604800, loader.maxTime());
    loader.waitLoading();
    state.counters["records/s"] =
        benchmark::Counter(double(kWeekRows) * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_LoadLastWeekOfYear)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    corvane::app::AppLog::setSink([](const std::string&) {});
    QGuiApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
