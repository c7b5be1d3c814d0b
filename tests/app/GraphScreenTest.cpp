// The graph screen driven as a user would: opened from the home list, its
// first load and the graph settings file, the settings view's switches and
// range picker, window changes through alerts, zoom, the action panel,
// saving an image, a busy database, and leaving while a load runs.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "app/model/PlotDBLoader.h"
#include "app/platform/MainRunLoop.h"
#include "app/platform/NetworkActivityIndicator.h"
#include "app/screens/AmpwiseStoryboard.h"
#include "app/screens/FlipsideViewController.h"
#include "app/screens/LineChartViewController.h"
#include "app/screens/TableViewController.h"
#include "tests/support/AppHarness.h"
#include "tests/support/RecordingChartCanvas.h"
#include "tests/support/StatisticsQueries.h"
#include "tests/support/StatisticsRows.h"

namespace corvane::testing {
namespace {

using app::LineChartViewController;
using app::PlotDBLoader;

constexpr double kViewWidth = 320.0;

class FakeExporter final : public app::ChartImageExporter {
public:
    std::vector<double> widthsWritten;
    // The user answers at once.
    void chooseImagePath(Chosen chosen) override { chosen("/tmp/chart.png"); }
    bool writeImage(app::PCLineChartView& chart, const std::string&) override {
        widthsWritten.push_back(chart.frame.width);
        return true;
    }
};

class GraphScreenTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        stack = std::make_unique<app::NavigationStack>(app::AmpwiseStoryboard::make());
    }
    void TearDown() override {
        stack.reset();
        AppTest::TearDown();
    }

    static PlotDBLoader& loader() { return PlotDBLoader::sharedInstance(); }

    // Runs the main loop until no load runs and nothing waits.
    void settle() {
        for (int round = 0; round < 20; ++round) {
            loader().waitLoading();
            app::MainRunLoop::main().runDueWork();
            if (!loader().isLoading() && !app::MainRunLoop::main().hasPostedWork()) return;
        }
        FAIL() << "the screen keeps loading";
    }
    void advance(double seconds) {
        platform.now += seconds;
        settle();
    }
    // Home list, then its "View Graphs" row; the first load is left running.
    LineChartViewController& openGraphs() {
        stack->setRootViewController(app::AmpwiseStoryboard::instantiateInitialViewController());
        dynamic_cast<app::TableViewController&>(*stack->topViewController()).tableView().tapRowAtIndexPath({0, 0});
        return graph();
    }
    LineChartViewController& graph() {
        auto* screen = dynamic_cast<LineChartViewController*>(stack->topViewController());
        if (screen == nullptr) throw std::logic_error("the graph screen is not shown");
        return *screen;
    }
    static std::optional<plist::Dictionary> graphSettings() {
        return plist::readDictionary(paths::resolve(paths::kGraphSettings));
    }
    // Answers the newest alert, which must carry this message.
    void answer(std::string_view message, int button) {
        ASSERT_FALSE(stack->pendingAlerts().empty());
        EXPECT_EQ(stack->pendingAlerts().back().message, message);
        stack->answerAlert(button);
        settle();
    }
    std::uint64_t windowStart() { return loader().start(); }
    std::uint64_t windowEnd() { return loader().end(); }

    std::unique_ptr<app::NavigationStack> stack;
};

TEST_F(GraphScreenTest, OpensOnTheLastWeekCompletesTheSettingsFileAndMovesTheWindowWhenAsked) {
    const auto times = everyStep(kT0, 600, 3 * 7 * 144);
    writeStatisticsRows(times);
    writeFile(paths::kGraphSettings, plist::Dictionary{{"capacity", true}});
    LineChartViewController& screen = openGraphs();
    EXPECT_TRUE(app::NetworkActivityIndicator::isVisible());
    const std::shared_ptr<app::InfoView> progress = screen.infoView();
    ASSERT_NE(progress, nullptr);
    settle();
    // The progress view was there when the loader counted the week's records.
    EXPECT_EQ(progress->info.text, "loading 1000 elements so far");
    EXPECT_FLOAT_EQ(progress->progress.progress, 1000.0f / 1009.0f);
    EXPECT_TRUE(progress->progress.hidden);

    EXPECT_EQ(windowEnd(), static_cast<std::uint64_t>(times.back()));
    EXPECT_EQ(windowEnd() - windowStart(), static_cast<std::uint64_t>(kWeek));
    EXPECT_DOUBLE_EQ(screen.scrollView.contentWidth, 7 * kViewWidth);
    EXPECT_DOUBLE_EQ(screen.scrollView.contentOffsetX, 6 * kViewWidth);  // the newest records
    EXPECT_EQ(screen.infoView(), nullptr);
    EXPECT_FALSE(app::NetworkActivityIndicator::isVisible());
    ASSERT_TRUE(screen.lineChartView.components.has_value());
    EXPECT_TRUE(screen.lineChartView.components->at("CurrentCapacity")->shouldDraw);

    // The missing keys are written with their defaults.
    plist::Dictionary expected{{"capacity", true}, {"range", LineChartViewController::kDefaultRange}};
    for (const char* key : {"temperature", "drain", "load1", "load5", "load15"}) expected.set(key, false);
    EXPECT_EQ(graphSettings(), expected);

    // Scrolling stops at either end of the chart.
    screen.scrollTo(1e6);
    EXPECT_DOUBLE_EQ(screen.scrollView.contentOffsetX, 6 * kViewWidth);
    screen.scrollTo(-50.0);
    EXPECT_DOUBLE_EQ(screen.scrollView.contentOffsetX, 0.0);

    // Redrawn two seconds after each load, on the newest records again.
    screen.scrollTo(100.0);
    advance(2.0);
    EXPECT_DOUBLE_EQ(screen.scrollView.contentOffsetX, 6 * kViewWidth);

    // Window changes ask first, and zoom is capped.
    const std::uint64_t newestStart = windowStart();

    screen.PanView(-60.0);  // towards the future, already at the newest records: no alert
    EXPECT_TRUE(stack->pendingAlerts().empty());
    screen.PanView(60.0);
    answer("Load previous week ?", 0);
    EXPECT_EQ(windowStart(), newestStart);
    screen.scrollViewDidEndZooming(3.0);
    screen.scrollViewDidEndZooming(0.3);  // beyond the zoom limits
    EXPECT_DOUBLE_EQ(screen.scrollView.contentWidth, 7 * 1.5 * kViewWidth);
    EXPECT_LE(screen.scrollView.contentOffsetX, screen.scrollView.contentWidth - kViewWidth);  // chart in view

    screen.PanView(60.0);
    answer("Load previous week ?", 1);
    EXPECT_EQ(windowEnd(), newestStart);
    EXPECT_EQ(windowEnd() - windowStart(), static_cast<std::uint64_t>(kWeek));
    EXPECT_DOUBLE_EQ(screen.scrollView.contentWidth, 7 * kViewWidth);  // zoom reset

    // The action panel stops the gestures while shown; its buttons ask too.
    screen.Tap1();
    EXPECT_TRUE(screen.dialog.visible);
    screen.PanView(60.0);
    EXPECT_TRUE(stack->pendingAlerts().empty());
    ASSERT_TRUE(screen.tapPanelButton("Load next week ?"));
    EXPECT_FALSE(screen.dialog.visible);
    answer("Load next week ?", 1);
    EXPECT_EQ(windowEnd(), static_cast<std::uint64_t>(times.back()));

    screen.ToggleView();  // at the newest records: to the oldest
    EXPECT_DOUBLE_EQ(screen.scrollView.contentOffsetX, 0.0);

    // Saving an image: refused without a toolkit to write it, else the whole chart.
    screen.Tap1();
    ASSERT_TRUE(screen.tapPanelButton("Save image"));
    answer("The image could not be saved", 0);
    FakeExporter exporter;
    screen.imageExporter = &exporter;
    screen.Tap1();
    screen.tapPanelButton("Save image");
    EXPECT_EQ(exporter.widthsWritten, std::vector<double>{7 * kViewWidth});
    EXPECT_EQ(stack->pendingAlerts().back().message, "/tmp/chart.png");
}

TEST_F(GraphScreenTest, TheSettingsViewSwitchesSeriesAndPicksTheRange) {
    writeStatisticsRows(everyStep(kT0, 600, 2 * 7 * 144));
    LineChartViewController& screen = openGraphs();
    settle();
    EXPECT_FALSE(graphSettings().has_value());  // a missing file is only reported

    screen.LongTap2();
    auto* settings = dynamic_cast<app::FlipsideViewController*>(stack->topViewController());
    ASSERT_NE(settings, nullptr);
    advance(app::FlipsideViewController::kRestoreDelay);
    EXPECT_TRUE(settings->capacitySwitch.on);
    EXPECT_EQ(settings->pickerView.selectedRow, LineChartViewController::kDefaultRange);

    settings->userSetSwitch(1, true);  // temperature
    EXPECT_EQ(graphSettings(), (plist::Dictionary{{"temperature", true}}));
    EXPECT_TRUE(screen.lineChartView.components->at("Temperature")->shouldDraw);

    settings->didSelectRow(3);  // "Last day"
    EXPECT_EQ(graphSettings(), (plist::Dictionary{{"temperature", true}, {"range", 3}}));
    settings->done();
    EXPECT_EQ(&graph(), &screen);
    settle();
    EXPECT_EQ(windowEnd() - windowStart(), static_cast<std::uint64_t>(kDay));
    EXPECT_TRUE(screen.lineChartView.components->at("Temperature")->shouldDraw);  // kept by the reload
}

TEST_F(GraphScreenTest, AHistoryShorterThanTheRangeFillsOneWidthAndAPickedRangeSetsTheVisibleSpan) {
    // What one view width shows, in seconds, for each range asked: the whole
    // history when it is shorter, else the range up to a day, else a day.
    struct Case {
        std::int64_t history;
        int range;
        std::uint64_t window;
        double widths;
    };
    const std::int64_t workday = 84600;  // 23.5 hours
    for (const Case& c : std::vector<Case>{{7200, 5, 7200, 1.0},
                                           {7200, 0, 3600, 1.0},
                                           {7200, 7, 7200, 1.0},
                                           {60, 5, 60, 1.0},
                                           {workday, 5, workday, 1.0},
                                           {workday, 3, workday, 1.0},
                                           {workday, 1, 21600, 1.0},
                                           {2 * kDay, 5, 2 * kDay, 2.0},
                                           {kWeek, 2, 43200, 1.0}}) {
        PlotDBLoader::resetSharedInstance();
        std::filesystem::remove(databasePath());
        writeStatisticsRows(everyStep(kT0, 60, static_cast<int>(c.history / 60) + 1));
        writeFile(paths::kGraphSettings, plist::Dictionary{{"range", c.range}});
        LineChartViewController& screen = openGraphs();
        settle();
        const std::string named = std::to_string(c.history) + "s, range " + std::to_string(c.range);
        EXPECT_EQ(windowEnd() - windowStart(), c.window) << named;
        EXPECT_DOUBLE_EQ(screen.scrollView.contentWidth, c.widths * kViewWidth) << named;
        // The newest records are in view, and the records spread over the whole chart.
        EXPECT_DOUBLE_EQ(screen.scrollView.contentOffsetX, (c.widths - 1.0) * kViewWidth) << named;
        EXPECT_DOUBLE_EQ(screen.lineChartView.frame.width, c.widths * kViewWidth) << named;
        // A short history still gets five time intervals.
        if (c.history < 25000) {
            EXPECT_EQ(screen.lineChartView.numXIntervals, 5u) << named;
        }
    }
    // The last case, "Last 12 hours" of a week: the previous week asked for
    // shows twelve hours per width too.
    graph().PanView(60.0);
    answer("Load previous week ?", 1);
    EXPECT_EQ(windowEnd() - windowStart(), static_cast<std::uint64_t>(kWeek));
    EXPECT_NEAR(graph().scrollView.contentWidth, 14 * kViewWidth, kViewWidth / 100);
}

TEST_F(GraphScreenTest, AnEmptyDatabaseSaysSoWhereTheUserLooks) {
    writeStatisticsRows({});
    LineChartViewController& screen = openGraphs();
    settle();
    RecordingChartCanvas canvas;
    screen.lineChartView.drawRect(canvas);
    ASSERT_EQ(canvas.texts.size(), 1u);
    EXPECT_EQ(canvas.texts[0].text, "No data...");
    const double middle = canvas.texts[0].rect.x + canvas.texts[0].rect.width / 2;
    EXPECT_GE(middle, screen.scrollView.contentOffsetX);
    EXPECT_LE(middle, screen.scrollView.contentOffsetX + kViewWidth);
}

TEST_F(GraphScreenTest, ABusyDatabaseIsReportedAndLeavesTheChart) {
    writeStatisticsRows(everyStep(kT0, 600, 7 * 144));
    LineChartViewController& screen = openGraphs();
    settle();
    const auto shown = screen.lineChartView.components;

    sqlite3* writer = nullptr;
    ASSERT_EQ(sqlite3_open(databasePath().c_str(), &writer), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(writer, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    loader().setBusyTimeoutMilliseconds(0);
    screen.reloadTapped();
    answer("Reload data ?", 1);
    sqlite3_exec(writer, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(writer);

    ASSERT_FALSE(stack->pendingAlerts().empty());
    EXPECT_EQ(stack->pendingAlerts().back().message, "The statistics database is busy");
    EXPECT_EQ(screen.lineChartView.components, shown);
}

TEST_F(GraphScreenTest, TheProgressViewMovesEveryHundredRecords) {
    auto progress = std::make_shared<app::InfoView>();
    progress->viewDidLoad();
    progress->dataLoadingStarted(250);
    for (int read = 1; read <= 250; ++read) progress->dataLoadingInProgress(read);
    EXPECT_EQ(progress->info.text, "init");  // changed on the main loop only
    app::MainRunLoop::main().runDueWork();
    EXPECT_EQ(progress->info.text, "loading 200 elements so far");
}

TEST_F(GraphScreenTest, LeavingDuringALoadIsSafe) {
    writeStatisticsRows(everyStep(kT0, 30, 20160));
    // Popped by a long press while its first load runs, then destroyed.
    openGraphs().LongTap1();
    EXPECT_EQ(stack->depth(), 1u);
    stack->setRootViewController(app::AmpwiseStoryboard::instantiateInitialViewController());
    EXPECT_EQ(loader().delegate(), nullptr);
    settle();

    // A screen gone after its load: its pending redraw never fires.
    LineChartViewController& second = openGraphs();
    settle();
    second.backTapped();
    stack->setRootViewController(app::AmpwiseStoryboard::instantiateInitialViewController());
    EXPECT_FALSE(app::MainRunLoop::main().nextFireTime().has_value());
    advance(2.0);
}

}  // namespace
}  // namespace corvane::testing
