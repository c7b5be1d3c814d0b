#include "app/screens/SettingsStrategyViewController.h"

#include <array>
#include <string>

#include "app/model/AppLog.h"
#include "app/model/Localized.h"
#include "app/model/PlistController.h"
#include "app/screens/StrategyChooserCell.h"
#include "shared/SettingsCodes.h"

namespace corvane::app {

namespace {

constexpr std::string_view kTitleCell = "cellTitle";
constexpr std::string_view kStrategyCell = "cellStrategy";
constexpr std::string_view kStrategyCustomCell = "cellStrategyCustom";

struct StrategyRow {
    std::string_view prototype;
    std::string_view label;
    std::string_view subLabel;
};

// Indexed by strategy number, which is also the row and the cell's tag.
constexpr std::array<StrategyRow, 7> kStrategyRows = {{
    {kStrategyCell, "None", "No battery optimization"},
    {kStrategyCell, "iMessage friendly", "Disable radios with device except Edge/Data"},
    {kStrategyCell, "Normal", "Disable radios with device"},
    {kStrategyCell, "Aggressive", "Normal, + disable data if WiFi connected"},
    {kStrategyCell, "Ultimate", "Radios must be enabled manually"},
    {kStrategyCustomCell, "Custom", "You choose"},
    {kStrategyCell, "Adaptive", "Radios off only when it saves energy"},
}};

}  // namespace

SettingsStrategyViewController::SettingsStrategyViewController() {
    clearsSelectionOnViewWillAppear = false;
    tableView().registerPrototype(std::string(kTitleCell), [] {
        auto cell = std::make_shared<TableCell>(std::string(kTitleCell));
        cell->userInteractionEnabled = false;
        return cell;
    });
    for (std::string_view identifier : {kStrategyCell, kStrategyCustomCell}) {
        tableView().registerPrototype(std::string(identifier), [identifier] {
            return std::make_shared<StrategyChooserCell>(std::string(identifier));
        });
    }
}

void SettingsStrategyViewController::viewDidLoad() {
    TableViewController::viewDidLoad();
    title = L("Saving strategies");
    plistController = &PlistController::sharedInstance();
    plistController->reloadPrefs();
}

void SettingsStrategyViewController::viewDidUnload() {
    TableViewController::viewDidUnload();
    plistController = nullptr;
}

std::optional<IndexPath> SettingsStrategyViewController::currentStrategyRow() {
    const std::int64_t strategy = model().strategy();
    if (strategy < 0 || strategy >= static_cast<std::int64_t>(kStrategyRows.size())) return std::nullopt;
    return IndexPath{kStrategiesSection, static_cast<int>(strategy)};
}

int SettingsStrategyViewController::numberOfSectionsInTableView(TableView& /*tableView*/) { return 2; }

int SettingsStrategyViewController::numberOfRowsInSection(TableView& /*tableView*/, int section) {
    return section == kStrategiesSection ? static_cast<int>(kStrategyRows.size()) : 0;
}

std::shared_ptr<TableCell> SettingsStrategyViewController::cellForRowAtIndexPath(TableView& table,
                                                                                 IndexPath indexPath) {
    if (indexPath.section != kStrategiesSection || indexPath.row < 0 ||
        indexPath.row >= static_cast<int>(kStrategyRows.size())) {
        return nullptr;
    }
    const StrategyRow& strategyRow = kStrategyRows[static_cast<std::size_t>(indexPath.row)];
    auto cell =
        std::dynamic_pointer_cast<StrategyChooserCell>(table.dequeueReusableCellWithIdentifier(strategyRow.prototype));
    if (!cell) return nullptr;
    cell->text = L(strategyRow.label);
    cell->detailText = L(strategyRow.subLabel);
    cell->tag = indexPath.row;
    cell->delegate = this;
    // The current strategy's row is produced selected: the table marks the
    // cell as it takes it, so the cell shows its check mark and the table
    // knows which row to unselect when another one is chosen.
    if (currentStrategyRow() == indexPath && table.indexPathForSelectedRow() != indexPath) {
        table.selectRowAtIndexPath(indexPath, false, TableScrollPosition::None);
    }
    return cell;
}

void SettingsStrategyViewController::viewDidAppear(bool animated) {
    TableViewController::viewDidAppear(animated);
    const std::optional<IndexPath> current = currentStrategyRow();
    if (!current) {
        AMPWISE_LOG("Strategy %lld has no row", static_cast<long long>(model().strategy()));
        return;
    }
    // Already selected when its cell was produced: selecting it again would
    // only save the same settings a second time.
    if (tableView().indexPathForSelectedRow() == current) return;
    tableView().selectRowAtIndexPath(*current, true, TableScrollPosition::Top);
}

void SettingsStrategyViewController::didSelectRowAtIndexPath(TableView& table, IndexPath indexPath) {
    if (indexPath.section == kStrategiesSection && indexPath.row == kStrategyCustom) {
        const std::shared_ptr<TableCell> sender = table.cellForRowAtIndexPath(indexPath);
        performSegueWithIdentifier(kCustomSegue, sender.get());
    }
}

void SettingsStrategyViewController::strategyChanged(std::int32_t strategy) {
    if (showingSaved_) return;
    PlistController& plist = model();
    plist.setStrategy(strategy);
    if (plist.savePrefs()) return;
    // Not saved: the check mark goes back to the strategy the file holds.
    showingSaved_ = true;
    if (const std::optional<IndexPath> saved = currentStrategyRow()) {
        tableView().selectRowAtIndexPath(*saved, false, TableScrollPosition::None);
    } else if (const std::optional<IndexPath> selected = tableView().indexPathForSelectedRow()) {
        tableView().deselectRowAtIndexPath(*selected, false);
    }
    showingSaved_ = false;
}

}  // namespace corvane::app
