#pragma once
// The graph settings view: six switches choosing the series drawn, and the
// picker of the statistics' range. It keeps no state of its own: it reads
// the choices from its delegate shortly after it is shown and reports each
// change at once; "Done" asks the delegate to close it.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/platform/MainRunLoop.h"
#include "app/screens/FlipsideViewControllerDelegate.h"
#include "app/screens/LabelView.h"
#include "app/screens/SwitchUITableViewCell.h"
#include "app/screens/ViewController.h"

namespace corvane::app {

struct PickerView {
    std::int32_t selectedRow = 0;
};

class FlipsideViewController : public ViewController {
public:
    // Seconds between appearing and reading the choices back.
    static constexpr double kRestoreDelay = 0.15;
    static constexpr std::size_t kSwitchCount = 6;

    FlipsideViewController();
    ~FlipsideViewController() override;

    FlipsideViewControllerDelegate* delegate = nullptr;

    Switch capacitySwitch;
    Switch temperatureSwitch;
    Switch drainSwitch;
    Switch loadAvg1Switch;
    Switch loadAvg5Switch;
    Switch loadAvg15Switch;
    PickerView pickerView;
    std::vector<std::string> arrayRange;

    LabelView capacityLabel;
    LabelView temperatureLabel;
    LabelView amperageLabel;
    LabelView loadLabel;
    LabelView statisticsRangeLabel;
    LabelView OneMinuteLabel;
    LabelView FiveMinutesLabel;
    LabelView FifteenMinutesLabel;
    LabelView LegendLine1;
    LabelView LegendLine2;
    LabelView LegendLine3;

    void viewDidLoad() override;
    void viewDidAppear(bool animated) override;
    // Sets every switch and the picker from the delegate.
    void restoreWidgets();

    // Picker data source and delegate.
    int numberOfComponentsInPickerView() const { return 1; }
    int numberOfRowsInComponent(int component) const;
    std::string titleForRow(int row) const;
    // Selects the row and hands it to the delegate, which loads that range.
    void didSelectRow(int row);

    // The switches in their order on screen, with their labels.
    std::array<Switch*, kSwitchCount> switches();
    std::array<const LabelView*, kSwitchCount> switchLabels() const;
    // The user flips switch `index` (screen order).
    void userSetSwitch(std::size_t index, bool on);

    // Actions: each reports its switch's state to the delegate.
    void capacityChanged();
    void temperatureChanged();
    void instantDrainChanged();
    void loadAvg1Changed();
    void loadAvg5Changed();
    void loadAvg15Changed();
    // "Done".
    void done();

private:
    MainRunLoop::TimerId restoreTimer_ = 0;
};

}  // namespace corvane::app
