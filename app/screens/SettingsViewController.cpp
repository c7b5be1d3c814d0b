#include "app/screens/SettingsViewController.h"

#include <array>
#include <cstdint>
#include <string>

#include "app/model/AppLog.h"
#include "app/model/Localized.h"
#include "app/model/PlistController.h"
#include "app/screens/AppListViewController.h"
#include "app/screens/ListUITableViewCell.h"
#include "app/screens/RatesViewController.h"
#include "app/screens/SwitchUITableViewCell.h"
#include "shared/Names.h"

namespace corvane::app {

namespace {

constexpr std::string_view kListCell = "listCell";
constexpr std::string_view kSwitchCell = "switchCell";
constexpr std::string_view kRestrictCell = "restrict";
constexpr std::string_view kPurgeCell = "purgeCell";

// The rows that open an application-list editor, in row order.
struct AppListRow {
    std::string_view prototype;
    std::string_view label;
    std::string_view subLabel;
    std::string_view segue;
    // Title of the editor, shown as it stands.
    std::string_view editorTitle;
    std::int32_t mode;
};

constexpr std::array<AppListRow, 3> kAppListRows = {{
    {"redAppCell", "App that shutdown radios", "like read an iBook quietly", SettingsViewController::kShutdownSegue,
     "Turn off radios apps", 0},
    {"greenAppCell", "No radio turn off apps", "like internet radio app", SettingsViewController::kNoTurnOffSegue,
     "Turn on radios apps", 1},
    {"blueAppCell", "Local notification apps", "like Cuckoo, these apps will not be delayed",
     SettingsViewController::kNoDelayAppsSegue, "No delay notifications", 2},
}};

// The on/off settings of the switches section, in row order.
struct SwitchRow {
    std::string_view label;
    std::string_view subLabel;
    std::string_view key;
    bool (PlistController::*get)() const;
    void (PlistController::*set)(bool);
};

constexpr std::array<SwitchRow, 6> kSwitchRows = {{
    {"Switch radios on lock/unlock", "instead of dim/undim", settings::kSwitchRadiosOnLock,
     &PlistController::switchRadiosOnLock, &PlistController::setSwitchRadiosOnLock},
    {"Debug", "Activate debug in syslog", settings::kDebug, &PlistController::debug, &PlistController::setDebug},
    {"Car mode", "Turn bluetooth ON when charging", settings::kCarMode, &PlistController::carMode,
     &PlistController::setCarMode},
    {"Disable icon", "Remove the status icon", settings::kDisableIcon, &PlistController::disableIcon,
     &PlistController::setDisableIcon},
    {"Low power mode", "Go to low power mode when turn off", settings::kLowPowerMode,
     &PlistController::manageLowPowerMode, &PlistController::setManageLowPowerMode},
    {"Save last battery state", "disabling will break the Last battery state screen", settings::kSaveLastState,
     &PlistController::enableSaveLastState, &PlistController::setEnableSaveLastState},
}};

constexpr int kSwitchesSectionRows = 8;

std::shared_ptr<TableCell> makeListCell(std::string_view identifier) {
    auto cell = std::make_shared<ListUITableViewCell>(std::string(identifier));
    cell->accessoryType = CellAccessory::DisclosureIndicator;
    return cell;
}

std::shared_ptr<TableCell> fillListCell(std::shared_ptr<TableCell> cell, std::string_view label,
                                        std::string_view subLabel, int row) {
    if (auto* listCell = dynamic_cast<ListUITableViewCell*>(cell.get())) {
        listCell->label = L(label);
        listCell->subLabel = L(subLabel);
        listCell->row = static_cast<std::uint32_t>(row);
    }
    return cell;
}

}  // namespace

SettingsViewController::SettingsViewController() {
    TableView& table = tableView();
    for (const AppListRow& row : kAppListRows) {
        table.registerPrototype(std::string(row.prototype), [id = row.prototype] { return makeListCell(id); });
    }
    table.registerPrototype(std::string(kListCell), [] { return makeListCell(kListCell); });
    table.registerPrototype(std::string(kRestrictCell), [] { return makeListCell(kRestrictCell); });
    table.registerPrototype(std::string(kSwitchCell), [] {
        auto cell = std::make_shared<SwitchUITableViewCell>(std::string(kSwitchCell));
        cell->selectionStyle = CellSelectionStyle::None;
        return cell;
    });
    table.registerPrototype(std::string(kPurgeCell), [] {
        auto cell = std::make_shared<TableCell>(std::string(kPurgeCell));
        cell->accessoryType = CellAccessory::DisclosureIndicator;
        return cell;
    });
}

void SettingsViewController::viewDidLoad() {
    TableViewController::viewDidLoad();
    title = L("Settings");
    plistController = &PlistController::sharedInstance();
}

void SettingsViewController::viewWillAppear(bool animated) {
    TableViewController::viewWillAppear(animated);
    model().reloadPrefs();
    // The first appearance loads the table anyway; later ones must show
    // what the settings file says now.
    if (tableView().numberOfSections() > 0) tableView().reloadData();
}

void SettingsViewController::viewDidUnload() {
    TableViewController::viewDidUnload();
    plistController = nullptr;
}

int SettingsViewController::numberOfSectionsInTableView(TableView& /*tableView*/) { return 4; }

int SettingsViewController::numberOfRowsInSection(TableView& /*tableView*/, int section) {
    switch (section) {
        case kAppListsSection: return static_cast<int>(kAppListRows.size());
        case kStrategySection: return 1;
        case kSwitchesSection: return kSwitchesSectionRows;
        case kPurgeSection: return 1;
        default: return 0;
    }
}

std::shared_ptr<TableCell> SettingsViewController::appListCell(TableView& table, int row) {
    if (row < 0 || row >= static_cast<int>(kAppListRows.size())) return nullptr;
    const AppListRow& appList = kAppListRows[static_cast<std::size_t>(row)];
    return fillListCell(table.dequeueReusableCellWithIdentifier(appList.prototype), appList.label, appList.subLabel,
                        row);
}

bool SettingsViewController::switchValue(int row) {
    return (model().*kSwitchRows[static_cast<std::size_t>(row)].get)();
}

std::shared_ptr<TableCell> SettingsViewController::switchesSectionCell(TableView& table, int row) {
    if (row == kMinRateRow) {
        return fillListCell(table.dequeueReusableCellWithIdentifier(kRestrictCell), "Restrict Min Data Rate",
                            "may prevent freezes when switching off 3G", row);
    }
    if (row == kMaxRateRow) {
        return fillListCell(table.dequeueReusableCellWithIdentifier(kRestrictCell), "Restrict MAX Data Rate",
                            "may prevent freezes when switching on 3G", row);
    }
    if (row < 0 || row >= static_cast<int>(kSwitchRows.size())) return nullptr;
    std::shared_ptr<TableCell> cell = table.dequeueReusableCellWithIdentifier(kSwitchCell);
    if (auto* switchCell = dynamic_cast<SwitchUITableViewCell*>(cell.get())) {
        const SwitchRow& setting = kSwitchRows[static_cast<std::size_t>(row)];
        switchCell->label = L(setting.label);
        switchCell->subLabel = L(setting.subLabel);
        switchCell->row = static_cast<std::uint32_t>(row);
        switchCell->delegate = this;
        switchCell->switchCtrl.on = switchValue(row);
    }
    return cell;
}

std::shared_ptr<TableCell> SettingsViewController::cellForRowAtIndexPath(TableView& table, IndexPath indexPath) {
    switch (indexPath.section) {
        case kAppListsSection: return appListCell(table, indexPath.row);
        case kStrategySection:
            return fillListCell(table.dequeueReusableCellWithIdentifier(kListCell), "Strategy", "Battery save rate",
                                indexPath.row);
        case kSwitchesSection: return switchesSectionCell(table, indexPath.row);
        case kPurgeSection: {
            std::shared_ptr<TableCell> cell = table.dequeueReusableCellWithIdentifier(kPurgeCell);
            if (cell) cell->text = L("Purge graph data");
            return cell;
        }
        default: return nullptr;
    }
}

void SettingsViewController::didSelectRowAtIndexPath(TableView& table, IndexPath indexPath) {
    // Held here, so the sender outlives a reload the segue may cause.
    const std::shared_ptr<TableCell> held = table.cellForRowAtIndexPath(indexPath);
    TableCell* sender = held.get();
    switch (indexPath.section) {
        case kAppListsSection:
            if (indexPath.row >= 0 && indexPath.row < static_cast<int>(kAppListRows.size())) {
                performSegueWithIdentifier(kAppListRows[static_cast<std::size_t>(indexPath.row)].segue, sender);
            }
            break;
        case kStrategySection: performSegueWithIdentifier(kStrategySegue, sender); break;
        case kSwitchesSection:
            if (indexPath.row == kMinRateRow) performSegueWithIdentifier(kMinRateSegue, sender);
            if (indexPath.row == kMaxRateRow) performSegueWithIdentifier(kMaxRateSegue, sender);
            break;
        case kPurgeSection: performSegueWithIdentifier(kPurgeSegue, sender); break;
        default: break;
    }
}

void SettingsViewController::prepareForSegue(const StoryboardSegue& segue, TableCell* /*sender*/) {
    for (const AppListRow& appList : kAppListRows) {
        if (segue.identifier != appList.segue) continue;
        if (auto* editor = dynamic_cast<AppListViewController*>(segue.destination)) {
            editor->mTitle = std::string(appList.editorTitle);
            editor->shutdowApp = appList.mode;
        }
        return;
    }
    const bool minimum = segue.identifier == kMinRateSegue;
    if (minimum || segue.identifier == kMaxRateSegue) {
        if (auto* rates = dynamic_cast<RatesViewController*>(segue.destination)) {
            rates->mTitle = minimum ? L("Restrict Min Rate") : L("Restrict Max Rate");
            rates->isMinRate = minimum;
        }
    }
}

void SettingsViewController::switchChanged(SwitchUITableViewCell& cell) {
    if (cell.row >= kSwitchRows.size()) {
        AMPWISE_LOG("This row %d (%s) should not send that message", static_cast<int>(cell.row), cell.label.c_str());
        return;
    }
    const SwitchRow& setting = kSwitchRows[cell.row];
    const bool on = cell.switchCtrl.on;
    (model().*setting.set)(on);
    AMPWISE_LOG("%s : %s", std::string(setting.key).c_str(), on ? "ON" : "OFF");
    // Not saved: the switch shows what the file holds again.
    if (!model()._saveValueToFile("", setting.key, plist::Value(on))) tableView().reloadData();
}

std::string SettingsViewController::titleForHeaderInSection(TableView& /*tableView*/, int section) {
    switch (section) {
        case kAppListsSection: return L("Applications");
        case kStrategySection: return L("Saving strategy");
        case kSwitchesSection: return L("Options");
        case kPurgeSection: return L("Statistics");
        default: return {};
    }
}

}  // namespace corvane::app
