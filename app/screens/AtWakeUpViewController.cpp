#include "app/screens/AtWakeUpViewController.h"

#include "app/model/AppLog.h"
#include "app/model/Localized.h"
#include "app/model/PlistController.h"
#include "app/screens/SegmentedUITableViewCell.h"
#include "app/screens/SwitchUITableViewCell.h"

namespace corvane::app {

const AtWakeUpViewController::RadioRows AtWakeUpViewController::kWakeUpRows{{
    {"Edge", &PlistController::edge, &PlistController::setEdge},
    {"3G", &PlistController::threeG, &PlistController::setThreeG},
    {"4G", &PlistController::fourG, &PlistController::setFourG},
    {"WiFi", &PlistController::wifi, &PlistController::setWifi},
    {"Location", &PlistController::location, &PlistController::setLocation},
    {"Push", &PlistController::push, &PlistController::setPush},
    {"Bluetooth", &PlistController::bluetooth, &PlistController::setBluetooth},
}};

void AtWakeUpViewController::viewWillAppear(bool animated) {
    AtSleepViewController::viewWillAppear(animated);
    title = L("States at wake up");
}

std::array<std::string, 3> AtWakeUpViewController::helpTexts() const {
    return {L("Auto : last known radio state is restored at wake up"), L("ON : turn on radio at wake up"),
            L("OFF : turn off radio at wake up")};
}

void AtWakeUpViewController::restoreSegments() { restoreSegmentsFrom(kWakeUpRows); }

void AtWakeUpViewController::turnSwitchAtRow(int row, std::int32_t state) {
    std::shared_ptr<TableCell> cell = radioCellAtRow(row);
    if (auto* segmented = dynamic_cast<SegmentedUITableViewCell*>(cell.get())) showState(*segmented, state);
}

void AtWakeUpViewController::segmentedSwitchChanged(SegmentedUITableViewCell& cell) {
    storeState(kWakeUpRows, cell.row, cell.switchCtrl.selectedSegmentIndex);
}

void AtWakeUpViewController::switchChanged(SwitchUITableViewCell& cell) {
    AMPWISE_LOG("Row %u (%s) has no two-state form at wake up, nothing saved", cell.row, cell.label.c_str());
}

}  // namespace corvane::app
