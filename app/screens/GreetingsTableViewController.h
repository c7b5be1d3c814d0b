#pragma once
// The credits: who did what, in two sections. Rows lead nowhere.

#include <memory>
#include <string_view>

#include "app/screens/TableViewController.h"

namespace corvane::app {

class GreetingsTableViewController : public TableViewController {
public:
    static constexpr std::string_view kGreetingsCell = "greetingsCell";

    GreetingsTableViewController();

    int numberOfSectionsInTableView(TableView& tableView) override;
    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::string titleForHeaderInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableCell> cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;
};

}  // namespace corvane::app
