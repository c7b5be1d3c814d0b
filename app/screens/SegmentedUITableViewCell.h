#pragma once
// A row with a label and a three-segment control ("AUTO", "ON", "OFF").
// When the user picks a segment the delegate hears it.

#include <cstdint>
#include <string>
#include <vector>

#include "app/screens/SegmentedViewControllerDelegate.h"
#include "app/screens/TableCell.h"

namespace corvane::app {

struct SegmentedControl {
    std::vector<std::string> titles;
    // -1 when no segment is selected.
    int selectedSegmentIndex = -1;
};

class SegmentedUITableViewCell : public TableCell {
public:
    explicit SegmentedUITableViewCell(std::string reuseIdentifier);

    SegmentedControl switchCtrl;
    std::string label;
    std::uint32_t row = 0;
    SegmentedViewControllerDelegate* delegate = nullptr;

    // The user picks a segment; an index outside the control is ignored.
    void userSelectSegment(int index);
};

}  // namespace corvane::app
