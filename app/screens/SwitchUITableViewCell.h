#pragma once
// A row with a label, a sub-label and an on/off switch. When the user flips
// the switch the delegate hears it.

#include <cstdint>

#include "app/screens/SettingsViewControllerDelegate.h"
#include "app/screens/TableCell.h"

namespace corvane::app {

struct Switch {
    bool on = false;
    bool enabled = true;
};

class SwitchUITableViewCell : public TableCell {
public:
    using TableCell::TableCell;

    Switch switchCtrl;
    std::string label;
    std::string subLabel;
    std::uint32_t row = 0;
    SettingsViewControllerDelegate* delegate = nullptr;

    // The user flips the switch (a disabled switch does not move).
    void userSetSwitch(bool on);
};

}  // namespace corvane::app
