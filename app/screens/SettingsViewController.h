#pragma once
// The main settings screen: it opens the three application-list editors, the
// strategy chooser, the two data-rate restriction screens and the statistics
// purge, and holds six on/off settings, each written to the settings file
// alone as soon as its switch moves.

#include <memory>
#include <string_view>

#include "app/screens/PreferencesScreen.h"
#include "app/screens/SettingsViewControllerDelegate.h"

namespace corvane::app {

class SettingsViewController : public PreferencesScreen, public SettingsViewControllerDelegate {
public:
    // Segues of the screen.
    static constexpr std::string_view kShutdownSegue = "shutdownSegue";
    static constexpr std::string_view kNoTurnOffSegue = "noTurnOffSegue";
    static constexpr std::string_view kNoDelayAppsSegue = "noDelayApps";
    static constexpr std::string_view kStrategySegue = "strategySegue";
    static constexpr std::string_view kMinRateSegue = "MinRate";
    static constexpr std::string_view kMaxRateSegue = "MaxRate";
    static constexpr std::string_view kPurgeSegue = "purgeSegue";

    // Sections of the screen.
    static constexpr int kAppListsSection = 0;
    static constexpr int kStrategySection = 1;
    static constexpr int kSwitchesSection = 2;
    static constexpr int kPurgeSection = 3;
    // Rows of the switches section that open the rate restrictions.
    static constexpr int kMinRateRow = 6;
    static constexpr int kMaxRateRow = 7;

    SettingsViewController();

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidUnload() override;

    int numberOfSectionsInTableView(TableView& tableView) override;
    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::string titleForHeaderInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableCell> cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;
    void prepareForSegue(const StoryboardSegue& segue, TableCell* sender) override;

    void switchChanged(SwitchUITableViewCell& cell) override;

private:
    std::shared_ptr<TableCell> appListCell(TableView& tableView, int row);
    std::shared_ptr<TableCell> switchesSectionCell(TableView& tableView, int row);
    // The current value of the setting of a switch row (0 to 5).
    bool switchValue(int row);
};

}  // namespace corvane::app
