#pragma once
// Display texts built from the app's fixed formats ("%@ mAh", "%0.3f V",
// "Last update: %@") without handing an object format to printf: "%@" and
// "%s" take an argument's text, the numeric conversions take its number with
// the argument type they need, and a missing or non-numeric argument reads
// as 0 (or as empty text) instead of crashing. Also the description of a
// property-list value as the app shows and logs it.

#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "shared/PropertyList.h"

namespace corvane::app {

class DisplayFormat {
public:
    // An argument: an object's text or a number.
    using Argument = std::variant<std::string, double>;

    // The format with each conversion replaced by the next argument.
    // Supported: %@ and %s (text), %d %i (integer), %u %x %X %o (unsigned),
    // %f %F %e %E %g %G %a %A (real), with flags, width and precision (each
    // at most kMaximumWidth), and %%. Length modifiers are read and
    // ignored; anything else is copied as it stands.
    static std::string apply(std::string_view format, const std::vector<Argument>& arguments);

    // The text of a value as an object format shows it: strings as they
    // are, numbers in decimal, booleans 1 or 0, dates in the default date
    // description, data as <hex bytes>, arrays as (a, b) and dictionaries
    // as {key = value; }.
    static std::string objectText(const plist::Value& value);

    static constexpr int kMaximumWidth = 64;
};

}  // namespace corvane::app
