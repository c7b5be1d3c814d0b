#pragma once
// Hears the three-segment control of a segmented row change.

namespace corvane::app {

class SegmentedUITableViewCell;

class SegmentedViewControllerDelegate {
public:
    virtual ~SegmentedViewControllerDelegate() = default;
    virtual void segmentedSwitchChanged(SegmentedUITableViewCell& cell) = 0;
};

}  // namespace corvane::app
