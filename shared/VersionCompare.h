#pragma once
// Numeric comparison of version strings ("8.0" < "10.3", "5.0" < "5.0.1"):
// runs of digits compare as numbers, other characters as themselves, and a
// version that is a prefix of another is the lower one.

#include <string_view>

namespace corvane {

// Negative, zero or positive as `a` is lower than, equal to or above `b`.
int compareVersions(std::string_view a, std::string_view b);

}  // namespace corvane
