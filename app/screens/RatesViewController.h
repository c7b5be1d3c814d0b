#pragma once
// The data-rate restriction screen, opened for the minimum or for the maximum
// rate: one row per rate (no restriction, 2G, 3G, 4G) and a hint row. Only
// the speeds the device supports, and that make sense for the bound, can be
// chosen; the model keeps the two bounds coherent and the screen warns when
// the other bound had to move.

#include <memory>
#include <string>

#include "app/screens/PreferencesScreen.h"
#include "shared/MobileDataInfo.h"
#include "shared/SettingsCodes.h"

namespace corvane::app {

class RatesViewController : public PreferencesScreen {
public:
    // Prototypes of the screen.
    static constexpr std::string_view kRateCell = "cell";
    static constexpr std::string_view kHintCell = "cell2";
    // Rows 0 to 3 are the rate values; the hint follows.
    static constexpr int kRateRowCount = kRate4G + 1;
    static constexpr int kHintRow = 4;

    RatesViewController();

    // Set by the opener: the navigation title, and whether the screen edits
    // the minimum (YES) or the maximum (NO) restriction.
    std::string mTitle;
    bool isMinRate = false;
    // The device's supported speeds, read from the mobile-data file on load.
    MobileDataInfo info;

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;

    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableCell> cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;
    // Removes the check mark of the row.
    void unSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath);

private:
    // Whether the rate of the row can be chosen on this screen.
    bool rowEnabled(int row) const;
    std::shared_ptr<TableCell> hintCell(TableView& tableView);
};

}  // namespace corvane::app
