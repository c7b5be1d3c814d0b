#include "app/screens/FlipsideViewController.h"

#include "app/model/AppLog.h"
#include "app/model/Localized.h"

namespace corvane::app {

namespace {

constexpr const char* kRangeTitles[] = {"Last hour",   "Last 6 hours", "Last 12 hours", "Last day",
                                        "Last 2 days", "Last week",    "Last month",    "All"};

}  // namespace

FlipsideViewController::FlipsideViewController() {
    arrayRange.reserve(5);
    for (const char* rangeTitle : kRangeTitles) arrayRange.push_back(L(rangeTitle));
}

FlipsideViewController::~FlipsideViewController() {
    if (restoreTimer_ != 0) MainRunLoop::main().invalidateTimer(restoreTimer_);
}

void FlipsideViewController::viewDidLoad() {
    title = L("Graph settings");
    capacityLabel.text = L("Capacity (mAh)");
    temperatureLabel.text = L("Temperature (°C x100)");
    amperageLabel.text = L("Instant Amperage (mA)");
    loadLabel.text = L("Load average (x100)");
    statisticsRangeLabel.text = L("Statistics' range");
    OneMinuteLabel.text = L("1 minute");
    FiveMinutesLabel.text = L("5 minutes");
    FifteenMinutesLabel.text = L("15 minutes");
    LegendLine1.text = L("Instant amperage is :");
    LegendLine2.text = L("- negative on drain,");
    LegendLine3.text = L("- positive on charge. ");
}

void FlipsideViewController::viewDidAppear(bool /*animated*/) {
    if (restoreTimer_ != 0) MainRunLoop::main().invalidateTimer(restoreTimer_);
    restoreTimer_ = MainRunLoop::main().scheduleTimer(kRestoreDelay, [this] {
        restoreTimer_ = 0;
        restoreWidgets();
    });
}

void FlipsideViewController::restoreWidgets() {
    if (delegate == nullptr) return;
    AMPWISE_LOG("%s", delegate->getCapacityState() ? "Capacity is ON from delegate" : "Capacity is OFF from delegate");
    capacitySwitch.on = delegate->getCapacityState();
    temperatureSwitch.on = delegate->getTemperatureState();
    drainSwitch.on = delegate->getDrainState();
    loadAvg1Switch.on = delegate->getLoadAvg1State();
    loadAvg5Switch.on = delegate->getLoadAvg5State();
    loadAvg15Switch.on = delegate->getLoadAvg15State();
    const std::int32_t row = delegate->getRange();
    AMPWISE_LOG("picker row is now %d", row);
    if (row >= 0 && row < static_cast<std::int32_t>(arrayRange.size())) pickerView.selectedRow = row;
    AMPWISE_LOG("View did appear exits");
}

int FlipsideViewController::numberOfRowsInComponent(int /*component*/) const {
    AMPWISE_LOG("Nombre dans le picker %d", static_cast<int>(arrayRange.size()));
    return static_cast<int>(arrayRange.size());
}

std::string FlipsideViewController::titleForRow(int row) const {
    if (row < 0 || row >= static_cast<int>(arrayRange.size())) return {};
    return arrayRange[static_cast<std::size_t>(row)];
}

void FlipsideViewController::didSelectRow(int row) {
    AMPWISE_LOG(
        "pickerView:(UIPickerView *)thePickerView didSelectRow:(NSInteger)row inComponent:(NSInteger)component");
    if (row < 0 || row >= static_cast<int>(arrayRange.size())) return;
    pickerView.selectedRow = row;
    if (delegate != nullptr) delegate->rangeChanged(row);
}

std::array<Switch*, FlipsideViewController::kSwitchCount> FlipsideViewController::switches() {
    return {&capacitySwitch, &temperatureSwitch, &drainSwitch, &loadAvg1Switch, &loadAvg5Switch, &loadAvg15Switch};
}

std::array<const LabelView*, FlipsideViewController::kSwitchCount> FlipsideViewController::switchLabels() const {
    return {&capacityLabel,  &temperatureLabel, &amperageLabel,
            &OneMinuteLabel, &FiveMinutesLabel, &FifteenMinutesLabel};
}

void FlipsideViewController::userSetSwitch(std::size_t index, bool on) {
    if (index >= kSwitchCount) return;
    switches()[index]->on = on;
    switch (index) {
        case 0: return capacityChanged();
        case 1: return temperatureChanged();
        case 2: return instantDrainChanged();
        case 3: return loadAvg1Changed();
        case 4: return loadAvg5Changed();
        default: return loadAvg15Changed();
    }
}

void FlipsideViewController::capacityChanged() {
    if (delegate != nullptr) delegate->capacityStateChanged(capacitySwitch.on);
}
void FlipsideViewController::temperatureChanged() {
    if (delegate != nullptr) delegate->temperatureStateChanged(temperatureSwitch.on);
}
void FlipsideViewController::instantDrainChanged() {
    if (delegate != nullptr) delegate->instantDrainStateChanged(drainSwitch.on);
}
void FlipsideViewController::loadAvg1Changed() {
    if (delegate != nullptr) delegate->loadAvg1StateChanged(loadAvg1Switch.on);
}
void FlipsideViewController::loadAvg5Changed() {
    if (delegate != nullptr) delegate->loadAvg5StateChanged(loadAvg5Switch.on);
}
void FlipsideViewController::loadAvg15Changed() {
    if (delegate != nullptr) delegate->loadAvg15StateChanged(loadAvg15Switch.on);
}

void FlipsideViewController::done() {
    if (delegate != nullptr) delegate->flipsideViewControllerDidFinish(*this);
}

}  // namespace corvane::app
