// The toolkit-free screen layer: log line format, table selection and taps,
// the navigation stack's lifecycle and its alerts.

#include <gtest/gtest.h>

#include "app/model/DateText.h"
#include "app/screens/GenericViewController.h"
#include "app/screens/StrategyChooserCell.h"
#include "app/screens/TableViewController.h"
#include "tests/support/AppHarness.h"

namespace corvane::testing {
namespace {

using app::IndexPath;

TEST(AppLogTest, NamesTheClassAndOperationOfTheWriter) {
    EXPECT_EQ(app::AppLog::methodName("void corvane::app::PlistController::reloadPrefs()"),
              "-[PlistController reloadPrefs]");

    std::string captured;
    auto previous = app::AppLog::setSink([&](const std::string& line) { captured = line; });
    AMPWISE_LOG("File not found : %s", "/a/b");
    app::AppLog::setSink(previous);
    EXPECT_TRUE(captured.starts_with("=== CorvaneApp === -[")) << captured;
    EXPECT_TRUE(captured.ends_with("] File not found : /a/b")) << captured;
}

// A screen of two sections whose rows record what reaches them.
class RecordingScreen : public app::TableViewController,
                        public app::StrategyChooserDelegate,
                        public app::AlertViewDelegate {
public:
    RecordingScreen() {
        tableView().registerPrototype("cell", [] { return std::make_shared<app::StrategyChooserCell>("cell"); });
    }
    int numberOfSectionsInTableView(app::TableView&) override { return 2; }
    int numberOfRowsInSection(app::TableView&, int section) override { return section == 0 ? 1 : 3; }
    std::shared_ptr<app::TableCell> cellForRowAtIndexPath(app::TableView& table, IndexPath indexPath) override {
        auto cell = std::static_pointer_cast<app::StrategyChooserCell>(table.dequeueReusableCellWithIdentifier("cell"));
        cell->tag = indexPath.section * 10 + indexPath.row;
        cell->delegate = this;
        cell->userInteractionEnabled = indexPath.section == 1;
        return cell;
    }
    void didSelectRowAtIndexPath(app::TableView&, IndexPath indexPath) override { selections.push_back(indexPath); }
    void didDeselectRowAtIndexPath(app::TableView&, IndexPath indexPath) override { deselections.push_back(indexPath); }
    void strategyChanged(std::int32_t strategy) override { strategies.push_back(strategy); }
    void alertViewClickedButtonAtIndex(const app::AlertView&, int index) override { answers.push_back(index); }
    void viewDidLoad() override { ++loads; }
    void viewDidAppear(bool) override { ++appearances; }

    std::vector<IndexPath> selections, deselections;
    std::vector<std::int32_t> strategies;
    std::vector<int> answers;
    int loads = 0, appearances = 0;
};

TEST(TableViewTest, TapsSelectOneRowAtATimeAndCellsHearIt) {
    RecordingScreen screen;
    screen.tableView().reloadData();
    screen.tableView().tapRowAtIndexPath({0, 0});  // refuses interaction
    screen.tableView().tapRowAtIndexPath({1, 5});  // no such row
    EXPECT_TRUE(screen.selections.empty());

    screen.tableView().tapRowAtIndexPath({1, 1});
    screen.tableView().tapRowAtIndexPath({1, 2});
    EXPECT_EQ(screen.selections, (std::vector<IndexPath>{{1, 1}, {1, 2}}));
    EXPECT_EQ(screen.deselections, (std::vector<IndexPath>{{1, 1}}));
    EXPECT_EQ(screen.strategies, (std::vector<std::int32_t>{11, 12}));
    EXPECT_EQ(screen.tableView().cellForRowAtIndexPath({1, 2})->accessoryType, app::CellAccessory::Checkmark);

    // A programmatic selection reaches the cell but not the delegate, and a
    // reload keeps it on the new cell.
    screen.tableView().selectRowAtIndexPath({1, 0}, true, app::TableScrollPosition::Top);
    EXPECT_EQ(screen.selections.size(), 2u);
    screen.tableView().reloadData();
    EXPECT_TRUE(screen.tableView().cellForRowAtIndexPath({1, 0})->isSelected());
    EXPECT_EQ(screen.strategies.back(), 10);
}

// A screen that goes back as soon as one of its rows is tapped.
class SelfPoppingScreen : public app::TableViewController {
public:
    int numberOfRowsInSection(app::TableView&, int) override { return 1; }
    std::shared_ptr<app::TableCell> cellForRowAtIndexPath(app::TableView&, IndexPath) override {
        return std::make_shared<app::TableCell>("cell");
    }
    void didSelectRowAtIndexPath(app::TableView&, IndexPath) override {
        navigationController()->popViewControllerAnimated(true);
    }
};

TEST(NavigationStackTest, PushesPopsAndForgetsTheAlertsOfAPoppedScreenWhichMayPopItself) {
    app::Storyboard storyboard;
    RecordingScreen* pushed = nullptr;
    storyboard.registerScene("next", [&] {
        auto screen = std::make_unique<RecordingScreen>();
        pushed = screen.get();
        return screen;
    });
    storyboard.registerScene("popping", [] { return std::make_unique<SelfPoppingScreen>(); });
    app::NavigationStack stack(std::move(storyboard));
    auto rootScreen = std::make_unique<RecordingScreen>();
    RecordingScreen* root = rootScreen.get();
    stack.setRootViewController(std::move(rootScreen));
    root->performSegueWithIdentifier("nowhere", nullptr);
    EXPECT_EQ(stack.depth(), 1u);
    root->performSegueWithIdentifier("next", nullptr);
    ASSERT_NE(pushed, nullptr);
    EXPECT_EQ(stack.topViewController(), pushed);

    pushed->showAlert(
        {.title = "Caution", .cancelButtonTitle = "Cancel", .otherButtonTitles = {"Do purge"}, .delegate = pushed});
    ASSERT_EQ(stack.pendingAlerts().size(), 1u);

    stack.popViewControllerAnimated(true);
    EXPECT_EQ(stack.topViewController(), root);
    EXPECT_EQ(root->appearances, 2);
    EXPECT_EQ(root->loads, 1);
    // The alert outlives its screen but no longer reaches it.
    EXPECT_TRUE(stack.answerAlert(1));
    EXPECT_TRUE(root->answers.empty());
    EXPECT_FALSE(stack.answerAlert(0));

    // A screen may pop itself from its own handler and the table goes on; under
    // the address sanitizer a screen destroyed at once would show here.
    root->performSegueWithIdentifier("popping", nullptr);
    dynamic_cast<app::TableViewController&>(*stack.topViewController()).tableView().tapRowAtIndexPath({0, 0});
    EXPECT_EQ(stack.topViewController(), root);

    // Records of segues stay bounded.
    for (int i = 0; i < 40; ++i) root->performSegueWithIdentifier("nowhere", nullptr);
    EXPECT_EQ(stack.performedSegues().size(), app::NavigationStack::kRecordLimit);
}

// Answers its alert by raising the next one, and reloads its table from a
// cell: a front end must hear of each alert and of each reload once, never
// from inside the handler that caused it.
class ChainingScreen : public RecordingScreen {
public:
    void alertViewClickedButtonAtIndex(const app::AlertView&, int index) override {
        answering = true;
        if (index == 1) showAlert({.title = "second", .cancelButtonTitle = "OK", .delegate = this});
        answering = false;
    }
    std::shared_ptr<app::TableCell> cellForRowAtIndexPath(app::TableView& table, IndexPath indexPath) override {
        table.deselectRowAtIndexPath(indexPath, false);
        return RecordingScreen::cellForRowAtIndexPath(table, indexPath);
    }
    bool answering = false;
};

TEST(NavigationStackTest, AlertsAndReloadsReachTheFrontEndOnceAndInTurn) {
    app::NavigationStack stack{app::Storyboard{}};
    stack.setRootViewController(std::make_unique<ChainingScreen>());
    auto& screen = dynamic_cast<ChainingScreen&>(*stack.topViewController());
    std::vector<std::string> announced;
    stack.onAlert = [&](const app::AlertView& alert) {
        EXPECT_FALSE(screen.answering) << alert.title;
        announced.push_back(alert.title);
    };
    int changes = 0;
    screen.tableView().onChange = [&] { ++changes; };
    screen.tableView().reloadData();
    EXPECT_EQ(changes, 1);  // not again from the cell's deselection inside the reload

    screen.showAlert({.title = "first", .cancelButtonTitle = "No", .otherButtonTitles = {"Yes"}, .delegate = &screen});
    ASSERT_TRUE(stack.answerAlert(1));
    EXPECT_EQ(announced, (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(stack.pendingAlerts().size(), 1u);

    // The app's back button pops like the navigation bar's.
    app::Storyboard storyboard;
    storyboard.registerScene("generic", [] { return std::make_unique<app::GenericViewController>(); });
    app::NavigationStack generic(std::move(storyboard));
    generic.setRootViewController(std::make_unique<RecordingScreen>());
    generic.topViewController()->performSegueWithIdentifier("generic", nullptr);
    dynamic_cast<app::GenericViewController&>(*generic.topViewController()).touchUpInsideBackButton();
    EXPECT_EQ(generic.depth(), 1u);
}

TEST(DateTextTest, ShortStylesAndDefaultDescription) {
    SavedEnvironment environment({"TZ"});
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    EXPECT_EQ(app::DateText::shortDateShortTime(1'796'592'740.0), "12/6/26, 9:32 PM");
    EXPECT_EQ(app::DateText::defaultDescription(1'796'592'740.0), "2026-12-06 21:32:20 +0000");
    // Out-of-range times are clamped rather than overflowing.
    EXPECT_FALSE(app::DateText::defaultDescription(1e300).empty());
    EXPECT_EQ(app::DateText::shortDateShortTime(1'420'070'400.0), "1/1/15, 12:00 AM");
    ::unsetenv("TZ");
    ::tzset();
}

}  // namespace
}  // namespace corvane::testing
