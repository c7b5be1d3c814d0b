#pragma once
// The states of the seven radios when the device wakes up under the custom
// strategy; the same layout as the sleep screen, on the wake-up properties.

#include "app/screens/AtSleepViewController.h"

namespace corvane::app {

class AtWakeUpViewController : public AtSleepViewController {
public:
    void viewWillAppear(bool animated) override;

    void restoreSegments() override;
    // Only three-segment rows show a wake-up state.
    void turnSwitchAtRow(int row, std::int32_t state) override;
    void segmentedSwitchChanged(SegmentedUITableViewCell& cell) override;
    // Wake-up rows have no two-state form: the change is refused.
    void switchChanged(SwitchUITableViewCell& cell) override;

protected:
    std::array<std::string, 3> helpTexts() const override;

private:
    static const RadioRows kWakeUpRows;
};

}  // namespace corvane::app
