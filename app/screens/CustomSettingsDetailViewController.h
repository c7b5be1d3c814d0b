#pragma once
// The duration picker of the custom strategy: one row per choice of a fixed
// list (wake interval, delay at sleep or delay at wake-up). It shows the
// current value checked and writes the chosen one at once.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/screens/PreferencesScreen.h"

namespace corvane::app {

class CustomSettingsDetailViewController : public PreferencesScreen {
public:
    CustomSettingsDetailViewController();

    // The choice labels, in display order.
    std::vector<std::string> keys;
    // The value written for each label.
    std::map<std::string, std::int64_t> values;
    // The settings key being edited.
    std::string keyInPlist;

    void viewDidAppear(bool animated) override;

    int numberOfSectionsInTableView(TableView& tableView) override;
    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableCell> cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;
    void didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;

private:
    // The model's current value of the edited setting; none for a key this
    // picker does not know.
    std::optional<double> currentValue();
    // Stores the value into the model property of the edited setting; NO for
    // a key this picker does not know.
    bool storeValue(double value);
};

}  // namespace corvane::app
