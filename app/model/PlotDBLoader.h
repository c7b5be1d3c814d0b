#pragma once
// Loads the battery statistics that the engine records into one series per
// column, for a time window, on a thread named "dbLoaderThread"; tells its
// delegate how the load goes and then serves the series to the chart.
//
// One load runs at a time: starting one is a single test-and-set of the
// loading flag, cleared once by the load itself. The database handle is used
// by one caller at a time. The delegate is not owned: a delegate that goes
// away detaches itself (detachDelegate), which waits for a callback in
// progress, so none reaches it afterwards. A database kept busy by a writer
// fails the load after a bounded wait (busyTimeoutMilliseconds) and the
// failure is kept in lastLoadError.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

#include "app/chart/PCLineChartView.h"
#include "app/model/PlotDataSource.h"
#include "app/model/PlotLoaderDelegate.h"
#include "shared/StatisticsSchema.h"
#include "shared/StatisticsStore.h"

namespace corvane::app {

// A window of seconds since 1970, carried to the loading thread.
struct Pair {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
};

class PlotDBLoader final : public PlotDataSource {
public:
    using Components = PCLineChartView::Components;

    static constexpr std::uint64_t kDefaultWindowSeconds = 259200;
    static constexpr int kDefaultBusyTimeoutMilliseconds = 2000;
    // The record query: the fifteen columns in series order, each after a
    // run of 35 spaces, then the window as bound parameters, oldest first.
    static const std::string& recordQuery();
    static constexpr std::string_view kCountQuery = statistics::kCountInWindowStatement;
    static constexpr std::string_view kEndTimesQuery = statistics::kTimeBoundsStatement;
    // The series, in column order.
    static constexpr std::size_t kSeriesCount = 15;
    static const char* const kSeriesNames[kSeriesCount];

    // The process-wide loader, made on first use (which reads the time bounds).
    static PlotDBLoader& sharedInstance();
    // Waits for a running load and drops the loader; the next sharedInstance
    // makes a new one (after a change of filesystem root, between tests).
    static void resetSharedInstance();

    PlotDBLoader();
    ~PlotDBLoader() override;
    PlotDBLoader(const PlotDBLoader&) = delete;
    PlotDBLoader& operator=(const PlotDBLoader&) = delete;

    // Reads the oldest and newest record time, on the caller's thread. Not
    // while a load runs (answers NO and changes nothing then); a database
    // that cannot be read leaves the bounds as they were.
    bool loadEndTimes();

    // Starts loading [from, to] on "dbLoaderThread" unless a load runs.
    // Answers whether it started one.
    bool loadFromDBAsyncFrom(std::uint64_t from, std::uint64_t to);
    bool loadDataWindowFromEnd();
    bool loadPreviousTimeWindow();
    bool loadNextTimeWindow();
    // The last 6 hours (1), 12 hours (2), day (3), 2 days (4), week (5) or 30
    // days (6); any other code one day; never before the oldest record.
    bool loadAllDataWithLimit(std::int32_t rangeCode);
    // The last `seconds` up to the newest record (never before the oldest).
    bool loadLastSeconds(std::uint64_t seconds);
    // Everything from the oldest to the newest record.
    bool loadAllData();

    bool isLoading() const { return loading_.load(); }
    // Returns once no load runs and the delegate has been told of every load
    // that ended, so whatever it posted to the main loop is there to run.
    // Not from a delegate callback (that load is still being finished).
    void waitLoading() const;

    // The series of the last load that returned records.
    Components plots() const;

    PlotLoaderDelegate* delegate() const;
    void setDelegate(PlotLoaderDelegate* delegate);
    // Clears the delegate when it is this one; returns once no callback to
    // it runs any more.
    void detachDelegate(PlotLoaderDelegate* delegate);

    std::uint64_t timeWindowSizeSeconds() const { return timeWindowSizeSeconds_.load(); }
    void setTimeWindowSizeSeconds(std::uint64_t seconds) { timeWindowSizeSeconds_.store(seconds); }
    std::uint64_t minTime() const { return minTime_.load(); }
    std::uint64_t maxTime() const { return maxTime_.load(); }
    std::uint64_t start() const { return start_.load(); }
    std::uint64_t end() const { return end_.load(); }

    int busyTimeoutMilliseconds() const { return busyTimeoutMilliseconds_.load(); }
    void setBusyTimeoutMilliseconds(int milliseconds) { busyTimeoutMilliseconds_.store(milliseconds); }
    // Why the last load failed (the database busy or unreadable); empty when
    // it succeeded or found no database.
    std::string lastLoadError() const;

    // Clears the loading flag, tells the delegate the load has ended, then
    // lets waitLoading return.
    void fireLoadingIsOver();
    // Appends a value to the named series of `into`, making the series first
    // when it is missing.
    static void addData(std::int64_t value, Components& into, const std::string& serie);

    std::uint64_t numberOfRecordsForPlot(DataSourcePlot& plot) override;
    std::optional<double> numberForPlot(DataSourcePlot& plot, std::uint64_t field, std::uint64_t recordIndex) override;

private:
    using DrawFlags = std::map<std::string, bool>;
    void loadDataFrom(Pair window, DrawFlags remembered);
    // The load proper, with the database handle held; an error text on failure.
    std::string readWindow(const Pair& window, const DrawFlags& remembered);
    // The count and the records, from the open database.
    std::string readRecords(const Pair& window, const DrawFlags& remembered);
    void compact();
    void tellDelegate(void (PlotLoaderDelegate::*call)(std::int32_t), std::int32_t count);

    std::atomic<bool> loading_{false};
    // Loads started whose delegate has not yet been told they ended (a load
    // started from dataLoaded makes this 2 for a moment).
    mutable std::mutex unfinishedMutex_;
    mutable std::condition_variable allFinished_;
    int unfinishedLoads_ = 0;
    std::atomic<std::uint64_t> timeWindowSizeSeconds_{kDefaultWindowSeconds};
    std::atomic<std::uint64_t> minTime_{0};
    std::atomic<std::uint64_t> maxTime_{0};
    std::atomic<std::uint64_t> start_{0};
    std::atomic<std::uint64_t> end_{0};
    std::atomic<int> busyTimeoutMilliseconds_{kDefaultBusyTimeoutMilliseconds};

    // The connection, used by loadEndTimes or by the loading thread, never both.
    std::mutex databaseMutex_;
    statistics::Store statsDB_;

    mutable std::mutex plotsMutex_;
    Components plots_;
    std::string lastLoadError_;

    mutable std::recursive_mutex delegateMutex_;
    PlotLoaderDelegate* delegate_ = nullptr;

    // Joins the previous loading thread, or detaches it when called on it;
    // called with threadMutex_ held.
    void releaseLoaderThread();
    std::mutex threadMutex_;
    std::thread loaderThread_;
};

}  // namespace corvane::app
