// The custom strategy settings and their duration picker, driven through the
// navigation stack as a user would, checked against the settings file.

#include <gtest/gtest.h>

#include "app/screens/CustomSettingsDetailViewController.h"
#include "app/screens/CustomSettingsViewController.h"
#include "app/screens/SwitchUITableViewCell.h"
#include "tests/support/AppHarness.h"

namespace corvane::testing {
namespace {

using app::CustomSettingsDetailViewController;
using app::CustomSettingsViewController;

constexpr int kSettingsSection = 1;
constexpr int kWakeIntervalRow = 2;
constexpr int kSleepDelayRow = 4;
constexpr int kWakeUpDelayRow = 5;
constexpr int kSaveStatsRow = 7;
constexpr int kNoneOnACRow = 10;

class CustomSettingsTest : public AppTest {
protected:
    static app::Storyboard storyboard() {
        app::Storyboard board;
        board.registerScene(std::string(CustomSettingsViewController::kDetailSegue),
                            [] { return std::make_unique<CustomSettingsDetailViewController>(); });
        return board;
    }

    CustomSettingsViewController& openSettings() {
        auto screen = std::make_unique<CustomSettingsViewController>();
        CustomSettingsViewController* shown = screen.get();
        stack.setRootViewController(std::move(screen));
        return *shown;
    }

    // Opens the custom settings and taps one of its duration rows.
    CustomSettingsDetailViewController* openPicker(int row) {
        openSettings().tableView().tapRowAtIndexPath({kSettingsSection, row});
        return dynamic_cast<CustomSettingsDetailViewController*>(stack.topViewController());
    }

    static std::vector<std::string> shownChoices(CustomSettingsDetailViewController& picker) {
        std::vector<std::string> labels;
        for (int row = 0; row < picker.tableView().numberOfRowsInSection(kSettingsSection); ++row) {
            labels.push_back(picker.tableView().cellForRowAtIndexPath({kSettingsSection, row})->text);
        }
        return labels;
    }

    static std::vector<int> checkedRows(CustomSettingsDetailViewController& picker) {
        std::vector<int> rows;
        for (int row = 0; row < picker.tableView().numberOfRowsInSection(kSettingsSection); ++row) {
            if (picker.tableView().cellForRowAtIndexPath({kSettingsSection, row})->accessoryType ==
                app::CellAccessory::Checkmark) {
                rows.push_back(row);
            }
        }
        return rows;
    }

    app::NavigationStack stack{storyboard()};
};

TEST_F(CustomSettingsTest, ChoosingOneHourWritesTheWakeIntervalAsAnIntegerNumberOfMinutes) {
    CustomSettingsDetailViewController* picker = openPicker(kWakeIntervalRow);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->title, "Select interval");
    EXPECT_EQ(shownChoices(*picker), (std::vector<std::string>{"3 minutes", "5 minutes", "10 minutes", "15 minutes",
                                                               "30 minutes", "45 minutes", "1 hour", "2 hours"}));
    // The model's default of 15 minutes is shown checked.
    EXPECT_EQ(checkedRows(*picker), std::vector<int>{3});

    const std::size_t notificationsBefore = preferencesChangedCount();
    picker->tableView().tapRowAtIndexPath({kSettingsSection, 6});

    const auto written = settingsFile();
    ASSERT_TRUE(written.has_value());
    const plist::Value* interval = written->find(settings::kWakeInterval);
    ASSERT_NE(interval, nullptr);
    EXPECT_EQ(interval->kind(), plist::Value::Kind::Integer);
    EXPECT_EQ(interval->integerValue(), 60);
    EXPECT_EQ(app::PlistController::sharedInstance().wakeIntervalMinutes(), 60.0);
    EXPECT_EQ(preferencesChangedCount(), notificationsBefore + 1);
    EXPECT_EQ(checkedRows(*picker), std::vector<int>{6});
}

TEST_F(CustomSettingsTest, AStoredIntervalOutsideTheListSelectsNoChoice) {
    writeSettings({{std::string(settings::kWakeInterval), plist::Value(20.0)}});
    CustomSettingsDetailViewController* picker = openPicker(kWakeIntervalRow);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(app::PlistController::sharedInstance().wakeIntervalMinutes(), 20.0);
    EXPECT_FALSE(picker->tableView().indexPathForSelectedRow().has_value());
    EXPECT_TRUE(checkedRows(*picker).empty());
}

TEST_F(CustomSettingsTest, DelayPickersOfferSecondsThenOneMinuteAndWriteTheirOwnKey) {
    const std::vector<std::string> delays{"0 second",   "1 second",   "2 seconds", "3 seconds", "4 seconds",
                                          "5 seconds",  "6 seconds",  "7 seconds", "8 seconds", "9 seconds",
                                          "10 seconds", "30 seconds", "1 minute"};

    CustomSettingsDetailViewController* sleepPicker = openPicker(kSleepDelayRow);
    ASSERT_NE(sleepPicker, nullptr);
    EXPECT_EQ(sleepPicker->title, "Select sleep delay");
    EXPECT_EQ(sleepPicker->keyInPlist, settings::kRadioTimerDurationAtSleep);
    EXPECT_EQ(shownChoices(*sleepPicker), delays);
    EXPECT_EQ(sleepPicker->values.at("1 minute"), 60);
    EXPECT_EQ(checkedRows(*sleepPicker), std::vector<int>{8});  // default 8 seconds

    sleepPicker->tableView().tapRowAtIndexPath({kSettingsSection, 0});
    auto written = settingsFile();
    ASSERT_TRUE(written.has_value());
    const plist::Value* sleepDelay = written->find(settings::kRadioTimerDurationAtSleep);
    ASSERT_NE(sleepDelay, nullptr);
    EXPECT_TRUE(sleepDelay->isInteger());
    EXPECT_EQ(sleepDelay->integerValue(), 0);
    EXPECT_EQ(app::PlistController::sharedInstance().radioTimerDurationAtSleep(), 0.0);

    stack.popViewControllerAnimated(false);
    CustomSettingsDetailViewController* wakePicker = openPicker(kWakeUpDelayRow);
    ASSERT_NE(wakePicker, nullptr);
    EXPECT_EQ(wakePicker->title, "Select wake up delay");
    EXPECT_EQ(shownChoices(*wakePicker), delays);
    wakePicker->tableView().tapRowAtIndexPath({kSettingsSection, 12});
    written = settingsFile();
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(written->find(settings::kRadioTimerDurationAtWakeup)->integerValue(), 60);
    EXPECT_EQ(written->find(settings::kRadioTimerDurationAtSleep)->integerValue(), 0);
    EXPECT_EQ(app::PlistController::sharedInstance().radioTimerDurationAtWakeup(), 60.0);
}

TEST_F(CustomSettingsTest, ASwitchRowWritesOnlyItsKeyAndKeepsOneCellPerRow) {
    writeSettings({{std::string(settings::kSaveStats), plist::Value(false)},
                   {std::string(settings::kNoneOnAC), plist::Value(true)},
                   {"SomethingElse", plist::Value("kept")}});
    CustomSettingsViewController& screen = openSettings();
    EXPECT_EQ(screen.title, "Custom settings");

    auto saveStats = std::dynamic_pointer_cast<app::SwitchUITableViewCell>(
        screen.tableView().cellForRowAtIndexPath({kSettingsSection, kSaveStatsRow}));
    auto noneOnAC = std::dynamic_pointer_cast<app::SwitchUITableViewCell>(
        screen.tableView().cellForRowAtIndexPath({kSettingsSection, kNoneOnACRow}));
    ASSERT_TRUE(saveStats && noneOnAC);
    EXPECT_EQ(saveStats->label, "Save statistics");
    EXPECT_FALSE(saveStats->switchCtrl.on);
    EXPECT_TRUE(noneOnAC->switchCtrl.on);

    const auto before = settingsFile();
    ASSERT_TRUE(before.has_value());
    const std::size_t notificationsBefore = preferencesChangedCount();
    saveStats->userSetSwitch(true);

    plist::Dictionary expected = *before;
    expected.set(settings::kSaveStats, plist::Value(true));
    EXPECT_EQ(settingsFile(), expected);
    EXPECT_TRUE(settingsFile()->find(settings::kSaveStats)->isBoolean());
    EXPECT_EQ(preferencesChangedCount(), notificationsBefore + 1);
    EXPECT_TRUE(app::PlistController::sharedInstance().enableSaveStats());
    EXPECT_TRUE(logged("SaveStats ON"));

    // A reload hands back the same cell for each row.
    screen.tableView().reloadData();
    EXPECT_EQ(screen.tableView().cellForRowAtIndexPath({kSettingsSection, kSaveStatsRow}), saveStats);
    EXPECT_EQ(screen.cells.size(), 11u);

    // A row beyond the table changes nothing.
    auto unknown = std::dynamic_pointer_cast<app::SwitchUITableViewCell>(
        screen.cellForRowAtIndexPath(screen.tableView(), {kSettingsSection, 11}));
    ASSERT_TRUE(unknown);
    EXPECT_EQ(unknown->label, "Unknown row");
    unknown->userSetSwitch(true);
    EXPECT_TRUE(logged("This row 11 (Unknown row) should not send that message"));
    EXPECT_EQ(settingsFile(), expected);
    EXPECT_EQ(preferencesChangedCount(), notificationsBefore + 1);
}

}  // namespace
}  // namespace corvane::testing
