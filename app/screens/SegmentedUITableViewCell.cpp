#include "app/screens/SegmentedUITableViewCell.h"

#include "app/model/Localized.h"

namespace corvane::app {

SegmentedUITableViewCell::SegmentedUITableViewCell(std::string reuseIdentifier)
    : TableCell(std::move(reuseIdentifier)) {
    switchCtrl.titles = {L("AUTO"), L("ON"), L("OFF")};
}

void SegmentedUITableViewCell::userSelectSegment(int index) {
    if (index < 0 || index >= static_cast<int>(switchCtrl.titles.size())) return;
    switchCtrl.selectedSegmentIndex = index;
    if (delegate != nullptr) delegate->segmentedSwitchChanged(*this);
}

}  // namespace corvane::app
