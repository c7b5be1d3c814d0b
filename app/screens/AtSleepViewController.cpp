#include "app/screens/AtSleepViewController.h"

#include "app/model/AppLog.h"
#include "app/model/Localized.h"
#include "app/model/PlistController.h"
#include "app/screens/SegmentedUITableViewCell.h"
#include "app/screens/SwitchUITableViewCell.h"
#include "shared/SettingsCodes.h"

namespace corvane::app {

namespace {
constexpr int kRadioSection = 0;
constexpr int kHelpSection = 1;
constexpr int kHelpRowCount = 3;
constexpr char kRadioPrototype[] = "radioCell";
constexpr char kHelpPrototype[] = "HELP";
}  // namespace

const AtSleepViewController::RadioRows AtSleepViewController::kSleepRows{{
    {"Edge", &PlistController::edgeAtSleep, &PlistController::setEdgeAtSleep},
    {"3G", &PlistController::threeGAtSleep, &PlistController::setThreeGAtSleep},
    {"4G", &PlistController::fourGAtSleep, &PlistController::setFourGAtSleep},
    {"WiFi", &PlistController::wifiAtSleep, &PlistController::setWifiAtSleep},
    {"Location", &PlistController::locationAtSleep, &PlistController::setLocationAtSleep},
    {"Push", &PlistController::pushAtSleep, &PlistController::setPushAtSleep},
    {"Bluetooth", &PlistController::bluetoothAtSleep, &PlistController::setBluetoothAtSleep},
}};

AtSleepViewController::AtSleepViewController() {
    tableView().registerPrototype(kRadioPrototype,
                                  [] { return std::make_shared<SegmentedUITableViewCell>(kRadioPrototype); });
    tableView().registerPrototype(kHelpPrototype, [] { return std::make_shared<TableCell>(kHelpPrototype); });
}

void AtSleepViewController::viewDidLoad() { cells.clear(); }

void AtSleepViewController::viewWillAppear(bool /*animated*/) {
    plistController = &PlistController::sharedInstance();
    plistController->reloadPrefs();
    restoreSegments();
    title = L("States at sleep time");
}

void AtSleepViewController::viewDidAppear(bool /*animated*/) { restoreSegments(); }

std::array<std::string, 3> AtSleepViewController::helpTexts() const {
    return {L("Auto : radio state does not change at sleep time"),
            L("ON : turn on radio regardless its previous state"),
            L("OFF : turn off radio regardless its previous state")};
}

int AtSleepViewController::numberOfSectionsInTableView(TableView& /*tableView*/) { return 2; }

int AtSleepViewController::numberOfRowsInSection(TableView& /*tableView*/, int section) {
    if (section == kRadioSection) return kRadioRowCount;
    if (section == kHelpSection) return kHelpRowCount;
    return 0;
}

std::shared_ptr<TableCell> AtSleepViewController::cellForRowAtIndexPath(TableView& table, IndexPath indexPath) {
    if (indexPath.section == kHelpSection && indexPath.row >= 0 && indexPath.row < kHelpRowCount) {
        std::shared_ptr<TableCell> cell = table.dequeueReusableCellWithIdentifier(kHelpPrototype);
        if (!cell) return nullptr;
        cell->text = helpTexts()[static_cast<std::size_t>(indexPath.row)];
        cell->textFlexibleWidth = true;
        cell->selectionStyle = CellSelectionStyle::None;
        cell->userInteractionEnabled = false;
        return cell;
    }
    if (indexPath.section != kRadioSection || indexPath.row < 0 || indexPath.row >= kRadioRowCount) return nullptr;

    const std::string label = L(kSleepRows[static_cast<std::size_t>(indexPath.row)].label);
    auto kept = cells.find(label);
    std::shared_ptr<TableCell> cell =
        kept != cells.end() ? kept->second : table.dequeueReusableCellWithIdentifier(kRadioPrototype);
    if (!cell) return nullptr;
    const auto row = static_cast<std::uint32_t>(indexPath.row);
    if (auto* segmented = dynamic_cast<SegmentedUITableViewCell*>(cell.get())) {
        segmented->label = label;
        segmented->row = row;
        segmented->delegate = this;
    } else if (auto* twoState = dynamic_cast<SwitchUITableViewCell*>(cell.get())) {
        twoState->label = label;
        twoState->row = row;
        twoState->delegate = this;
    }
    cell->selectionStyle = CellSelectionStyle::None;
    cells[label] = cell;
    return cell;
}

std::shared_ptr<TableCell> AtSleepViewController::radioCellAtRow(int row) const {
    if (row < 0 || row >= kRadioRowCount) return nullptr;
    if (auto shown = tableView().cellForRowAtIndexPath({kRadioSection, row})) return shown;
    auto kept = cells.find(L(kSleepRows[static_cast<std::size_t>(row)].label));
    return kept == cells.end() ? nullptr : kept->second;
}

void AtSleepViewController::showState(SegmentedUITableViewCell& cell, std::int32_t state) {
    cell.switchCtrl.selectedSegmentIndex = (state >= kRadioAuto && state <= kRadioOff) ? state : -1;
}

void AtSleepViewController::restoreSegmentsFrom(const RadioRows& rows) {
    for (int row = 0; row < kRadioRowCount; ++row) {
        turnSwitchAtRow(row, (model().*rows[static_cast<std::size_t>(row)].get)());
    }
}

void AtSleepViewController::restoreSegments() { restoreSegmentsFrom(kSleepRows); }

void AtSleepViewController::turnSwitchAtRow(int row, std::int32_t state) {
    std::shared_ptr<TableCell> cell = radioCellAtRow(row);
    if (auto* segmented = dynamic_cast<SegmentedUITableViewCell*>(cell.get())) {
        showState(*segmented, state);
    } else if (auto* twoState = dynamic_cast<SwitchUITableViewCell*>(cell.get())) {
        twoState->switchCtrl.on = state == kRadioOn;
    }
}

bool AtSleepViewController::storeState(const RadioRows& rows, std::int64_t row, std::int64_t state) {
    if (row < 0 || row >= kRadioRowCount) {
        AMPWISE_LOG("Row %lld has no radio, nothing saved", static_cast<long long>(row));
        return false;
    }
    if (state < kRadioAuto || state > kRadioOff) {
        AMPWISE_LOG("State %lld is not a radio state, nothing saved", static_cast<long long>(state));
        return false;
    }
    const RadioRow& radio = rows[static_cast<std::size_t>(row)];
    (model().*radio.set)(static_cast<std::int32_t>(state));
    AMPWISE_LOG("%s set to %lld", radio.label, static_cast<long long>(state));
    // Not saved: the segments show what the file holds again.
    if (!model().savePrefs()) tableView().reloadData();
    return true;
}

void AtSleepViewController::segmentedSwitchChanged(SegmentedUITableViewCell& cell) {
    storeState(kSleepRows, cell.row, cell.switchCtrl.selectedSegmentIndex);
}

void AtSleepViewController::switchChanged(SwitchUITableViewCell& cell) {
    storeState(kSleepRows, cell.row, cell.switchCtrl.on ? kRadioOn : kRadioOff);
}

std::string AtSleepViewController::titleForHeaderInSection(TableView& /*tableView*/, int section) {
    if (section == 0) return L("Radios");
    if (section == 1) return L("Help");
    return {};
}

}  // namespace corvane::app
