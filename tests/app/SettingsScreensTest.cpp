// The home list, the main settings screen and the strategy chooser, driven
// through the navigation stack: the strategy row follows the settings file,
// rows lead to their screens, and what a switch or a chosen strategy writes
// into the settings file and how often the engine is told (the help alert is
// answered through the window's tests).

#include <gtest/gtest.h>

#include "app/screens/AmpwiseStoryboard.h"
#include "app/screens/SettingsStrategyViewController.h"
#include "app/screens/SettingsViewController.h"
#include "app/screens/StartingViewController.h"
#include "app/screens/SwitchUITableViewCell.h"
#include "tests/support/AppHarness.h"

namespace corvane::testing {
namespace {

using app::CellAccessory;
using app::SettingsStrategyViewController;
using app::SettingsViewController;

class SettingsScreensTest : public AppTest {
protected:
    void openSettings() {
        stack = std::make_unique<app::NavigationStack>(app::AmpwiseStoryboard::make());
        auto screen = std::make_unique<SettingsViewController>();
        settingsScreen = screen.get();
        stack->setRootViewController(std::move(screen));
    }
    app::SwitchUITableViewCell& switchRow(int row) {
        auto cell = settingsScreen->tableView().cellForRowAtIndexPath({SettingsViewController::kSwitchesSection, row});
        auto* switchCell = dynamic_cast<app::SwitchUITableViewCell*>(cell.get());
        EXPECT_NE(switchCell, nullptr) << row;
        return *switchCell;
    }
    void openChooser() {
        settingsScreen->tableView().tapRowAtIndexPath({SettingsViewController::kStrategySection, 0});
        chooser = dynamic_cast<SettingsStrategyViewController*>(stack->topViewController());
        ASSERT_NE(chooser, nullptr);
    }
    std::shared_ptr<app::TableCell> strategyRow(int row) const {
        return chooser->tableView().cellForRowAtIndexPath({SettingsStrategyViewController::kStrategiesSection, row});
    }

    std::unique_ptr<app::NavigationStack> stack;
    SettingsViewController* settingsScreen = nullptr;
    SettingsStrategyViewController* chooser = nullptr;
};

TEST_F(SettingsScreensTest, ASwitchWritesItsKeyAloneTellsTheEngineOnceAndShowsTheFileAgainLater) {
    plist::Dictionary expected = writeCompleteSettings({{"Debug", true}, {"CarMode", false}});
    openSettings();
    EXPECT_EQ(preferencesChangedCount(), 0u);
    app::SwitchUITableViewCell& carMode = switchRow(2);
    EXPECT_EQ(carMode.label, "Car mode");
    EXPECT_FALSE(carMode.switchCtrl.on);
    EXPECT_TRUE(switchRow(1).switchCtrl.on);

    carMode.userSetSwitch(true);
    EXPECT_EQ(preferencesChangedCount(), 1u);
    EXPECT_TRUE(app::PlistController::sharedInstance().carMode());
    expected.set(settings::kCarMode, plist::Value(true));
    EXPECT_EQ(settingsFile(), expected);  // that key alone

    // A row outside the six settings changes nothing.
    app::SwitchUITableViewCell stray("switchCell");
    stray.row = 7;
    stray.delegate = settingsScreen;
    stray.userSetSwitch(true);
    EXPECT_EQ(preferencesChangedCount(), 1u);

    // Back from another screen, the switches show the file as it is now.
    settingsScreen->tableView().tapRowAtIndexPath({SettingsViewController::kPurgeSection, 0});
    ASSERT_EQ(stack->depth(), 2u);
    expected.set(settings::kDebug, plist::Value(false));
    writeSettings(expected);
    stack->popViewControllerAnimated(true);
    EXPECT_FALSE(switchRow(1).switchCtrl.on);
}

TEST_F(SettingsScreensTest, OpeningTheChooserSavesOnceWithoutChange) {
    plist::Dictionary expected = writeCompleteSettings({{"Strategy", 2}});
    openSettings();
    openChooser();
    ASSERT_EQ(chooser->tableView().numberOfRowsInSection(1), 7);
    EXPECT_EQ(preferencesChangedCount(), 1u);
    EXPECT_EQ(settingsFile(), expected);
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(strategyRow(row)->accessoryType, row == 2 ? CellAccessory::Checkmark : CellAccessory::None) << row;
    EXPECT_EQ(strategyRow(2)->text, "Normal");

    // Choosing Ultimate saves strategy 4 alone.
    chooser->tableView().tapRowAtIndexPath({1, 4});

    EXPECT_EQ(preferencesChangedCount(), 2u);
    expected.set(settings::kStrategy, plist::Value(4));
    EXPECT_EQ(settingsFile(), expected);
    EXPECT_EQ(strategyRow(4)->accessoryType, CellAccessory::Checkmark);
    EXPECT_EQ(stack->depth(), 2u);

    // Custom saves strategy 5 as well and opens the custom settings.
    chooser->tableView().tapRowAtIndexPath({1, 5});
    EXPECT_EQ(settingsFile()->find(settings::kStrategy)->integerValue(), 5);
    EXPECT_EQ(stack->performedSegues().back(), SettingsStrategyViewController::kCustomSegue);

    // Adaptive, the last row, saves strategy 6 and stays on the chooser.
    stack->popViewControllerAnimated(true);
    EXPECT_EQ(strategyRow(6)->text, "Adaptive");
    EXPECT_EQ(strategyRow(6)->detailText, "Radios off only when it saves energy");
    chooser->tableView().tapRowAtIndexPath({1, 6});
    EXPECT_EQ(settingsFile()->find(settings::kStrategy)->integerValue(), 6);
    EXPECT_EQ(strategyRow(6)->accessoryType, CellAccessory::Checkmark);
    EXPECT_EQ(strategyRow(5)->accessoryType, CellAccessory::None);
}

TEST_F(SettingsScreensTest, OnAFullDiskTheScreensShowWhatTheFileHoldsAndTheUserIsTold) {
    const plist::Dictionary saved = writeCompleteSettings({{"Strategy", 4}, {"CarMode", false}});
    openSettings();
    openChooser();
    {
        const FileSizeLimit full(64);
        chooser->tableView().tapRowAtIndexPath({1, 2});
        for (int row = 0; row < 6; ++row)
            EXPECT_EQ(strategyRow(row)->accessoryType, row == 4 ? CellAccessory::Checkmark : CellAccessory::None)
                << row;
        stack->popViewControllerAnimated(false);
        switchRow(2).userSetSwitch(true);
        EXPECT_FALSE(switchRow(2).switchCtrl.on);
    }
    EXPECT_EQ(settingsFile(), saved);
    ASSERT_EQ(stack->pendingAlerts().size(), 2u);
    for (const app::AlertView& alert : stack->pendingAlerts()) {
        EXPECT_EQ(alert.title, "Setting not saved");
        EXPECT_NE(alert.message.find(paths::resolve(paths::kSettings).string()), std::string::npos);
    }
}

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

TEST_F(HomeScreenTest, AdaptiveShowsWhatItSavedSinceTheLastChargeFromTheEngineRecords) {
    writeStrategy(6);
    openHome();
    EXPECT_EQ(strategyRow()->text, "Using : adaptive mode");
    EXPECT_EQ(strategyRow()->textColor, (Color{0.1f, 0.55f, 0.75f, 0.9f}));
    EXPECT_EQ(strategyRow()->detailText, "Nothing saved yet since the last charge");

    // 300 J of idle radios and 150 J of gathered wake-ups, less 50 J of
    // switching, on a 1560 mAh battery at 3.8 V (21341 J).
    plist::writeFile(paths::resolve(paths::kAdaptiveRecords),
                     plist::Value(plist::Dictionary{{"RadioJoulesSaved", 300.0},
                                                    {"SwitchJoulesSpent", 50.0},
                                                    {"WakesAvoided", 30},
                                                    {"WakeJoulesSaved", 150.0}}));
    home->tableView().tapRowAtIndexPath({0, 5});
    stack->popViewControllerAnimated(true);
    EXPECT_EQ(strategyRow()->detailText, "Saved since last charge: 400 J");
    std::filesystem::create_directories(paths::resolve(paths::kStatisticsFolder));
    plist::writeFile(paths::resolve(paths::kLastBatteryState),
                     plist::Value(plist::Dictionary{{"DesignCapacity", 1560}, {"Voltage", 3800}}));
    home->tableView().tapRowAtIndexPath({0, 5});
    stack->popViewControllerAnimated(true);
    EXPECT_EQ(strategyRow()->detailText, "Saved since last charge: 1.9 % of battery (400 J)");

    // Another strategy shows no savings line.
    writeStrategy(2);
    home->tableView().tapRowAtIndexPath({0, 5});
    stack->popViewControllerAnimated(true);
    EXPECT_EQ(strategyRow()->text, "Using : normal mode");
    EXPECT_EQ(strategyRow()->detailText, "");
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
