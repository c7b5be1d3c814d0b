// The main settings screen and the strategy chooser, driven through the
// navigation stack: what a switch or a chosen strategy writes into the
// settings file, how often the engine is told, and what the screens opened
// from the settings receive.

#include <gtest/gtest.h>

#include "app/screens/AmpwiseStoryboard.h"
#include "app/screens/SettingsStrategyViewController.h"
#include "app/screens/SettingsViewController.h"
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
    ASSERT_EQ(chooser->tableView().numberOfRowsInSection(1), 6);
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
}

}  // namespace
}  // namespace corvane::testing
