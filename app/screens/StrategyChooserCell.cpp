#include "app/screens/StrategyChooserCell.h"

namespace corvane::app {

void StrategyChooserCell::setSelected(bool selected, bool animated) {
    TableCell::setSelected(selected, animated);
    if (selected) {
        accessoryType = CellAccessory::Checkmark;
        if (delegate != nullptr) delegate->strategyChanged(static_cast<std::int32_t>(tag));
    } else {
        accessoryType = CellAccessory::None;
    }
}

}  // namespace corvane::app
