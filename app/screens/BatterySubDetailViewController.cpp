#include "app/screens/BatterySubDetailViewController.h"

#include "app/model/AppLog.h"
#include "app/model/Localized.h"
#include "shared/Names.h"

namespace corvane::app {

void BatterySubDetailViewController::viewDidLoad() {
    BatteryDetailViewController::viewDidLoad();
    acceptedRows.clear();
    addRow(battery::kAdapterDescription, BatteryCellFormatter(L("Description"), "%@"));
    addRow(battery::kAdapterAmperage, BatteryCellFormatter(L("Amperage"), "%@ mA"));
    addRow(battery::kAdapterWatts, BatteryCellFormatter(L("Power"), "%@ W"));
}

void BatterySubDetailViewController::viewWillAppear(bool animated) {
    BatteryDetailViewController::viewWillAppear(animated);
    title = heading.empty() ? name : heading;
}

void BatterySubDetailViewController::loadData() {
    BatteryDetailViewController::loadData();
    if (!batteryState) return;
    const plist::Value* entry = batteryState->find(name);
    if (entry != nullptr && entry->isDictionary()) {
        plist::Dictionary details = *entry->asDictionary();
        batteryState = std::move(details);
    } else {
        if (entry != nullptr) AMPWISE_LOG("%s is not a dictionary", name.c_str());
        batteryState.reset();
    }
}

}  // namespace corvane::app
