#include "app/model/PlotDBLoader.h"

#include <pthread.h>

#include <algorithm>
#include <filesystem>
#include <limits>
#include <system_error>

#include "app/model/AppLog.h"
#include "app/model/PlotData.h"
#include "app/platform/NetworkActivityIndicator.h"
#include "shared/Paths.h"
#include "shared/ProcessState.h"

namespace corvane::app {

const char* const PlotDBLoader::kSeriesNames[kSeriesCount] = {
    "CurrentCapacity", "DesignCapacity", "MaxCapacity", "Temperature", "TimeRemaining",
    "InstantAmperage", "CycleCount",     "Amperage",    "Voltage",     "UpdateTime",
    "FullyCharged",    "IsCharging",     "LoadAvg1",    "LoadAvg5",    "LoadAvg15"};

namespace {

std::unique_ptr<PlotDBLoader> instance;
std::mutex instanceMutex;

constexpr std::int64_t kTimeColumn = 9;

std::uint64_t saturatingSubtract(std::uint64_t a, std::uint64_t b) { return a > b ? a - b : 0; }
std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}
// SQLite integers are signed 64-bit: a bound beyond that range stays at its end.
sqlite3_int64 boundTime(std::uint64_t seconds) {
    return static_cast<sqlite3_int64>(std::min<std::uint64_t>(seconds, std::numeric_limits<sqlite3_int64>::max()));
}

std::uint64_t spanOfRangeCode(std::int32_t rangeCode) {
    switch (rangeCode) {
        case 1: return 21600;
        case 2: return 43200;
        case 3: return 86400;
        case 4: return 172800;
        case 5: return 604800;
        case 6: return 2592000;
        default: return 86400;
    }
}

// Runs a statement that returns nothing of interest, one step.
void runOnce(sqlite3* database, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    const int prepared = sqlite3_prepare_v2(database, sql, -1, &statement, nullptr);
    if (prepared != SQLITE_OK) {
        AMPWISE_LOG("Query %s failed cause %d", sql, prepared);
    } else {
        const int stepped = sqlite3_step(statement);
        if (stepped != SQLITE_DONE && stepped != SQLITE_ROW) AMPWISE_LOG("Query %s failed cause %d", sql, stepped);
    }
    sqlite3_finalize(statement);
}

bool isBusy(int result) { return (result & 0xff) == SQLITE_BUSY || (result & 0xff) == SQLITE_LOCKED; }

}  // namespace

const std::string& PlotDBLoader::recordQuery() {
    static const std::string query = [] {
        const std::string spaces(35, ' ');
        std::string sql = "SELECT";
        for (std::size_t i = 0; i < kSeriesCount; ++i) {
            sql += spaces + kSeriesNames[i];
            if (i + 1 < kSeriesCount) sql += ",";
        }
        return sql + spaces + "FROM BATTERY_STATUS WHERE UpdateTime >= ? AND UpdateTime <= ? ORDER BY UpdateTime";
    }();
    return query;
}

PlotDBLoader& PlotDBLoader::sharedInstance() {
    std::lock_guard guard(instanceMutex);
    if (!instance) {
        ProcessState::registerReset(ProcessState::kGraphLoader, [] { resetSharedInstance(); });
        instance = std::make_unique<PlotDBLoader>();
    }
    return *instance;
}

void PlotDBLoader::resetSharedInstance() {
    std::unique_ptr<PlotDBLoader> leaving;
    {
        std::lock_guard guard(instanceMutex);
        leaving = std::move(instance);
    }
}

PlotDBLoader::PlotDBLoader() { loadEndTimes(); }

PlotDBLoader::~PlotDBLoader() {
    waitLoading();
    std::lock_guard guard(threadMutex_);
    releaseLoaderThread();
}

void PlotDBLoader::releaseLoaderThread() {
    if (!loaderThread_.joinable()) return;
    // A load that ends on its own thread (a new load started from
    // dataLoaded) cannot join itself.
    if (loaderThread_.get_id() == std::this_thread::get_id())
        loaderThread_.detach();
    else
        loaderThread_.join();
}

bool PlotDBLoader::loadEndTimes() {
    if (isLoading()) {
        AMPWISE_LOG("A load is running : time bounds kept");
        return false;
    }
    std::lock_guard guard(databaseMutex_);
    const std::filesystem::path file = paths::resolve(paths::kStatisticsDatabase);
    std::error_code ignored;
    if (!std::filesystem::exists(file, ignored)) return false;
    if (sqlite3_open_v2(file.c_str(), &statsDB_, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(statsDB_);
        statsDB_ = nullptr;
        return false;
    }
    sqlite3_busy_timeout(statsDB_, busyTimeoutMilliseconds());
    sqlite3_stmt* statement = nullptr;
    bool read = false;
    if (sqlite3_prepare_v2(statsDB_, kEndTimesQuery.data(), static_cast<int>(kEndTimesQuery.size()), &statement,
                           nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            // Times before 1970 do not exist in the table; an empty table gives 0.
            minTime_.store(static_cast<std::uint64_t>(std::max<sqlite3_int64>(0, sqlite3_column_int64(statement, 0))));
            maxTime_.store(static_cast<std::uint64_t>(std::max<sqlite3_int64>(0, sqlite3_column_int64(statement, 1))));
            read = true;
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(statsDB_);
    statsDB_ = nullptr;
    return read;
}

bool PlotDBLoader::loadFromDBAsyncFrom(std::uint64_t from, std::uint64_t to) {
    if (loading_.exchange(true)) return false;
    NetworkActivityIndicator::setVisible(true);
    // The draw flags are taken here, on the thread that changes them.
    DrawFlags remembered;
    for (const auto& [name, series] : plots()) remembered[name] = series->shouldDraw;

    std::lock_guard guard(threadMutex_);
    // The previous load has cleared its flag and is returning.
    releaseLoaderThread();
    loaderThread_ = std::thread([this, window = Pair{from, to}, remembered = std::move(remembered)] {
        pthread_setname_np(pthread_self(), "dbLoaderThread");
        loadDataFrom(window, remembered);
    });
    return true;
}

bool PlotDBLoader::loadDataWindowFromEnd() {
    const std::uint64_t last = maxTime();
    return loadFromDBAsyncFrom(saturatingSubtract(last, timeWindowSizeSeconds()), last);
}

bool PlotDBLoader::loadPreviousTimeWindow() {
    const std::uint64_t size = timeWindowSizeSeconds();
    const std::uint64_t first = start();
    if (first >= size && first - size >= minTime()) return loadFromDBAsyncFrom(first - size, first);
    return loadFromDBAsyncFrom(minTime(), saturatingAdd(minTime(), size));
}

bool PlotDBLoader::loadNextTimeWindow() {
    const std::uint64_t size = timeWindowSizeSeconds();
    const std::uint64_t last = end();
    if (saturatingAdd(last, size) <= maxTime()) return loadFromDBAsyncFrom(last, last + size);
    return loadDataWindowFromEnd();
}

bool PlotDBLoader::loadAllDataWithLimit(std::int32_t rangeCode) { return loadLastSeconds(spanOfRangeCode(rangeCode)); }

bool PlotDBLoader::loadLastSeconds(std::uint64_t seconds) {
    const std::uint64_t last = maxTime();
    return loadFromDBAsyncFrom(std::max(minTime(), saturatingSubtract(last, seconds)), last);
}

bool PlotDBLoader::loadAllData() { return loadFromDBAsyncFrom(minTime(), maxTime()); }

void PlotDBLoader::waitLoading() const {
    while (loading_.load()) std::this_thread::yield();
}

PlotDBLoader::Components PlotDBLoader::plots() const {
    std::lock_guard guard(plotsMutex_);
    return plots_;
}

std::string PlotDBLoader::lastLoadError() const {
    std::lock_guard guard(plotsMutex_);
    return lastLoadError_;
}

PlotLoaderDelegate* PlotDBLoader::delegate() const {
    std::lock_guard guard(delegateMutex_);
    return delegate_;
}

void PlotDBLoader::setDelegate(PlotLoaderDelegate* delegate) {
    std::lock_guard guard(delegateMutex_);
    delegate_ = delegate;
}

void PlotDBLoader::detachDelegate(PlotLoaderDelegate* delegate) {
    std::lock_guard guard(delegateMutex_);
    if (delegate_ == delegate) delegate_ = nullptr;
}

void PlotDBLoader::tellDelegate(void (PlotLoaderDelegate::*call)(std::int32_t), std::int32_t count) {
    std::lock_guard guard(delegateMutex_);
    if (delegate_ != nullptr) (delegate_->*call)(count);
}

void PlotDBLoader::fireLoadingIsOver() {
    loading_.store(false);
    std::lock_guard guard(delegateMutex_);
    if (delegate_ != nullptr) delegate_->dataLoaded();
}

void PlotDBLoader::addData(std::int64_t value, Components& into, const std::string& serie) {
    auto found = into.find(serie);
    if (found == into.end()) {
        found = into.emplace(serie, std::make_shared<PlotData>(serie, into.size())).first;
    }
    found->second->points.emplace_back(static_cast<double>(value));
}

void PlotDBLoader::loadDataFrom(Pair window, DrawFlags remembered) {
    const std::filesystem::path file = paths::resolve(paths::kStatisticsDatabase);
    std::error_code ignored;
    std::string error;
    start_.store(window.start);
    end_.store(window.end);
    if (!std::filesystem::exists(file, ignored)) {
        AMPWISE_LOG("%s does not exists", file.c_str());
    } else {
        std::lock_guard guard(databaseMutex_);
        error = readWindow(window, remembered);
    }
    {
        std::lock_guard guard(plotsMutex_);
        lastLoadError_ = error;
    }
    fireLoadingIsOver();
}

void PlotDBLoader::compact() {
    // Compacting rewrites the whole file: only worth it when pages are free.
    sqlite3_stmt* statement = nullptr;
    sqlite3_int64 freePages = 0;
    if (sqlite3_prepare_v2(statsDB_, "PRAGMA freelist_count;", -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW) {
        freePages = sqlite3_column_int64(statement, 0);
    }
    sqlite3_finalize(statement);
    if (freePages > 0 && !sqlite3_db_readonly(statsDB_, "main")) runOnce(statsDB_, "VACUUM;");
    runOnce(statsDB_, "PRAGMA shrink_memory;");
}

std::string PlotDBLoader::readWindow(const Pair& window, const DrawFlags& remembered) {
    const std::filesystem::path file = paths::resolve(paths::kStatisticsDatabase);
    // Read-write for compacting; read-only when the file cannot be written.
    int opened = sqlite3_open_v2(file.c_str(), &statsDB_, SQLITE_OPEN_READWRITE, nullptr);
    if (opened != SQLITE_OK) {
        sqlite3_close(statsDB_);
        opened = sqlite3_open_v2(file.c_str(), &statsDB_, SQLITE_OPEN_READONLY, nullptr);
    }
    if (opened != SQLITE_OK) {
        AMPWISE_LOG("Cannot open %s : %d", file.c_str(), opened);
        sqlite3_close(statsDB_);
        statsDB_ = nullptr;
        return "The statistics database cannot be opened";
    }
    sqlite3_busy_timeout(statsDB_, busyTimeoutMilliseconds());
    compact();

    std::string error;
    auto bindWindow = [&](sqlite3_stmt* statement) {
        sqlite3_bind_int64(statement, 1, boundTime(window.start));
        sqlite3_bind_int64(statement, 2, boundTime(window.end));
    };
    // The count goes to the delegate and sizes the series up front.
    std::int32_t count = 0;
    {
        sqlite3_stmt* statement = nullptr;
        int result =
            sqlite3_prepare_v2(statsDB_, kCountQuery.data(), static_cast<int>(kCountQuery.size()), &statement, nullptr);
        if (result == SQLITE_OK) {
            bindWindow(statement);
            result = sqlite3_step(statement);
            if (result == SQLITE_ROW) count = sqlite3_column_int(statement, 0);
        }
        if (result != SQLITE_ROW) AMPWISE_LOG("Query failed cause %d", result);
        if (isBusy(result)) error = "The statistics database is busy";
        sqlite3_finalize(statement);
        tellDelegate(&PlotLoaderDelegate::dataLoadingStarted, count);
    }

    std::int32_t counter = 0;
    sqlite3_stmt* statement = nullptr;
    const int prepared =
        error.empty() ? sqlite3_prepare_v2(statsDB_, recordQuery().c_str(), -1, &statement, nullptr) : SQLITE_BUSY;
    if (prepared != SQLITE_OK) {
        AMPWISE_LOG("Query failed cause %d", prepared);
        if (isBusy(prepared)) error = "The statistics database is busy";
    } else {
        bindWindow(statement);
        Components loaded;
        PCLineChartViewComponent* columns[kSeriesCount] = {};
        int stepped = SQLITE_ROW;
        while ((stepped = sqlite3_step(statement)) == SQLITE_ROW) {
            if (counter == 0) {
                for (std::size_t i = 0; i < kSeriesCount; ++i) {
                    auto series = std::make_shared<PlotData>(kSeriesNames[i], loaded.size());
                    series->points.reserve(static_cast<std::size_t>(std::max(count, 0)));
                    columns[i] = series.get();
                    loaded.emplace(kSeriesNames[i], std::move(series));
                }
            }
            for (std::size_t i = 0; i < kSeriesCount; ++i) {
                const int column = static_cast<int>(i);
                if (sqlite3_column_type(statement, column) == SQLITE_NULL)
                    columns[i]->points.emplace_back(std::nullopt);
                else if (static_cast<std::int64_t>(i) == kTimeColumn)
                    columns[i]->points.emplace_back(static_cast<double>(sqlite3_column_int64(statement, column)));
                else
                    columns[i]->points.emplace_back(static_cast<double>(sqlite3_column_int(statement, column)));
            }
            ++counter;
            tellDelegate(&PlotLoaderDelegate::dataLoadingInProgress, counter);
        }
        AMPWISE_LOG("Retreived %d lines in DB", counter);
        if (stepped != SQLITE_DONE) {
            AMPWISE_LOG("Query failed cause %d", stepped);
            error = isBusy(stepped) ? "The statistics database is busy" : "The statistics database cannot be read";
        } else if (counter > 0) {
            for (const auto& [name, shouldDraw] : remembered) {
                if (auto found = loaded.find(name); found != loaded.end()) found->second->shouldDraw = shouldDraw;
            }
            std::lock_guard guard(plotsMutex_);
            plots_ = std::move(loaded);
        }
    }
    sqlite3_finalize(statement);
    sqlite3_close(statsDB_);
    statsDB_ = nullptr;
    return error;
}

std::uint64_t PlotDBLoader::numberOfRecordsForPlot(DataSourcePlot& plot) {
    if (isLoading()) {
        plot.setDataNeedsReloading();
        return 0;
    }
    const Components current = plots();
    const auto found = current.find(plot.identifier());
    return found == current.end() ? 0 : found->second->points.size();
}

std::optional<double> PlotDBLoader::numberForPlot(DataSourcePlot& plot, std::uint64_t field,
                                                  std::uint64_t recordIndex) {
    if (isLoading()) {
        plot.setDataNeedsReloading();
        return std::nullopt;
    }
    std::string name;
    if (field == 0) {
        name = "UpdateTime";
    } else if (field == 1) {
        name = plot.identifier();
    } else {
        AMPWISE_LOG("Unmanaged fieldEnum %d", static_cast<int>(field));
        return std::nullopt;
    }
    const Components current = plots();
    const auto found = current.find(name);
    if (found == current.end() || recordIndex >= found->second->points.size()) return std::nullopt;
    return found->second->points[recordIndex];
}

}  // namespace corvane::app
