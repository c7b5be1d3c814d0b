// The main settings screen and the strategy chooser, driven through the
// navigation stack: what a switch or a chosen strategy writes into the
// settings file, how often the engine is told, and what the screens opened
// from the settings receive.

#include <gtest/gtest.h>

#include "app/screens/AppListViewController.h"
#include "app/screens/ListUITableViewCell.h"
#include "app/screens/RatesViewController.h"
#include "app/screens/SettingsStrategyViewController.h"
#include "app/screens/SettingsViewController.h"
#include "app/screens/SwitchUITableViewCell.h"
#include "tests/support/AppHarness.h"

namespace corvane::testing {
namespace {

using app::CellAccessory;
using app::SettingsStrategyViewController;
using app::SettingsViewController;

// A settings file with every key the model reads, so that loading it writes
// nothing, and an extra key of the engine's that no save may drop.
plist::Dictionary completeSettings(std::int64_t strategy) {
    plist::Dictionary settings;
    for (std::string_view key : {settings::kDebug, settings::kCarMode, settings::kDisableIcon,
                                 settings::kManageCriticalLevel}) {
        settings.set(key, plist::Value(false));
    }
    for (std::string_view key : {settings::kLowPowerMode, settings::kEnabledAllRadios,
                                 settings::kEnabledAllRadiosInBackground, settings::kEnabledEdgeOffOnWifi,
                                 settings::kSaveStats, settings::kSaveLastState, settings::kNoneOnAC,
                                 settings::kSwitchRadiosOnLock}) {
        settings.set(key, plist::Value(true));
    }
    settings.set(settings::kRadioTimerDurationAtSleep, plist::Value(8.0));
    settings.set(settings::kRadioTimerDurationAtWakeup, plist::Value(3.0));
    settings.set(settings::kWakeInterval, plist::Value(15.0));
    settings.set(settings::kStrategy, plist::Value(strategy));
    for (std::string_view key :
         {settings::kEdge, settings::k3G, settings::k4G, settings::kWiFi, settings::kPush, settings::kLocation,
          settings::kBluetooth, settings::kEdgeAtSleep, settings::k3GAtSleep, settings::k4GAtSleep,
          settings::kWiFiAtSleep, settings::kPushAtSleep, settings::kLocationAtSleep, settings::kBluetoothAtSleep,
          settings::kMinRate, settings::kMaxRate}) {
        settings.set(key, plist::Value(2));
    }
    settings.set(settings::kBlockPopups, plist::Value(true));
    return settings;
}

// Keys whose value differs between two dictionaries, or that only one has.
std::vector<std::string> changedKeys(const plist::Dictionary& before, const plist::Dictionary& after) {
    std::vector<std::string> changed;
    for (const auto& [key, value] : before) {
        const plist::Value* now = after.find(key);
        if (now == nullptr || !(*now == value)) changed.push_back(key);
    }
    for (const auto& [key, value] : after) {
        if (!before.contains(key)) changed.push_back(key);
    }
    return changed;
}

class SettingsScreensTest : public AppTest {
protected:
    void openSettings() {
        app::Storyboard storyboard;
        storyboard.registerScene(std::string(SettingsViewController::kStrategySegue),
                                 [] { return std::make_unique<SettingsStrategyViewController>(); });
        storyboard.registerScene(std::string(SettingsViewController::kPurgeSegue),
                                 [] { return std::make_unique<app::ViewController>(); });
        for (std::string_view segue : {SettingsViewController::kShutdownSegue, SettingsViewController::kNoTurnOffSegue,
                                       SettingsViewController::kNoDelayAppsSegue}) {
            storyboard.registerScene(std::string(segue), [] { return std::make_unique<app::AppListViewController>(); });
        }
        for (std::string_view segue : {SettingsViewController::kMinRateSegue, SettingsViewController::kMaxRateSegue}) {
            storyboard.registerScene(std::string(segue), [] { return std::make_unique<app::RatesViewController>(); });
        }
        stack = std::make_unique<app::NavigationStack>(std::move(storyboard));
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

TEST_F(SettingsScreensTest, ASwitchWritesItsKeyAloneAndTellsTheEngineOnce) {
    plist::Dictionary before = completeSettings(2);
    before.set(settings::kDebug, plist::Value(true));
    writeSettings(before);
    openSettings();
    EXPECT_EQ(settingsScreen->title, "Settings");
    EXPECT_EQ(preferencesChangedCount(), 0u);
    ASSERT_EQ(settingsScreen->tableView().numberOfSections(), 4);
    EXPECT_EQ(settingsScreen->tableView().numberOfRowsInSection(SettingsViewController::kSwitchesSection), 8);

    app::SwitchUITableViewCell& carMode = switchRow(2);
    EXPECT_EQ(carMode.label, "Car mode");
    EXPECT_EQ(carMode.row, 2u);
    EXPECT_FALSE(carMode.switchCtrl.on);
    EXPECT_TRUE(switchRow(1).switchCtrl.on);

    carMode.userSetSwitch(true);
    EXPECT_EQ(preferencesChangedCount(), 1u);
    EXPECT_TRUE(app::PlistController::sharedInstance().carMode());
    ASSERT_TRUE(settingsFile().has_value());
    EXPECT_EQ(changedKeys(before, *settingsFile()), (std::vector<std::string>{"CarMode"}));
    EXPECT_TRUE(settingsFile()->find(settings::kCarMode)->isBoolean());
    EXPECT_TRUE(settingsFile()->find(settings::kCarMode)->boolValue());

    // A row outside the six settings changes nothing.
    app::SwitchUITableViewCell stray("switchCell");
    stray.row = 7;
    stray.label = "Stray";
    stray.delegate = settingsScreen;
    stray.userSetSwitch(true);
    EXPECT_EQ(preferencesChangedCount(), 1u);
}

TEST_F(SettingsScreensTest, SwitchesShowTheFileAgainAfterAnotherScreen) {
    writeSettings(completeSettings(2));
    openSettings();
    EXPECT_FALSE(switchRow(1).switchCtrl.on);

    settingsScreen->tableView().tapRowAtIndexPath({SettingsViewController::kPurgeSection, 0});
    ASSERT_EQ(stack->depth(), 2u);
    plist::Dictionary edited = completeSettings(2);
    edited.set(settings::kDebug, plist::Value(true));
    writeSettings(edited);
    stack->popViewControllerAnimated(true);
    EXPECT_TRUE(switchRow(1).switchCtrl.on);
}

TEST_F(SettingsScreensTest, OpeningTheChooserSavesOnceWithoutChange) {
    const plist::Dictionary before = completeSettings(2);
    writeSettings(before);
    openSettings();
    openChooser();
    EXPECT_EQ(chooser->title, "Saving strategies");
    EXPECT_EQ(chooser->tableView().numberOfRowsInSection(0), 0);
    ASSERT_EQ(chooser->tableView().numberOfRowsInSection(1), 6);

    EXPECT_EQ(preferencesChangedCount(), 1u);
    ASSERT_TRUE(settingsFile().has_value());
    EXPECT_TRUE(changedKeys(before, *settingsFile()).empty());
    for (int row = 0; row < 6; ++row) {
        EXPECT_EQ(strategyRow(row)->accessoryType, row == 2 ? CellAccessory::Checkmark : CellAccessory::None) << row;
        EXPECT_EQ(strategyRow(row)->tag, row);
    }
    EXPECT_EQ(strategyRow(2)->text, "Normal");

    // Choosing Ultimate saves strategy 4 alone.
    chooser->tableView().tapRowAtIndexPath({1, 4});

    EXPECT_EQ(preferencesChangedCount(), 2u);
    ASSERT_TRUE(settingsFile().has_value());
    EXPECT_EQ(changedKeys(before, *settingsFile()), (std::vector<std::string>{"Strategy"}));
    EXPECT_EQ(settingsFile()->find(settings::kStrategy)->integerValue(), 4);
    EXPECT_EQ(strategyRow(2)->accessoryType, CellAccessory::None);
    EXPECT_EQ(strategyRow(4)->accessoryType, CellAccessory::Checkmark);
    EXPECT_EQ(stack->depth(), 2u);
}

}  // namespace
}  // namespace corvane::testing
