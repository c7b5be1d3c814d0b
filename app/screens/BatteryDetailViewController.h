#pragma once
// The battery's last recorded state, one row per property, read from the
// last-battery-state file the engine writes. A row whose value is a
// dictionary (the AC adapter details) leads to a sub-detail screen listing
// that dictionary. Pulling the table down re-reads the file.
//
// The refresh the header triggers runs on the main queue, after the
// gesture's handling: it waits in the screen's pending work until the front
// end (or a test) calls runPendingWork, as a run loop would on its next
// turn. onPendingWork tells the front end that work waits.

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/model/BatteryCellFormatter.h"
#include "app/screens/EGORefreshTableHeaderDelegate.h"
#include "app/screens/EGORefreshTableHeaderView.h"
#include "app/screens/TableViewController.h"
#include "shared/PropertyList.h"

namespace corvane::app {

class BatteryDetailViewController : public TableViewController, public EGORefreshTableHeaderDelegate {
public:
    // Cell prototypes: a plain row, and a row that opens the sub-detail.
    static constexpr std::string_view kItemsCell = "items";
    static constexpr std::string_view kSubItemCell = "subItem";
    // The segue from a sub-item row to the sub-detail screen.
    static constexpr std::string_view kSubDetailSegue = "subDetailSegue";

    BatteryDetailViewController();

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidUnload() override;

    // Reads the last-battery-state file into batteryState (none when the
    // file is missing or is not a dictionary).
    virtual void loadData();

    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableCell> cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;
    void prepareForSegue(const StoryboardSegue& segue, TableCell* sender) override;

    void reloadTableViewDataSource();
    void doneLoadingTableViewData();

    void scrollViewDidScroll(TableView& tableView) override;
    void scrollViewDidEndDragging(TableView& tableView, bool willDecelerate) override;

    void egoRefreshTableHeaderDidTriggerRefresh(EGORefreshTableHeaderView& view) override;
    bool egoRefreshTableHeaderDataSourceIsLoading(EGORefreshTableHeaderView& view) override;
    std::optional<double> egoRefreshTableHeaderDataSourceLastUpdated(EGORefreshTableHeaderView& view) override;

    // Runs the work posted to the main queue so far; answers how many.
    std::size_t runPendingWork();
    bool hasPendingWork() const { return !pendingWork_.empty(); }
    std::function<void()> onPendingWork;

    // Property key to its row's formatter; rows show in formatter index order.
    std::map<std::string, BatteryCellFormatter, std::less<>> acceptedRows;
    std::optional<plist::Dictionary> batteryState;
    std::unique_ptr<EGORefreshTableHeaderView> _refreshHeaderView;
    bool _reloading = false;

protected:
    void addRow(std::string_view key, BatteryCellFormatter formatter);
    // The keys of acceptedRows in index order.
    std::vector<std::string> orderedKeys() const;

private:
    void postToMainQueue(std::function<void()> work);

    std::vector<std::function<void()>> pendingWork_;
    bool refreshPosted_ = false;
};

}  // namespace corvane::app
