#include "app/screens/TableViewController.h"

namespace corvane::app {

TableViewController::TableViewController() {
    tableView_.dataSource = this;
    tableView_.delegate = this;
}

}  // namespace corvane::app
