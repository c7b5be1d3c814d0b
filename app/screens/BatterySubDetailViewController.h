#pragma once
// The rows of one dictionary of the last battery state (the AC adapter
// details), listed as the battery detail screen lists the whole state.

#include <string>

#include "app/screens/BatteryDetailViewController.h"

namespace corvane::app {

class BatterySubDetailViewController : public BatteryDetailViewController {
public:
    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    // Reads the file, then keeps only the dictionary under `name` (none
    // when that entry is missing or is not a dictionary).
    void loadData() override;

    // The property key whose dictionary this screen lists.
    std::string name;
    // The title of the row that opened it ("AC Adapter info"), shown as
    // the screen's title; the key when none was given.
    std::string heading;
};

}  // namespace corvane::app
