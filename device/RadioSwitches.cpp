#include "device/RadioSwitches.h"

namespace corvane::device {

std::string stateWord(const plist::Value& state) {
    if (state.isBoolean()) return state.boolValue() ? "on" : "off";
    if (const std::string* text = state.asString()) return *text;
    return "unknown";
}

bool RadioSwitches::change(std::string_view radio, const plist::Value& found, const plist::Value& wanted,
                           const Perform& perform) {
    if (found == wanted) return true;
    const std::string what = std::string(radio) + " " + stateWord(wanted);
    if (dryRun_) {
        log_.say("would switch " + what);
        return false;
    }
    const bool firstNote = !journal_.exists();
    std::string whyNot;
    if (!journal_.noteBeforeSwitch(radio, found, &whyNot)) {
        log_.say("cannot note the radios in " + journal_.file().string() + ": " + whyNot + "; " + what + " not made");
        return false;
    }
    if (firstNote) log_.say("radios at start saved to " + journal_.file().string());
    log_.say("switch " + what);
    return perform();
}

int RadioSwitches::restore(const std::function<bool(std::string_view radio, const plist::Value& state)>& put) {
    const plist::Dictionary pending = journal_.pending();
    if (pending.empty()) {
        journal_.clear();
        return 0;
    }
    int restored = 0;
    for (const auto& [radio, state] : pending) {
        if (dryRun_) {
            log_.say("would restore " + radio + " " + stateWord(state));
            continue;
        }
        log_.say("restore " + radio + " " + stateWord(state));
        if (put(radio, state)) ++restored;
    }
    if (!dryRun_) {
        journal_.clear();
        log_.say("restored radios from " + journal_.file().string());
    }
    return restored;
}

}  // namespace corvane::device
