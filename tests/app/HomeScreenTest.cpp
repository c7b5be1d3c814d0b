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

TEST_F(HomeScreenTest, ShowsSevenRowsAndTheStrategyOfTheSettingsFile) {
    writeStrategy(2);
    openHome();
    const app::TableView& table = home->tableView();
    ASSERT_EQ(table.numberOfRowsInSection(0), 7);
    EXPECT_EQ(table.cellForRowAtIndexPath({0, 4})->text, "FAQ Ampwise 2.1.1");
    EXPECT_EQ(strategyRow()->text, "Using : normal mode");
    EXPECT_EQ(strategyRow()->textColor, (Color{0.3f, 0.8f, 0.35f, 0.6f}));

    // The app's graphs row is live; a layout without a graph screen greys
    // it out and it leads nowhere.
    app::NavigationStack app(app::AmpwiseStoryboard::make());
    app.setRootViewController(app::AmpwiseStoryboard::instantiateInitialViewController());
    EXPECT_TRUE(dynamic_cast<StartingViewController&>(*app.topViewController())
                    .tableView()
                    .cellForRowAtIndexPath({0, 0})
                    ->textEnabled);
    app::NavigationStack bare{app::Storyboard{}};
    bare.setRootViewController(app::AmpwiseStoryboard::instantiateInitialViewController());
    auto& bareHome = dynamic_cast<StartingViewController&>(*bare.topViewController());
    EXPECT_FALSE(bareHome.tableView().cellForRowAtIndexPath({0, 0})->textEnabled);
    bareHome.tableView().tapRowAtIndexPath({0, 0});
    EXPECT_EQ(bare.depth(), 1u);
}

TEST_F(HomeScreenTest, AnUnknownStrategyKeepsThePreviousColour) {
    writeStrategy(7);
    openHome();
    EXPECT_EQ(home->status, "Unknown");
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

TEST_F(HomeScreenTest, RowsLeadOnlyFromTheCellsOfTheLayout) {
    writeStrategy(2);
    openHome();
    for (int row : {0, 1, 2, 5, 6}) {
        home->tableView().tapRowAtIndexPath({0, row});
        ASSERT_EQ(stack->depth(), 2u) << row;
        stack->popViewControllerAnimated(true);
    }
    EXPECT_EQ(stack->performedSegues(),
              (std::vector<std::string>{"goGraphCell", "lastBattCell", "settingsCell", "infoCell", "greetingsCell"}));
}

}  // namespace
}  // namespace corvane::testing
