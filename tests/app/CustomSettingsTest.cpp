// The custom strategy settings and their duration picker, driven through the
// navigation stack as a user would, checked against the settings file.

#include <gtest/gtest.h>

#include "app/screens/AmpwiseStoryboard.h"
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

    app::NavigationStack stack{app::AmpwiseStoryboard::make()};
};

TEST_F(CustomSettingsTest, EachPickerShowsItsChoicesAndWritesItsKeyAsAnInteger) {
    struct Picker {
        int row;
        std::string title;
        int choices, checkedByDefault, chosen;
        std::string chosenLabel;
        std::string_view key;
        std::int64_t written;
    };
    const Picker pickers[] = {
        {kWakeIntervalRow, "Select interval", 8, 3, 6, "1 hour", settings::kWakeInterval, 60},
        {kSleepDelayRow, "Select sleep delay", 13, 8, 0, "0 second", settings::kRadioTimerDurationAtSleep, 0},
        {kWakeUpDelayRow, "Select wake up delay", 13, 3, 12, "1 minute", settings::kRadioTimerDurationAtWakeup, 60},
    };
    for (const Picker& p : pickers) {
        SCOPED_TRACE(p.title);
        CustomSettingsDetailViewController* picker = openPicker(p.row);
        ASSERT_NE(picker, nullptr);
        EXPECT_EQ(picker->tableView().numberOfRowsInSection(kSettingsSection), p.choices);
        EXPECT_EQ(picker->tableView().cellForRowAtIndexPath({kSettingsSection, p.chosen})->text, p.chosenLabel);
        EXPECT_EQ(checkedRows(*picker), std::vector<int>{p.checkedByDefault});
        const std::size_t notificationsBefore = preferencesChangedCount();
        picker->tableView().tapRowAtIndexPath({kSettingsSection, p.chosen});
        const auto written = settingsFile().value_or(plist::Dictionary{});
        ASSERT_NE(written.find(p.key), nullptr);
        EXPECT_EQ(*written.find(p.key), plist::Value(p.written));
        EXPECT_EQ(preferencesChangedCount(), notificationsBefore + 1);
        EXPECT_EQ(checkedRows(*picker), std::vector<int>{p.chosen});
    }
    // Each picker wrote its own key only.
    EXPECT_EQ(settingsFile()->find(settings::kRadioTimerDurationAtSleep)->integerValue(), 0);

    // A stored interval outside the list selects no choice.
    writeSettings({{std::string(settings::kWakeInterval), plist::Value(20.0)}});
    app::PlistController::resetSharedInstance();
    CustomSettingsDetailViewController* picker = openPicker(kWakeIntervalRow);
    ASSERT_NE(picker, nullptr);
    EXPECT_TRUE(checkedRows(*picker).empty());
}

TEST_F(CustomSettingsTest, ASwitchRowWritesOnlyItsKeyAndKeepsOneCellPerRow) {
    writeSettings({{std::string(settings::kSaveStats), plist::Value(false)},
                   {std::string(settings::kNoneOnAC), plist::Value(true)},
                   {"SomethingElse", plist::Value("kept")}});
    CustomSettingsViewController& screen = openSettings();
    auto switchRow = [&](int row) {
        return std::dynamic_pointer_cast<app::SwitchUITableViewCell>(
            screen.tableView().cellForRowAtIndexPath({kSettingsSection, row}));
    };
    auto saveStats = switchRow(kSaveStatsRow);
    ASSERT_TRUE(saveStats && switchRow(kNoneOnACRow));
    EXPECT_EQ(saveStats->label, "Save statistics");
    EXPECT_FALSE(saveStats->switchCtrl.on);
    EXPECT_TRUE(switchRow(kNoneOnACRow)->switchCtrl.on);

    plist::Dictionary expected = settingsFile().value_or(plist::Dictionary{});
    const std::size_t notificationsBefore = preferencesChangedCount();
    saveStats->userSetSwitch(true);
    expected.set(settings::kSaveStats, plist::Value(true));
    EXPECT_EQ(settingsFile(), expected);
    EXPECT_EQ(preferencesChangedCount(), notificationsBefore + 1);

    // A reload hands back the same cell for each row; a row beyond the table changes nothing.
    screen.tableView().reloadData();
    EXPECT_EQ(screen.tableView().cellForRowAtIndexPath({kSettingsSection, kSaveStatsRow}), saveStats);
    auto unknown = std::dynamic_pointer_cast<app::SwitchUITableViewCell>(
        screen.cellForRowAtIndexPath(screen.tableView(), {kSettingsSection, 11}));
    ASSERT_TRUE(unknown);
    unknown->userSetSwitch(true);
    EXPECT_EQ(settingsFile(), expected);
    EXPECT_EQ(preferencesChangedCount(), notificationsBefore + 1);
}

}  // namespace
}  // namespace corvane::testing
