#pragma once
// A row with a label and a sub-label that leads somewhere when selected.

#include <cstdint>

#include "app/screens/SettingsViewControllerDelegate.h"
#include "app/screens/TableCell.h"

namespace corvane::app {

class ListUITableViewCell : public TableCell {
public:
    using TableCell::TableCell;

    std::string label;
    std::string subLabel;
    std::uint32_t row = 0;
    ListViewControllerDelegate* delegate = nullptr;
};

}  // namespace corvane::app
