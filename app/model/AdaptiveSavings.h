#pragma once
// What the Adaptive strategy saved since the phone last came off its
// charger, as the engine recorded it, in words for the home list: energy in
// joules, and as a share of the battery when the last battery state gives
// its capacity and voltage.

#include <optional>
#include <string>

namespace corvane::app {

class AdaptiveSavings {
public:
    // The line to show; none when the engine has recorded nothing yet.
    static std::optional<std::string> sinceLastCharge();
};

}  // namespace corvane::app
