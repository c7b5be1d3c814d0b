#pragma once
// Shrinks the battery statistics database: the user picks how much history
// to keep, confirms, and every older record is deleted with one statement;
// the database is then compacted and the user told the outcome: how many
// records went, or that nothing was older than the cut-off. The cut-off is
// taken from the phone's clock, whose dates the records carry.

#include <cstdint>
#include <memory>

#include "app/screens/AlertView.h"
#include "app/screens/TableViewController.h"

namespace corvane::app {

class PurgeViewControllerViewController : public TableViewController, public AlertViewDelegate {
public:
    // Hours kept by the choice "Keep nothing": every record goes.
    static constexpr std::int32_t kKeepNothing = -1;

    PurgeViewControllerViewController();

    // Records older than this second (since 1970) are deleted; -1 deletes
    // every record.
    std::int32_t timePurge = 0;

    void viewDidLoad() override;

    int numberOfSectionsInTableView(TableView& tableView) override;
    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableCell> cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;

    // Sets the cut-off to keep the last `hours` hours (kKeepNothing: keep
    // none; 0: does nothing) and asks the user to confirm.
    void purge(std::int32_t hours);

    // Only "Do purge" (index 1) acts.
    void alertViewClickedButtonAtIndex(const AlertView& alertView, int buttonIndex) override;

private:
    void purgeDatabase();
    void showOutcome(const char* title, const char* message);

    // The hours kept by the choice being confirmed.
    std::int32_t hoursKept_ = 0;
};

}  // namespace corvane::app
