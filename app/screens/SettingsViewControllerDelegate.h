#pragma once
// Hears the switch of a switch row change.

namespace corvane::app {

class SwitchUITableViewCell;

class SettingsViewControllerDelegate {
public:
    virtual ~SettingsViewControllerDelegate() = default;
    virtual void switchChanged(SwitchUITableViewCell& cell) = 0;
};

// The application-list editor hears its switch rows the same way.
class ListViewControllerDelegate : public SettingsViewControllerDelegate {};

}  // namespace corvane::app
