// What the companion app's user waits for on the main thread: reading and
// saving the settings, opening the no-delay list editor over many installed
// applications and wake events, and purging a month of statistics.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "app/model/AppLog.h"
#include "app/model/PlistController.h"
#include "app/platform/SimulatedPhoneAppPlatform.h"
#include "app/screens/AmpwiseStoryboard.h"
#include "app/screens/AppListViewController.h"
#include "app/screens/NavigationStack.h"
#include "app/screens/PurgeViewControllerViewController.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/ProcessState.h"
#include "shared/PropertyListFile.h"
#include "shared/StatisticsSchema.h"

namespace {

using namespace corvane;

// A fresh filesystem root (in memory when /dev/shm exists) with the app's
// log lines dropped, so the figures are the app's own work.
class BenchRoot {
public:
    BenchRoot() {
        const std::filesystem::path base = std::filesystem::exists("/dev/shm") ? std::filesystem::path("/dev/shm")
                                                                               : std::filesystem::temp_directory_path();
        std::string pattern = (base / "ampwise-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        root_ = pattern;
        ::setenv("CORVANE_ROOT", root_.c_str(), 1);
        std::filesystem::create_directories(paths::resolve(paths::kStatisticsFolder));
        app::AppLog::setSink([](const std::string&) {});
        ProcessState::reset();
    }
    ~BenchRoot() {
        ProcessState::reset();
        app::AppLog::setSink({});
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

private:
    std::filesystem::path root_;
};

void writeCompleteSettings() {
    app::PlistController::sharedInstance().savePrefs();
    app::PlistController::resetSharedInstance();
}

void BM_SettingsReload(benchmark::State& state) {
    BenchRoot root;
    writeCompleteSettings();
    app::PlistController& model = app::PlistController::sharedInstance();
    for (auto _ : state) model.reloadPrefs();
}
BENCHMARK(BM_SettingsReload)->Unit(benchmark::kMicrosecond);

void BM_SettingsSave(benchmark::State& state) {
    BenchRoot root;
    writeCompleteSettings();
    app::PlistController& model = app::PlistController::sharedInstance();
    for (auto _ : state) model.savePrefs();
}
BENCHMARK(BM_SettingsSave)->Unit(benchmark::kMicrosecond);

// The simulated phone's platform with a clock and scheduled events of the
// benchmark's choosing.
class BenchPlatform final : public app::AppPlatform {
public:
    // `apps` applications with `perApp` persistent-connection wake events each.
    void scheduleWakeEvents(int apps, int perApp) {
        for (int app = 0; app < apps; ++app) {
            for (int event = 0; event < perApp; ++event) {
                events_.array.push_back(plist::Value(plist::Dictionary{
                    {"scheduledby", "com.apple.persistentconnection[SpringBoard,57,0x1c2b3a," + bundle(app) + "]"},
                    {"eventtype", "wake"},
                    {"time", plist::Value(plist::Date{now + event * 900.0})}}));
            }
        }
    }
    static std::string bundle(int app) { return "com.example.app" + std::to_string(app); }

    double now = 1.8e9;

    platform::DarwinNotificationCenter& darwinNotifications() override { return phone_.darwinNotifications(); }
    double currentTime() override { return now; }
    app::AppDevice& device() override { return phone_.device(); }
    app::ScheduledPowerEvents& powerEvents() override { return events_; }

private:
    struct Events final : app::ScheduledPowerEvents {
        std::optional<plist::Array> copyScheduledPowerEvents() override { return array; }
        plist::Array array;
    };
    app::SimulatedPhoneAppPlatform phone_;
    Events events_;
};

void BM_NoDelayListOpen(benchmark::State& state) {
    BenchRoot root;
    const int apps = static_cast<int>(state.range(0));
    plist::Dictionary names;
    for (int app = 0; app < apps; ++app) names.set(BenchPlatform::bundle(app), "Application " + std::to_string(app));
    plist::writeFile(paths::resolve(paths::kApplicationNames), plist::Value(names));
    BenchPlatform platform;
    platform.scheduleWakeEvents(apps, 3);
    app::AppPlatform::install(&platform);
    for (auto _ : state) {
        app::NavigationStack stack(app::AmpwiseStoryboard::make());
        auto screen = std::make_unique<app::AppListViewController>();
        screen->mTitle = "No delay notifications";
        screen->shutdowApp = 2;
        stack.setRootViewController(std::move(screen));
        benchmark::DoNotOptimize(stack.topViewController());
    }
    app::AppPlatform::install(nullptr);
    state.counters["rows"] = apps;
}
BENCHMARK(BM_NoDelayListOpen)->Arg(50)->Arg(300)->Unit(benchmark::kMillisecond);

// A month of rows, one every 30 seconds, then "Keep last week only" and the
// compaction. Each iteration starts from a copy of the month.
void BM_PurgeMonthToWeek(benchmark::State& state) {
    BenchRoot root;
    const std::filesystem::path database = paths::resolve(paths::kStatisticsDatabase);
    const std::filesystem::path month = database.string() + ".month";
    const double now = 1.8e9;
    {
        sqlite3* db = nullptr;
        sqlite3_open(month.c_str(), &db);
        sqlite3_exec(db, std::string(statistics::kCreateTableStatement).c_str(), nullptr, nullptr, nullptr);
        sqlite3_exec(db, std::string(statistics::kCreateIndexStatement).c_str(), nullptr, nullptr, nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt* insert = nullptr;
        sqlite3_prepare_v2(db, std::string(statistics::kInsertStatement).c_str(), -1, &insert, nullptr);
        for (int row = 0; row < 31 * 2880; ++row) {
            for (int column = 1; column <= statistics::kInsertParameterCount; ++column)
                sqlite3_bind_int(insert, column, 1000 + column);
            sqlite3_bind_int64(insert, 10, static_cast<sqlite3_int64>(now) - row * 30);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    BenchPlatform platform;
    platform.now = now;
    app::AppPlatform::install(&platform);
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::copy_file(month, database, std::filesystem::copy_options::overwrite_existing);
        app::NavigationStack stack(app::AmpwiseStoryboard::make());
        stack.setRootViewController(std::make_unique<app::PurgeViewControllerViewController>());
        auto& purge = dynamic_cast<app::PurgeViewControllerViewController&>(*stack.topViewController());
        state.ResumeTiming();
        purge.purge(168);
        stack.answerAlert(1);
    }
    app::AppPlatform::install(nullptr);
}
BENCHMARK(BM_PurgeMonthToWeek)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
