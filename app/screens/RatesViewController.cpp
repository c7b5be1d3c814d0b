#include "app/screens/RatesViewController.h"

#include "app/model/AppLog.h"
#include "app/model/Localized.h"
#include "app/model/PlistController.h"
#include "shared/SettingsCodes.h"

namespace corvane::app {

namespace {

// The label of a rate row when its speed is supported, and when it is not.
struct RateLabels {
    const char* supported;
    const char* unsupported;
};
constexpr RateLabels kRateLabels[RatesViewController::kRateRowCount] = {
    {"No restriction", "No restriction"},
    {"2G", "2G (unsupported)"},
    {"3G", "3G (unsupported)"},
    {"4G", "4G (unsupported)"},
};

}  // namespace

RatesViewController::RatesViewController() {
    tableView().registerPrototype(std::string(kRateCell),
                                  [] { return std::make_shared<TableCell>(std::string(kRateCell)); });
    tableView().registerPrototype(std::string(kHintCell),
                                  [] { return std::make_shared<TableCell>(std::string(kHintCell)); });
}

void RatesViewController::viewDidLoad() {
    plistController = &PlistController::sharedInstance();
    info = MobileDataInfo::loadFromFile();
}

void RatesViewController::viewWillAppear(bool /*animated*/) { title = mTitle; }

bool RatesViewController::rowEnabled(int row) const {
    if (row < 0 || row >= kRateRowCount || !info.supportsRate(row)) return false;
    // Nothing lies below a 2G maximum, nor above a 4G minimum.
    if (row == kRate2G && !isMinRate) return false;
    if (row == kRate4G && isMinRate) return false;
    return true;
}

int RatesViewController::numberOfRowsInSection(TableView& /*tableView*/, int /*section*/) { return kRateRowCount + 1; }

std::shared_ptr<TableCell> RatesViewController::cellForRowAtIndexPath(TableView& tableView, IndexPath indexPath) {
    const int row = indexPath.row;
    if (row == kHintRow) return hintCell(tableView);
    if (row < 0 || row >= kRateRowCount) return nullptr;

    std::shared_ptr<TableCell> cell = tableView.dequeueReusableCellWithIdentifier(kRateCell);
    if (!cell) return nullptr;
    const RateLabels& labels = kRateLabels[row];
    cell->text = L(info.supportsRate(row) ? labels.supported : labels.unsupported);
    cell->textEnabled = rowEnabled(row);
    if (!cell->textEnabled) cell->selectionStyle = CellSelectionStyle::None;
    cell->accessoryType =
        model().radioRestrictionForType(isMinRate) == row ? CellAccessory::Checkmark : CellAccessory::None;
    return cell;
}

std::shared_ptr<TableCell> RatesViewController::hintCell(TableView& tableView) {
    std::shared_ptr<TableCell> cell = tableView.dequeueReusableCellWithIdentifier(kHintCell);
    if (!cell) return nullptr;
    cell->text = L("Hint");
    cell->detailText = isMinRate ? L("The network speed cannot go to the selected speed and below")
                                 : L("The network speed cannot go to the selected speed and over");
    cell->selectionStyle = CellSelectionStyle::None;
    cell->userInteractionEnabled = false;
    return cell;
}

void RatesViewController::didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath) {
    const int row = indexPath.row;
    if (row < 0 || row >= kRateRowCount) return;
    const std::shared_ptr<TableCell> tapped = tableView.cellForRowAtIndexPath(indexPath);
    if (!tapped || !tapped->textEnabled) return;

    for (int other = 0; other < kRateRowCount; ++other) {
        if (other != row) unSelectRowAtIndexPath(tableView, {indexPath.section, other});
    }
    tapped->accessoryType = CellAccessory::Checkmark;

    if (model().radioRestrictionChanged(row, isMinRate)) {
        AMPWISE_LOG("The %s restriction moved the other bound", isMinRate ? "minimum" : "maximum");
        showAlert({.title = L("Caution"),
                   .message = L("The restriction for the other bound has been changed to match this value !"),
                   .cancelButtonTitle = L("OK")});
    }
}

void RatesViewController::unSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath) {
    if (const std::shared_ptr<TableCell> cell = tableView.cellForRowAtIndexPath(indexPath)) {
        cell->accessoryType = CellAccessory::None;
    }
}

}  // namespace corvane::app
