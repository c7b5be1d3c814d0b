#include "app/screens/BatteryDetailViewController.h"

#include <algorithm>
#include <system_error>

#include "app/model/AppLog.h"
#include "app/model/DisplayFormat.h"
#include "app/model/Localized.h"
#include "app/platform/AppPlatform.h"
#include "app/screens/BatterySubDetailViewController.h"
#include "shared/Names.h"
#include "shared/Paths.h"
#include "shared/PropertyListFile.h"

namespace corvane::app {

namespace {

const char* kindName(const plist::Value& value) {
    switch (value.kind()) {
        case plist::Value::Kind::Boolean: return "Boolean";
        case plist::Value::Kind::Integer: return "Integer";
        case plist::Value::Kind::Real: return "Real";
        case plist::Value::Kind::String: return "String";
        case plist::Value::Kind::Date: return "Date";
        case plist::Value::Kind::Data: return "Data";
        case plist::Value::Kind::Array: return "Array";
        case plist::Value::Kind::Dictionary: return "Dictionary";
    }
    return "Value";
}

}  // namespace

BatteryDetailViewController::BatteryDetailViewController() {
    tableView().registerPrototype(std::string(kItemsCell),
                                  [] { return std::make_shared<TableCell>(std::string(kItemsCell)); });
    tableView().registerPrototype(std::string(kSubItemCell), [] {
        auto cell = std::make_shared<TableCell>(std::string(kSubItemCell));
        cell->accessoryType = CellAccessory::DisclosureIndicator;
        return cell;
    });
}

void BatteryDetailViewController::addRow(std::string_view key, BatteryCellFormatter formatter) {
    acceptedRows.insert_or_assign(std::string(key), std::move(formatter));
}

void BatteryDetailViewController::viewDidLoad() {
    title = L("Last battery state");

    // Created in display order, so that their indexes rise in that order.
    acceptedRows.clear();
    addRow(battery::kBatteryInstalled, BatteryCellFormatter(L("Battery installed ;)"), "%@"));
    addRow(battery::kCycleCount, BatteryCellFormatter(L("Charge cycle count"), "%@"));
    addRow(battery::kAppleRawCurrentCapacity, BatteryCellFormatter(L("Current capacity"), "%@ mAh"));
    addRow(battery::kAppleRawMaxCapacity, BatteryCellFormatter(L("Max capacity"), "%@ mAh"));
    addRow(battery::kDesignCapacity, BatteryCellFormatter(L("Design capacity"), "%@ mAh"));
    addRow(battery::kInstantAmperage, BatteryCellFormatter(L("Instant Amperage"), "%@ mA"));
    addRow(battery::kTemperature, BatteryCellFormatter(L("Temperature"), "%0.2f°C (%0.2f°F)"));
    addRow(battery::kTimeRemaining, BatteryCellFormatter(L("Time remaining"), "%@ min"));
    addRow(battery::kUpdateTime, BatteryCellFormatter(L("Measured on"), "%@"));
    addRow(battery::kVoltage, BatteryCellFormatter(L("Voltage "), "%0.3f V", 1000.0));
    addRow(battery::kIsCharging, BatteryCellFormatter(L("Is charging"), "%@"));
    addRow(battery::kAtCriticalLevel, BatteryCellFormatter(L("At critical level"), "%@"));
    addRow(battery::kAtWarnLevel, BatteryCellFormatter(L("At warn level"), "%@"));
    addRow(battery::kExternalConnected, BatteryCellFormatter(L("AC connected"), "%@"));
    addRow(battery::kFullyCharged, BatteryCellFormatter(L("Fully charged"), "%@"));
    addRow(battery::kAdapterDetails, BatteryCellFormatter(L("AC Adapter info"), "%@"));
    addRow(battery::kManufacturer, BatteryCellFormatter(L("Manufacturer"), "%@"));
    addRow(battery::kSerial, BatteryCellFormatter(L("#Serial"), "%@"));

    if (!_refreshHeaderView) {
        const double height = tableView().height;
        _refreshHeaderView =
            std::make_unique<EGORefreshTableHeaderView>(ViewRect{0.0, -height, tableView().width, height});
        _refreshHeaderView->delegate = this;
    }
}

void BatteryDetailViewController::viewWillAppear(bool animated) {
    loadData();
    TableViewController::viewWillAppear(animated);
    // Coming back (from the sub-detail), the rows show the state just read.
    if (tableView().numberOfSections() > 0) tableView().reloadData();
}

void BatteryDetailViewController::viewDidUnload() {
    acceptedRows.clear();
    TableViewController::viewDidUnload();
}

void BatteryDetailViewController::loadData() {
    const std::filesystem::path path = paths::resolve(paths::kLastBatteryState);
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        batteryState.reset();
        return;
    }
    std::optional<plist::Dictionary> state = plist::readDictionary(path);
    if (!state) {
        AMPWISE_LOG("Last battery state %s is not a readable dictionary", path.c_str());
        batteryState.reset();
        return;
    }
    state->erase(batterydetail::kBatteryData);
    batteryState = std::move(state);
}

std::vector<std::string> BatteryDetailViewController::orderedKeys() const {
    std::vector<std::string> keys;
    keys.reserve(acceptedRows.size());
    for (const auto& [key, formatter] : acceptedRows) keys.push_back(key);
    std::stable_sort(keys.begin(), keys.end(), [this](const std::string& left, const std::string& right) {
        return acceptedRows.find(left)->second.index < acceptedRows.find(right)->second.index;
    });
    return keys;
}

int BatteryDetailViewController::numberOfRowsInSection(TableView& /*tableView*/, int /*section*/) {
    const int count = static_cast<int>(acceptedRows.size());
    AMPWISE_LOG("[acceptedRows count]=%d", count);
    return count;
}

std::shared_ptr<TableCell> BatteryDetailViewController::cellForRowAtIndexPath(TableView& tableView,
                                                                              IndexPath indexPath) {
    std::shared_ptr<TableCell> cell = tableView.dequeueReusableCellWithIdentifier(kItemsCell);
    if (!cell) return nullptr;
    cell->selectionStyle = CellSelectionStyle::None;

    const std::vector<std::string> keys = orderedKeys();
    if (indexPath.row < 0 || static_cast<std::size_t>(indexPath.row) >= keys.size()) return cell;
    const std::string& key = keys[static_cast<std::size_t>(indexPath.row)];
    const BatteryCellFormatter& formatter = acceptedRows.find(key)->second;

    std::optional<plist::Value> value;
    if (batteryState) {
        if (const plist::Value* found = batteryState->find(key)) value = *found;
    }
    if (!value && key == battery::kAdapterDetails) {
        // The adapter row always leads to its sub-detail.
        value = plist::Value(plist::Dictionary{{std::string(battery::kAdapterWatts), plist::Value(2)}});
    }

    plist::Value text;
    if (!value) {
        text = plist::Value("nil");
    } else if (const bool* flag = value->asBoolean()) {
        AMPWISE_LOG("%s=%s", key.c_str(), kindName(*value));
        text = plist::Value(*flag ? L("YES") : L("NO"));
    } else if (value->isDictionary()) {
        text = plist::Value("");
        if (auto subItem = tableView.dequeueReusableCellWithIdentifier(kSubItemCell)) cell = std::move(subItem);
    } else if (value->isArray()) {
        text = plist::Value("N/A");
    } else {
        text = std::move(*value);
    }

    cell->text = formatter.title;
    cell->detailText = formatter.format(text);
    return cell;
}

void BatteryDetailViewController::didSelectRowAtIndexPath(TableView& tableView, IndexPath indexPath) {
    std::shared_ptr<TableCell> cell = tableView.cellForRowAtIndexPath(indexPath);
    if (cell && cell->reuseIdentifier() == kSubItemCell) performSegueWithIdentifier(kSubDetailSegue, cell.get());
}

void BatteryDetailViewController::prepareForSegue(const StoryboardSegue& segue, TableCell* sender) {
    AMPWISE_LOG("segue : %s", segue.identifier.c_str());
    if (segue.identifier != kSubDetailSegue) return;
    auto* destination = dynamic_cast<BatterySubDetailViewController*>(segue.destination);
    if (destination == nullptr) return;

    std::optional<std::string> realName;
    if (sender != nullptr) {
        for (const auto& [key, formatter] : acceptedRows) {
            if (formatter.title == sender->text) {
                realName = key;
                destination->heading = formatter.title;
                break;
            }
        }
    }
    if (!realName) AMPWISE_LOG("realName is nil !!!!!!!!!!!!!");

    destination->name = realName.value_or(std::string());
    destination->batteryState.reset();
    if (realName && batteryState) {
        const plist::Value* entry = batteryState->find(*realName);
        if (entry != nullptr && entry->isDictionary()) destination->batteryState = *entry->asDictionary();
    }
    const std::string description = destination->batteryState
                                        ? DisplayFormat::objectText(plist::Value(*destination->batteryState))
                                        : std::string("(null)");
    AMPWISE_LOG("SubView dict = %s", description.c_str());
}

void BatteryDetailViewController::reloadTableViewDataSource() {
    _reloading = true;
    loadData();
    tableView().reloadData();
    doneLoadingTableViewData();
}

void BatteryDetailViewController::doneLoadingTableViewData() {
    _reloading = false;
    if (_refreshHeaderView) _refreshHeaderView->egoRefreshScrollViewDataSourceDidFinishedLoading(tableView());
}

void BatteryDetailViewController::scrollViewDidScroll(TableView& tableView) {
    if (_refreshHeaderView) _refreshHeaderView->egoRefreshScrollViewDidScroll(tableView);
}

void BatteryDetailViewController::scrollViewDidEndDragging(TableView& tableView, bool /*willDecelerate*/) {
    if (_refreshHeaderView) _refreshHeaderView->egoRefreshScrollViewDidEndDragging(tableView);
}

void BatteryDetailViewController::egoRefreshTableHeaderDidTriggerRefresh(EGORefreshTableHeaderView& /*view*/) {
    // A second pull before the first refresh has run joins it.
    if (refreshPosted_) return;
    refreshPosted_ = true;
    postToMainQueue([this] {
        refreshPosted_ = false;
        reloadTableViewDataSource();
    });
}

bool BatteryDetailViewController::egoRefreshTableHeaderDataSourceIsLoading(EGORefreshTableHeaderView& /*view*/) {
    return _reloading;
}

std::optional<double> BatteryDetailViewController::egoRefreshTableHeaderDataSourceLastUpdated(
    EGORefreshTableHeaderView& /*view*/) {
    return AppPlatform::current().currentTime();
}

void BatteryDetailViewController::postToMainQueue(std::function<void()> work) {
    pendingWork_.push_back(std::move(work));
    if (onPendingWork) onPendingWork();
}

std::size_t BatteryDetailViewController::runPendingWork() {
    // Work posted while running waits for the next turn.
    std::vector<std::function<void()>> work;
    work.swap(pendingWork_);
    for (auto& item : work) item();
    return work.size();
}

}  // namespace corvane::app
