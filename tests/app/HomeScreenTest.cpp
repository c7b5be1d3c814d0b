// The home list, driven through the navigation stack: the strategy row
// follows the settings file and rows lead to their screens (the help alert is
// answered through the window's tests).

#include <gtest/gtest.h>

#include "app/screens/AmpwiseStoryboard.h"
#include "app/screens/StartingViewController.h"
#include "tests/support/AppHarness.h"

namespace corvane::testing {
namespace {

using app::Color;
using app::StartingViewController;

class HomeScreenTest : public AppTest {
protected:
    // Every row's segue leads to a plain screen.
    void openHome() {
        app::Storyboard storyboard;
        for (std::string_view segue : {StartingViewController::kGoGraphCell, StartingViewController::kLastBattCell,
                                       StartingViewController::kSettingsCell, StartingViewController::kInfoCell,
                                       StartingViewController::kGreetingsCell, StartingViewController::kStrategyCell})
            storyboard.registerScene(std::string(segue), [] { return std::make_unique<app::ViewController>(); });
        stack = std::make_unique<app::NavigationStack>(std::move(storyboard));
        auto screen = std::make_unique<StartingViewController>();
        home = screen.get();
        stack->setRootViewController(std::move(screen));
    }
    void writeStrategy(std::int64_t strategy) { writeCompleteSettings({{"Strategy", strategy}}); }
    std::shared_ptr<app::TableCell> strategyRow() const {
        return home->tableView().cellForRowAtIndexPath({0, StartingViewController::kStrategyRow});
    }

    std::unique_ptr<app::NavigationStack> stack;
    StartingViewController* home = nullptr;
};

TEST_F(HomeScreenTest, ShowsSevenRowsLeadingToTheirScreensAndTheStrategyOfTheSettingsFile) {
    writeStrategy(2);
    openHome();
    ASSERT_EQ(home->tableView().numberOfRowsInSection(0), 7);
    EXPECT_EQ(home->tableView().cellForRowAtIndexPath({0, 4})->text, "FAQ Ampwise 2.1.1");
    EXPECT_EQ(strategyRow()->text, "Using : normal mode");
    EXPECT_EQ(strategyRow()->textColor, (Color{0.3f, 0.8f, 0.35f, 0.6f}));
    for (int row : {0, 1, 2, 5, 6}) {
        home->tableView().tapRowAtIndexPath({0, row});
        ASSERT_EQ(stack->depth(), 2u) << row;
        stack->popViewControllerAnimated(true);
    }
    EXPECT_EQ(stack->performedSegues(),
              (std::vector<std::string>{"goGraphCell", "lastBattCell", "settingsCell", "infoCell", "greetingsCell"}));

    // The app's graphs row is live; a layout without a graph screen greys
    // it out and it leads nowhere.
    for (const bool withGraphs : {true, false}) {
        app::NavigationStack app(withGraphs ? app::AmpwiseStoryboard::make() : app::Storyboard{});
        app.setRootViewController(app::AmpwiseStoryboard::instantiateInitialViewController());
        auto& appHome = dynamic_cast<StartingViewController&>(*app.topViewController());
        EXPECT_EQ(appHome.tableView().cellForRowAtIndexPath({0, 0})->textEnabled, withGraphs);
        if (!withGraphs) {
            appHome.tableView().tapRowAtIndexPath({0, 0});
            EXPECT_EQ(app.depth(), 1u);
        }
    }
}

TEST_F(HomeScreenTest, AnUnknownStrategyKeepsThePreviousColour) {
    writeStrategy(7);
    openHome();
    EXPECT_EQ(strategyRow()->text, "Unknown");
    EXPECT_FALSE(strategyRow()->textColor.has_value());

    writeStrategy(1);
    home->tableView().tapRowAtIndexPath({0, 5});
    stack->popViewControllerAnimated(true);
    EXPECT_EQ(strategyRow()->text, "iMessage friendly mode");

    writeStrategy(7);
    home->tableView().tapRowAtIndexPath({0, 6});
    stack->popViewControllerAnimated(true);
    EXPECT_EQ(strategyRow()->text, "Unknown");
    EXPECT_EQ(strategyRow()->textColor, (Color{0.3f, 0.9f, 0.35f, 0.5f}));
}

}  // namespace
}  // namespace corvane::testing
