#pragma once
// A screen that is a table: it is the data source and the delegate of its
// own table. On each appearance the table is reloaded between
// viewWillAppear and viewDidAppear, and the selection is cleared first unless
// the screen keeps it.

#include "app/screens/TableView.h"
#include "app/screens/ViewController.h"

namespace corvane::app {

class TableViewController : public ViewController, public TableViewDataSource, public TableViewDelegate {
public:
    TableViewController();

    TableView& tableView() { return tableView_; }
    const TableView& tableView() const { return tableView_; }

    int numberOfSectionsInTableView(TableView& /*tableView*/) override { return 1; }

    // Whether the selection is cleared each time the screen appears.
    bool clearsSelectionOnViewWillAppear = true;

private:
    TableView tableView_;
};

}  // namespace corvane::app
