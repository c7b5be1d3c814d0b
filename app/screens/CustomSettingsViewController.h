#pragma once
// The settings of the custom strategy: six on/off settings written one key
// at a time, three durations chosen on the picker screen, and the entries to
// the radio states at wake-up and at sleep time.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "app/screens/PreferencesScreen.h"
#include "app/screens/SettingsViewControllerDelegate.h"

namespace corvane::app {

class CustomSettingsDetailViewController;

class CustomSettingsViewController : public PreferencesScreen, public SettingsViewControllerDelegate {
public:
    // The transitions this screen performs.
    static constexpr std::string_view kDetailSegue = "goToDetail";
    static constexpr std::string_view kAtWakeUpSegue = "atWakeUp";
    static constexpr std::string_view kAtSleepTimeSegue = "atSleepTime";

    CustomSettingsViewController();

    // Row label to the row's cell, so that each row keeps one cell.
    std::map<std::string, std::shared_ptr<TableCell>> cells;

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void prepareForSegue(const StoryboardSegue& segue, TableCell* sender) override;

    int numberOfSectionsInTableView(TableView& tableView) override;
    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableCell> cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;

    // Sets the switch of the row's cell in the settings section.
    void turnSwitchAtRow(int row, bool on);
    void switchChanged(SwitchUITableViewCell& cell) override;

    // Fills the picker with the second-based durations (0 to 10 seconds,
    // 30 seconds, 1 minute) for the settings key `name`.
    void configure(CustomSettingsDetailViewController& detail, std::string_view name);

private:
    // The switch state the model holds for a switch row.
    bool switchStateAtRow(int row);
    std::shared_ptr<TableCell> makeCellAtRow(TableView& tableView, int row);
};

}  // namespace corvane::app
