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

std::unique_ptr<PlotDBLoader> sharedLoader;
std::mutex sharedLoaderMutex;

constexpr std::int64_t kTimeColumn = 9;

std::uint64_t saturatingSubtract(std::uint64_t a, std::uint64_t b) { return a > b ? a - b : 0; }
std::uint64_t saturatingAdd(std::uint64_t a, std::uint64_t b) {
    return a > std::numeric_limits<std::uint64_t>::max() - b ? std::numeric_limits<std::uint64_t>::max() : a + b;
}
// SQLite integers are signed 64-bit: a bound beyond that range stays at its end.
std::int64_t boundTime(std::uint64_t seconds) {
    return static_cast<std::int64_t>(std::min<std::uint64_t>(seconds, std::numeric_limits<std::int64_t>::max()));
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
void runOnce(statistics::Store& database, const char* sql) {
    statistics::Statement statement;
    if (const Outcome prepared = database.prepare(sql, statement); !prepared) {
        AMPWISE_LOG("Query %s failed cause %d", sql, prepared.reason().value());
    } else if (!statement.next() && !statement.outcome()) {
        AMPWISE_LOG("Query %s failed cause %d", sql, statement.outcome().reason().value());
    }
}

bool isBusy(const Outcome& outcome) { return statistics::isBusy(outcome.reason()); }

}  // namespace

const std::string& PlotDBLoader::recordQuery() {
    static const std::string query = [] {
        const std::string spaces(35, ' ');
        std::string sql = "SELECT";
        for (std::size_t i = 0; i < kSeriesCount; ++i) {
            sql += spaces + kSeriesNames[i];
            if (i + 1 < kSeriesCount) sql += ",";
        }
        return sql + spaces + "FROM " + std::string(statistics::kTableName) +
               " WHERE UpdateTime >= ? AND UpdateTime <= ? ORDER BY UpdateTime";
    }();
    return query;
}

PlotDBLoader& PlotDBLoader::sharedInstance() {
    std::lock_guard guard(sharedLoaderMutex);
    if (!sharedLoader) {
        ProcessState::registerReset(ProcessState::kGraphLoader, [] { resetSharedInstance(); });
        sharedLoader = std::make_unique<PlotDBLoader>();
    }
    return *sharedLoader;
}

void PlotDBLoader::resetSharedInstance() {
    std::unique_ptr<PlotDBLoader> leaving;
    {
        std::lock_guard guard(sharedLoaderMutex);
        leaving = std::move(sharedLoader);
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
    if (!statsDB_.open(file, statistics::Store::Access::ReadOnly, busyTimeoutMilliseconds())) return false;
    bool read = false;
    {
        statistics::Statement statement;
        if (statsDB_.prepare(kEndTimesQuery, statement)) {
            while (statement.next()) {
                // Times before 1970 do not exist in the table; an empty table gives 0.
                minTime_.store(static_cast<std::uint64_t>(std::max<std::int64_t>(0, statement.integer64(0))));
                maxTime_.store(static_cast<std::uint64_t>(std::max<std::int64_t>(0, statement.integer64(1))));
                read = true;
            }
        }
    }
    statsDB_.close();
    return read;
}

bool PlotDBLoader::loadFromDBAsyncFrom(std::uint64_t from, std::uint64_t to) {
    if (loading_.exchange(true)) return false;
    {
        std::lock_guard guard(unfinishedMutex_);
        ++unfinishedLoads_;
    }
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
    std::unique_lock lock(unfinishedMutex_);
    allFinished_.wait(lock, [this] { return unfinishedLoads_ == 0; });
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
    {
        std::lock_guard guard(delegateMutex_);
        if (delegate_ != nullptr) delegate_->dataLoaded();
    }
    std::lock_guard guard(unfinishedMutex_);
    if (unfinishedLoads_ > 0 && --unfinishedLoads_ == 0) allFinished_.notify_all();
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
    std::int64_t freePages = 0;
    {
        statistics::Statement statement;
        if (statsDB_.prepare("PRAGMA freelist_count;", statement) && statement.next())
            freePages = statement.integer64(0);
    }
    if (freePages > 0 && !statsDB_.isReadOnly()) runOnce(statsDB_, "VACUUM;");
    runOnce(statsDB_, "PRAGMA shrink_memory;");
}

std::string PlotDBLoader::readWindow(const Pair& window, const DrawFlags& remembered) {
    const std::filesystem::path file = paths::resolve(paths::kStatisticsDatabase);
    // Read-write for compacting; read-only when the file cannot be written.
    Outcome opened = statsDB_.open(file, statistics::Store::Access::ReadWrite, busyTimeoutMilliseconds());
    if (!opened) opened = statsDB_.open(file, statistics::Store::Access::ReadOnly, busyTimeoutMilliseconds());
    if (!opened) {
        AMPWISE_LOG("Cannot open %s : %d %s", file.c_str(), opened.reason().value(), opened.message().c_str());
        return "The statistics database cannot be opened";
    }
    compact();
    std::string error = readRecords(window, remembered);
    statsDB_.close();
    return error;
}

std::string PlotDBLoader::readRecords(const Pair& window, const DrawFlags& remembered) {
    std::string error;
    auto bindWindow = [&](statistics::Statement& statement) {
        statement.bind(1, boundTime(window.start));
        statement.bind(2, boundTime(window.end));
    };
    // The count goes to the delegate and sizes the series up front.
    std::int32_t count = 0;
    {
        statistics::Statement statement;
        Outcome result = statsDB_.prepare(kCountQuery, statement);
        if (result) {
            bindWindow(statement);
            if (statement.next())
                count = statement.integer(0);
            else
                result = statement.outcome() ? Outcome(statistics::sqliteError(SQLITE_DONE)) : statement.outcome();
        }
        if (!result) AMPWISE_LOG("Query failed cause %d", result.reason().value());
        if (isBusy(result)) error = "The statistics database is busy";
        tellDelegate(&PlotLoaderDelegate::dataLoadingStarted, count);
    }

    std::int32_t counter = 0;
    statistics::Statement statement;
    const Outcome prepared =
        error.empty() ? statsDB_.prepare(recordQuery(), statement) : Outcome(statistics::sqliteError(SQLITE_BUSY));
    if (!prepared) {
        AMPWISE_LOG("Query failed cause %d", prepared.reason().value());
        if (isBusy(prepared)) error = "The statistics database is busy";
        return error;
    }
    bindWindow(statement);
    Components loaded;
    PCLineChartViewComponent* columns[kSeriesCount] = {};
    while (statement.next()) {
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
            if (statement.isNull(column))
                columns[i]->points.emplace_back(std::nullopt);
            else if (static_cast<std::int64_t>(i) == kTimeColumn)
                columns[i]->points.emplace_back(static_cast<double>(statement.integer64(column)));
            else
                columns[i]->points.emplace_back(static_cast<double>(statement.integer(column)));
        }
        ++counter;
        tellDelegate(&PlotLoaderDelegate::dataLoadingInProgress, counter);
    }
    AMPWISE_LOG("Retreived %d lines in DB", counter);
    if (const Outcome& stepped = statement.outcome(); !stepped) {
        AMPWISE_LOG("Query failed cause %d", stepped.reason().value());
        error = isBusy(stepped) ? "The statistics database is busy" : "The statistics database cannot be read";
    } else if (counter > 0) {
        for (const auto& [name, shouldDraw] : remembered) {
            if (auto found = loaded.find(name); found != loaded.end()) found->second->shouldDraw = shouldDraw;
        }
        std::lock_guard guard(plotsMutex_);
        plots_ = std::move(loaded);
    }
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
