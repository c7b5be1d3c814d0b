#pragma once
// Every radio switch the daemon makes passes here: the state found is noted
// in the journal before the switch, the switch is said in the log, and with
// a dry run it is only said ("would switch ..."). Restoring puts back what
// the journal holds, through the same gate.

#include <functional>
#include <string>
#include <string_view>

#include "device/DaemonLog.h"
#include "device/RadioJournal.h"
#include "shared/PropertyList.h"

namespace corvane::device {

// "on", "off", or the text of a state such as "3G".
std::string stateWord(const plist::Value& state);

class RadioSwitches {
public:
    using Perform = std::function<bool()>;
    RadioSwitches(DaemonLog& log, RadioJournal& journal, bool dryRun) : log_(log), journal_(journal), dryRun_(dryRun) {}

    bool dryRun() const { return dryRun_; }

    // Switches `radio` from `found` to `wanted` through `perform`. Nothing
    // happens when they are equal. NO when the switch was not made (dry run,
    // the journal could not be written, or `perform` failed).
    bool change(std::string_view radio, const plist::Value& found, const plist::Value& wanted, const Perform& perform);

    // Puts back every radio the journal holds through `put` (radio, state),
    // then forgets them. Answers how many were put back.
    int restore(const std::function<bool(std::string_view radio, const plist::Value& state)>& put);

private:
    DaemonLog& log_;
    RadioJournal& journal_;
    bool dryRun_;
};

}  // namespace corvane::device
