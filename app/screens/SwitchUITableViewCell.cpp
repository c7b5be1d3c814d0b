#include "app/screens/SwitchUITableViewCell.h"

namespace corvane::app {

void SwitchUITableViewCell::userSetSwitch(bool on) {
    if (!switchCtrl.enabled) return;
    switchCtrl.on = on;
    if (delegate != nullptr) delegate->switchChanged(*this);
}

}  // namespace corvane::app
