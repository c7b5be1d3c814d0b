#include "app/screens/CustomSettingsDetailViewController.h"

#include "app/model/AppLog.h"
#include "app/model/Localized.h"
#include "app/model/PlistController.h"
#include "app/screens/CustomSettingsDetailCell.h"
#include "shared/Names.h"

namespace corvane::app {

namespace {
constexpr int kChoicesSection = 1;
constexpr char kDetailTitlePrototype[] = "titleCell";
constexpr char kDetailChoicePrototype[] = "listCell";
}  // namespace

CustomSettingsDetailViewController::CustomSettingsDetailViewController() {
    tableView().registerPrototype(kDetailTitlePrototype,
                                  [] { return std::make_shared<TableCell>(kDetailTitlePrototype); });
    tableView().registerPrototype(kDetailChoicePrototype,
                                  [] { return std::make_shared<CustomSettingsDetailCell>(kDetailChoicePrototype); });
}

std::optional<double> CustomSettingsDetailViewController::currentValue() {
    if (keyInPlist == settings::kWakeInterval) return model().wakeIntervalMinutes();
    if (keyInPlist == settings::kRadioTimerDurationAtSleep) return model().radioTimerDurationAtSleep();
    if (keyInPlist == settings::kRadioTimerDurationAtWakeup) return model().radioTimerDurationAtWakeup();
    return std::nullopt;
}

bool CustomSettingsDetailViewController::storeValue(double value) {
    if (keyInPlist == settings::kWakeInterval) {
        model().setWakeIntervalMinutes(value);
    } else if (keyInPlist == settings::kRadioTimerDurationAtSleep) {
        model().setRadioTimerDurationAtSleep(value);
    } else if (keyInPlist == settings::kRadioTimerDurationAtWakeup) {
        model().setRadioTimerDurationAtWakeup(value);
    } else {
        return false;
    }
    return true;
}

void CustomSettingsDetailViewController::viewDidAppear(bool /*animated*/) {
    if (keyInPlist == settings::kWakeInterval) {
        title = L("Select interval");
    } else if (keyInPlist == settings::kRadioTimerDurationAtSleep) {
        title = L("Select sleep delay");
    } else if (keyInPlist == settings::kRadioTimerDurationAtWakeup) {
        title = L("Select wake up delay");
    }

    const std::optional<double> current = currentValue();
    if (!current) return;
    for (std::size_t row = 0; row < keys.size(); ++row) {
        auto value = values.find(keys[row]);
        if (value != values.end() && static_cast<double>(value->second) == *current) {
            tableView().selectRowAtIndexPath({kChoicesSection, static_cast<int>(row)}, true,
                                             TableScrollPosition::Middle);
            return;
        }
    }
}

int CustomSettingsDetailViewController::numberOfSectionsInTableView(TableView& /*tableView*/) { return 2; }

int CustomSettingsDetailViewController::numberOfRowsInSection(TableView& /*tableView*/, int section) {
    // One row per label: a label is what the row shows, and a label without
    // a value is refused when chosen.
    return section == kChoicesSection ? static_cast<int>(keys.size()) : 0;
}

std::shared_ptr<TableCell> CustomSettingsDetailViewController::cellForRowAtIndexPath(TableView& table,
                                                                                     IndexPath indexPath) {
    if (indexPath.section != kChoicesSection || indexPath.row < 0 || indexPath.row >= static_cast<int>(keys.size())) {
        return nullptr;
    }
    std::shared_ptr<TableCell> cell = table.dequeueReusableCellWithIdentifier(kDetailChoicePrototype);
    if (cell) cell->text = keys[static_cast<std::size_t>(indexPath.row)];
    return cell;
}

void CustomSettingsDetailViewController::didSelectRowAtIndexPath(TableView& table, IndexPath indexPath) {
    if (indexPath.section != kChoicesSection || indexPath.row < 0 || indexPath.row >= static_cast<int>(keys.size())) {
        return;
    }
    if (auto cell = table.cellForRowAtIndexPath(indexPath)) cell->accessoryType = CellAccessory::Checkmark;

    const std::string& label = keys[static_cast<std::size_t>(indexPath.row)];
    auto value = values.find(label);
    if (value == values.end()) {
        AMPWISE_LOG("No value for %s", label.c_str());
        return;
    }
    if (!storeValue(static_cast<double>(value->second))) {
        AMPWISE_LOG("Unknown setting %s, nothing saved", keyInPlist.c_str());
        return;
    }
    AMPWISE_LOG("%s set to %lld", keyInPlist.c_str(), static_cast<long long>(value->second));
    // Not saved: the selection shows what the file holds again.
    if (!model()._saveValueToFile("", keyInPlist, plist::Value(value->second))) tableView().reloadData();
}

}  // namespace corvane::app
