#pragma once
// The strategy chooser: the saving strategies, the current one checked.
// Choosing a row saves the whole model at once; the Custom row also leads to
// the custom strategy settings.

#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "app/screens/PreferencesScreen.h"
#include "app/screens/StrategyChooserDelegate.h"

namespace corvane::app {

class SettingsStrategyViewController : public PreferencesScreen, public StrategyChooserDelegate {
public:
    static constexpr std::string_view kCustomSegue = "customSegue";
    static constexpr int kStrategiesSection = 1;

    SettingsStrategyViewController();

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    void viewDidUnload() override;

    int numberOfSectionsInTableView(TableView& tableView) override;
    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableCell> cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;

    void strategyChanged(std::int32_t strategy) override;

private:
    // The row of the current strategy, none when the strategy has no row.
    std::optional<IndexPath> currentStrategyRow();
    // While the saved strategy's row is selected again after a failed save.
    bool showingSaved_ = false;
};

}  // namespace corvane::app
