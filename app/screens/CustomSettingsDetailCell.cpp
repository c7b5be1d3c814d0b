#include "app/screens/CustomSettingsDetailCell.h"

namespace corvane::app {

void CustomSettingsDetailCell::setSelected(bool selected, bool animated) {
    TableCell::setSelected(selected, animated);
    accessoryType = selected ? CellAccessory::Checkmark : CellAccessory::None;
}

}  // namespace corvane::app
