#pragma once
// The states of the seven radios when the device goes to sleep under the
// custom strategy: one AUTO / ON / OFF row per radio, followed by help rows.
// Every change saves the whole model. The wake-up screen derives from it.

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <span>
#include <string>

#include "app/screens/PreferencesScreen.h"
#include "app/screens/SegmentedViewControllerDelegate.h"
#include "app/screens/SettingsViewControllerDelegate.h"

namespace corvane::app {

class SegmentedUITableViewCell;

class AtSleepViewController : public PreferencesScreen,
                              public SegmentedViewControllerDelegate,
                              public SettingsViewControllerDelegate {
public:
    AtSleepViewController();

    // Row label to the row's cell, so that the cell of a row can be found
    // again.
    std::map<std::string, std::shared_ptr<TableCell>> cells;

    void viewDidLoad() override;
    void viewWillAppear(bool animated) override;
    void viewDidAppear(bool animated) override;

    int numberOfSectionsInTableView(TableView& tableView) override;
    int numberOfRowsInSection(TableView& tableView, int section) override;
    std::string titleForHeaderInSection(TableView& tableView, int section) override;
    std::shared_ptr<TableCell> cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) override;

    // Puts the stored state of every radio row into its cell.
    virtual void restoreSegments();
    // Shows the state in the row's cell: the segment of that index (none for
    // a state outside AUTO, ON, OFF), or a switch that is on for ON only.
    virtual void turnSwitchAtRow(int row, std::int32_t state);
    void segmentedSwitchChanged(SegmentedUITableViewCell& cell) override;
    // A two-state radio row: on stores ON, off stores OFF.
    void switchChanged(SwitchUITableViewCell& cell) override;

protected:
    // A radio row: its label and the model property it edits.
    struct RadioRow {
        const char* label;
        std::int32_t (PlistController::*get)() const;
        void (PlistController::*set)(std::int32_t);
    };
    static constexpr int kRadioRowCount = 7;
    using RadioRows = std::array<RadioRow, kRadioRowCount>;

    // The three help texts of the screen: AUTO, ON, OFF.
    virtual std::array<std::string, 3> helpTexts() const;

    // The shown cell of a radio row, else the one kept for its label.
    std::shared_ptr<TableCell> radioCellAtRow(int row) const;
    void restoreSegmentsFrom(const RadioRows& rows);
    // Selects the segment of the state; none for a state that is not AUTO,
    // ON or OFF, so an unexpected stored value is not shown as a choice.
    static void showState(SegmentedUITableViewCell& cell, std::int32_t state);
    // Stores the state of a row and saves the model; NO (nothing saved) for
    // a row or state outside the table.
    bool storeState(const RadioRows& rows, std::int64_t row, std::int64_t state);

private:
    static const RadioRows kSleepRows;
};

}  // namespace corvane::app
