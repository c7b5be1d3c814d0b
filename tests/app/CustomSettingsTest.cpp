// The custom strategy settings, their duration pickers and the radio states
// at sleep time and at wake-up, driven through the navigation stack as a user
// would, checked against the settings file.

#include <gtest/gtest.h>

#include "app/screens/AmpwiseStoryboard.h"
#include "app/screens/AtSleepViewController.h"
#include "app/screens/AtWakeUpViewController.h"
#include "app/screens/CustomSettingsDetailViewController.h"
#include "app/screens/CustomSettingsViewController.h"
#include "app/screens/SegmentedUITableViewCell.h"
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

using app::AtSleepViewController;
using app::AtWakeUpViewController;

constexpr int kRadioSection = 0;
constexpr int kWakeUpRow = 8;
constexpr int kSleepRow = 9;
constexpr int kWiFiRow = 3;
constexpr int kBluetoothRow = 6;

class RadioStatesTest : public AppTest {
protected:
    // The sleep screen's radio rows are built from `sleepRadioCell` when set.
    app::Storyboard storyboard() {
        app::Storyboard board;
        board.registerScene(std::string(CustomSettingsViewController::kAtWakeUpSegue),
                            [] { return std::make_unique<AtWakeUpViewController>(); });
        board.registerScene(std::string(CustomSettingsViewController::kAtSleepTimeSegue), [this] {
            auto screen = std::make_unique<AtSleepViewController>();
            if (sleepRadioCell) screen->tableView().registerPrototype("radioCell", sleepRadioCell);
            return screen;
        });
        return board;
    }

    // Opens the custom settings, then the radio states of one of its rows.
    template <typename Screen>
    Screen* openStates(int row) {
        if (stack.depth() == 0) stack.setRootViewController(std::make_unique<CustomSettingsViewController>());
        while (stack.depth() > 1) stack.popViewControllerAnimated(false);
        auto* settings = dynamic_cast<CustomSettingsViewController*>(stack.topViewController());
        if (settings == nullptr) return nullptr;
        settings->tableView().tapRowAtIndexPath({1, row});
        return dynamic_cast<Screen*>(stack.topViewController());
    }

    template <typename Cell>
    static std::shared_ptr<Cell> radioCell(AtSleepViewController& screen, int row) {
        return std::dynamic_pointer_cast<Cell>(screen.tableView().cellForRowAtIndexPath({kRadioSection, row}));
    }

    static std::vector<int> shownSegments(AtSleepViewController& screen) {
        std::vector<int> segments;
        for (int row = 0; row < 7; ++row) {
            auto cell = radioCell<app::SegmentedUITableViewCell>(screen, row);
            segments.push_back(cell ? cell->switchCtrl.selectedSegmentIndex : -9);
        }
        return segments;
    }

    std::function<std::shared_ptr<app::TableCell>()> sleepRadioCell;
    app::NavigationStack stack{storyboard()};
};

TEST_F(RadioStatesTest, DefaultsShowUntilAChoiceSavesTheWholeModelIntoTheRowsOwnKey) {
    // Sleep shows off for every radio, wake-up off for Edge and Bluetooth only.
    auto* wakeUp = openStates<AtWakeUpViewController>(kWakeUpRow);
    ASSERT_NE(wakeUp, nullptr);
    EXPECT_EQ(shownSegments(*wakeUp), (std::vector<int>{2, 0, 0, 0, 0, 0, 2}));
    auto* sleep = openStates<AtSleepViewController>(kSleepRow);
    ASSERT_NE(sleep, nullptr);
    EXPECT_EQ(shownSegments(*sleep), (std::vector<int>{2, 2, 2, 2, 2, 2, 2}));
    EXPECT_EQ(radioCell<app::SegmentedUITableViewCell>(*sleep, kBluetoothRow)->label, "Bluetooth");
    EXPECT_FALSE(settingsFile().has_value());  // looking writes nothing
    EXPECT_EQ(preferencesChangedCount(), 0u);

    radioCell<app::SegmentedUITableViewCell>(*sleep, kWiFiRow)->userSelectSegment(1);

    auto written = settingsFile();
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(*written->find(settings::kWiFiAtSleep), plist::Value(1));
    // A full save: the rest of the model is in the file too.
    ASSERT_NE(written->find(settings::kWiFi), nullptr);
    EXPECT_EQ(written->find(settings::kEdgeAtSleep)->integerValue(), 2);
    EXPECT_EQ(preferencesChangedCount(), 1u);

    wakeUp = openStates<AtWakeUpViewController>(kWakeUpRow);
    ASSERT_NE(wakeUp, nullptr);
    radioCell<app::SegmentedUITableViewCell>(*wakeUp, 0)->userSelectSegment(1);
    written = settingsFile();
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(written->find(settings::kEdge)->integerValue(), 1);
    EXPECT_EQ(written->find(settings::kWiFiAtSleep)->integerValue(), 1);

    // Only the seven radio rows carry a state.
    const std::size_t notificationsBefore = preferencesChangedCount();
    app::SegmentedUITableViewCell stray("radioCell");
    stray.row = 7;
    stray.delegate = wakeUp;
    stray.userSelectSegment(2);
    EXPECT_EQ(preferencesChangedCount(), notificationsBefore);
    EXPECT_EQ(settingsFile(), written);
}

TEST_F(RadioStatesTest, StoredStatesShowOnBothKindsOfRowsAndTwoStateRowsStoreOnOrOff) {
    writeSettings({{std::string(settings::kWiFiAtSleep), plist::Value(7)},
                   {std::string(settings::kBluetoothAtSleep), plist::Value(1)}});
    auto* sleep = openStates<AtSleepViewController>(kSleepRow);
    ASSERT_NE(sleep, nullptr);
    // An unexpected state selects no segment; keys missing from the file
    // were written as AUTO by the reload.
    EXPECT_EQ(shownSegments(*sleep), (std::vector<int>{0, 0, 0, -1, 0, 0, 1}));

    writeSettings({{std::string(settings::kWiFiAtSleep), plist::Value(1)},
                   {std::string(settings::kBluetoothAtSleep), plist::Value(0)}});
    sleepRadioCell = [] { return std::make_shared<app::SwitchUITableViewCell>("radioCell"); };
    sleep = openStates<AtSleepViewController>(kSleepRow);
    ASSERT_NE(sleep, nullptr);
    auto wifi = radioCell<app::SwitchUITableViewCell>(*sleep, kWiFiRow);
    auto bluetooth = radioCell<app::SwitchUITableViewCell>(*sleep, kBluetoothRow);
    ASSERT_TRUE(wifi && bluetooth);
    EXPECT_TRUE(wifi->switchCtrl.on);
    EXPECT_FALSE(bluetooth->switchCtrl.on);  // AUTO is not ON

    wifi->userSetSwitch(false);
    bluetooth->userSetSwitch(true);
    const auto written = settingsFile();
    ASSERT_TRUE(written.has_value());
    EXPECT_EQ(written->find(settings::kWiFiAtSleep)->integerValue(), 2);
    EXPECT_EQ(written->find(settings::kBluetoothAtSleep)->integerValue(), 1);
}

}  // namespace
}  // namespace corvane::testing
