#include "app/screens/CustomSettingsViewController.h"

#include <array>
#include <utility>

#include "app/model/AppLog.h"
#include "app/model/Localized.h"
#include "app/model/PlistController.h"
#include "app/screens/CustomSettingsDetailViewController.h"
#include "app/screens/ListUITableViewCell.h"
#include "app/screens/SwitchUITableViewCell.h"
#include "shared/Names.h"

namespace corvane::app {

namespace {

constexpr int kSettingsSection = 1;
constexpr char kTitlePrototype[] = "titleCell";
constexpr char kSwitchPrototype[] = "switchCell";
constexpr char kListPrototype[] = "listCell";

enum class RowKind { Switch, Picker, Screen };

struct SettingRow {
    RowKind kind;
    const char* prototype;
    const char* label;
    const char* subLabel;
    // The settings key of a switch or picker row.
    std::string_view key;
    // The model property of a switch row.
    bool (PlistController::*get)() const = nullptr;
    void (PlistController::*set)(bool) = nullptr;
};

const std::array<SettingRow, 11> kRows{{
    {RowKind::Switch, kSwitchPrototype, "Turn on/off radios with device", "Save battery when you do not use the device",
     settings::kEnabledAllRadios, &PlistController::enabledAllRadios, &PlistController::setEnabledAllRadios},
    {RowKind::Switch, kSwitchPrototype, "Turn on radios in background", "So you get emails/notifiction periodically",
     settings::kEnabledAllRadiosInBackground, &PlistController::enabledAllRadiosInBackground,
     &PlistController::setEnabledAllRadiosInBackground},
    {RowKind::Picker, kListPrototype, "Radios wakeup interval", "Minimum time between wakeups in background",
     settings::kWakeInterval},
    {RowKind::Switch, kSwitchPrototype, "Turn off data if WiFi on", "Save battery by disabling Edge/3G on WiFi",
     settings::kEnabledEdgeOffOnWifi, &PlistController::enabledEdgeOffOnWifi,
     &PlistController::setEnabledEdgeOffOnWifi},
    {RowKind::Picker, kListPrototype, "Delay at shut down", "Turn radios off after that delay.",
     settings::kRadioTimerDurationAtSleep},
    {RowKind::Picker, kListPrototype, "Delay at wake up", "Turn radios on after that delay.",
     settings::kRadioTimerDurationAtWakeup},
    {RowKind::Switch, kSwitchPrototype, "Manage critical battery level", "Turn to Ultimate mode if battery < 15%",
     settings::kManageCriticalLevel, &PlistController::enableNoRadioAtCriticalLevel,
     &PlistController::setEnableNoRadioAtCriticalLevel},
    {RowKind::Switch, kSwitchPrototype, "Save statistics", "To be able to draw graph", settings::kSaveStats,
     &PlistController::enableSaveStats, &PlistController::setEnableSaveStats},
    {RowKind::Screen,
     CustomSettingsViewController::kAtWakeUpSegue.data(),
     "Radio states at wake up",
     "State of each radio when phone turns on",
     {}},
    {RowKind::Screen,
     CustomSettingsViewController::kAtSleepTimeSegue.data(),
     "Radio states at sleep time",
     "State of each radio when phone turns off",
     {}},
    {RowKind::Switch, kSwitchPrototype, "Disable saving plan on AC",
     "Do not switch radios when phone is connected to AC", settings::kNoneOnAC, &PlistController::enableNoneOnAC,
     &PlistController::setEnableNoneOnAC},
}};

const SettingRow* rowAt(std::int64_t row) {
    if (row < 0 || row >= static_cast<std::int64_t>(kRows.size())) return nullptr;
    return &kRows[static_cast<std::size_t>(row)];
}

// The wake interval choices, in minutes.
const std::array<std::pair<const char*, std::int64_t>, 8> kWakeIntervals{{
    {"3 minutes", 3},
    {"5 minutes", 5},
    {"10 minutes", 10},
    {"15 minutes", 15},
    {"30 minutes", 30},
    {"45 minutes", 45},
    {"1 hour", 60},
    {"2 hours", 120},
}};

// The delay choices in seconds, shown with the word for seconds; one minute
// follows them.
constexpr std::array<std::int64_t, 12> kDelaySeconds{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 30};

void addChoice(CustomSettingsDetailViewController& detail, std::string label, std::int64_t value) {
    detail.values[label] = value;
    detail.keys.push_back(std::move(label));
}

std::string composedLabel(std::int64_t number, std::string_view word) { return std::to_string(number) + " " + L(word); }

}  // namespace

CustomSettingsViewController::CustomSettingsViewController() {
    TableView& table = tableView();
    table.registerPrototype(kTitlePrototype, [] { return std::make_shared<TableCell>(kTitlePrototype); });
    table.registerPrototype(kSwitchPrototype, [] { return std::make_shared<SwitchUITableViewCell>(kSwitchPrototype); });
    for (const char* prototype : {kListPrototype, kAtWakeUpSegue.data(), kAtSleepTimeSegue.data()}) {
        table.registerPrototype(prototype, [prototype] { return std::make_shared<ListUITableViewCell>(prototype); });
    }
}

void CustomSettingsViewController::viewDidLoad() {
    model().reloadPrefs();
    cells.clear();
}

void CustomSettingsViewController::viewDidAppear(bool /*animated*/) {
    title = L("Custom settings");
    for (std::size_t row = 0; row < kRows.size(); ++row) {
        if (kRows[row].kind == RowKind::Switch) {
            turnSwitchAtRow(static_cast<int>(row), switchStateAtRow(static_cast<int>(row)));
        }
    }
}

bool CustomSettingsViewController::switchStateAtRow(int row) {
    const SettingRow* setting = rowAt(row);
    if (setting == nullptr || setting->get == nullptr) return false;
    return (model().*setting->get)();
}

void CustomSettingsViewController::turnSwitchAtRow(int row, bool on) {
    auto cell =
        std::dynamic_pointer_cast<SwitchUITableViewCell>(tableView().cellForRowAtIndexPath({kSettingsSection, row}));
    if (cell) cell->switchCtrl.on = on;
}

int CustomSettingsViewController::numberOfSectionsInTableView(TableView& /*tableView*/) { return 2; }

int CustomSettingsViewController::numberOfRowsInSection(TableView& /*tableView*/, int section) {
    return section == kSettingsSection ? static_cast<int>(kRows.size()) : 0;
}

std::shared_ptr<TableCell> CustomSettingsViewController::cellForRowAtIndexPath(TableView& table, IndexPath indexPath) {
    if (indexPath.section != kSettingsSection) return nullptr;
    const SettingRow* setting = rowAt(indexPath.row);
    if (setting == nullptr) {
        auto cell =
            std::dynamic_pointer_cast<SwitchUITableViewCell>(table.dequeueReusableCellWithIdentifier(kSwitchPrototype));
        if (!cell) return nullptr;
        cell->label = L("Unknown row");
        cell->subLabel = L("This should never appear");
        cell->row = static_cast<std::uint32_t>(indexPath.row);
        cell->delegate = this;
        return cell;
    }

    const std::string label = L(setting->label);
    auto kept = cells.find(label);
    std::shared_ptr<TableCell> cell = kept != cells.end() ? kept->second : makeCellAtRow(table, indexPath.row);
    if (!cell) return nullptr;
    cells[label] = cell;
    if (auto switchCell = std::dynamic_pointer_cast<SwitchUITableViewCell>(cell)) {
        switchCell->switchCtrl.on = switchStateAtRow(indexPath.row);
    }
    return cell;
}

std::shared_ptr<TableCell> CustomSettingsViewController::makeCellAtRow(TableView& table, int row) {
    const SettingRow& setting = kRows[static_cast<std::size_t>(row)];
    std::shared_ptr<TableCell> cell = table.dequeueReusableCellWithIdentifier(setting.prototype);
    if (auto switchCell = std::dynamic_pointer_cast<SwitchUITableViewCell>(cell)) {
        switchCell->label = L(setting.label);
        switchCell->subLabel = L(setting.subLabel);
        switchCell->row = static_cast<std::uint32_t>(row);
        switchCell->delegate = this;
        switchCell->selectionStyle = CellSelectionStyle::None;
    } else if (auto listCell = std::dynamic_pointer_cast<ListUITableViewCell>(cell)) {
        listCell->label = L(setting.label);
        listCell->subLabel = L(setting.subLabel);
        listCell->row = static_cast<std::uint32_t>(row);
        listCell->accessoryType = CellAccessory::DisclosureIndicator;
    }
    return cell;
}

void CustomSettingsViewController::didSelectRowAtIndexPath(TableView& table, IndexPath indexPath) {
    const SettingRow* setting = indexPath.section == kSettingsSection ? rowAt(indexPath.row) : nullptr;
    if (setting == nullptr) return;
    std::shared_ptr<TableCell> cell = table.cellForRowAtIndexPath(indexPath);
    switch (setting->kind) {
        case RowKind::Picker: performSegueWithIdentifier(kDetailSegue, cell.get()); break;
        case RowKind::Screen: performSegueWithIdentifier(setting->prototype, cell.get()); break;
        case RowKind::Switch:
            // The switch itself is the control; the row only shows it.
            table.deselectRowAtIndexPath(indexPath, false);
            break;
    }
}

void CustomSettingsViewController::switchChanged(SwitchUITableViewCell& cell) {
    const SettingRow* setting = rowAt(cell.row);
    if (setting == nullptr || setting->kind != RowKind::Switch) {
        AMPWISE_LOG("This row %d (%s) should not send that message", static_cast<int>(cell.row), cell.label.c_str());
        return;
    }
    const bool on = cell.switchCtrl.on;
    (model().*setting->set)(on);
    AMPWISE_LOG("%s %s", std::string(setting->key).c_str(), on ? "ON" : "OFF");
    // Not saved: the switch shows what the file holds again.
    if (!model()._saveValueToFile("", setting->key, plist::Value(on))) tableView().reloadData();
}

void CustomSettingsViewController::configure(CustomSettingsDetailViewController& detail, std::string_view name) {
    for (std::int64_t seconds : kDelaySeconds) {
        addChoice(detail, composedLabel(seconds, seconds < 2 ? "second" : "seconds"), seconds);
    }
    addChoice(detail, composedLabel(1, "minute"), 60);
    detail.keyInPlist = std::string(name);
}

void CustomSettingsViewController::prepareForSegue(const StoryboardSegue& segue, TableCell* sender) {
    if (segue.identifier != kDetailSegue) return;
    auto* detail = dynamic_cast<CustomSettingsDetailViewController*>(segue.destination);
    if (detail == nullptr) return;

    // The row that leads to the picker: the sender's, else the selected one.
    std::int64_t row = -1;
    if (auto* listCell = dynamic_cast<ListUITableViewCell*>(sender)) {
        row = listCell->row;
    } else if (auto selected = tableView().indexPathForSelectedRow()) {
        row = selected->row;
    }

    detail->keys = {};
    detail->values = {};
    const SettingRow* setting = rowAt(row);
    if (setting != nullptr && setting->key == settings::kWakeInterval) {
        for (const auto& [label, minutes] : kWakeIntervals) addChoice(*detail, L(label), minutes);
        detail->keyInPlist = std::string(settings::kWakeInterval);
    } else if (setting != nullptr && setting->kind == RowKind::Picker) {
        configure(*detail, setting->key);
    } else {
        AMPWISE_LOG("Row %lld has no choices", static_cast<long long>(row));
    }
    detail->plistController = &model();
}

}  // namespace corvane::app
