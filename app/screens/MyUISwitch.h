#pragma once
// A switch that writes each programmatic change to the app's log before
// making it, to find out who moves a switch.

#include "app/screens/SwitchUITableViewCell.h"

namespace corvane::app {

class MyUISwitch : public Switch {
public:
    // Logs "setOn : YES/NO animated : YES/NO", then changes the switch. The
    // call stack is not logged: symbolising it is neither cheap nor
    // dependable in a release build.
    void setOn(bool on, bool animated);
};

}  // namespace corvane::app
