#pragma once
// Formats a point label with a series' label format without trusting it: a
// format with exactly one floating-point conversion ("%.1f%%") gets the
// value as a double, "%@" stands for the value as a whole number, and any
// other conversion is left out rather than read from nowhere.

#include <string>

namespace corvane::app {

class ChartLabelFormat {
public:
    static std::string format(const std::string& labelFormat, double value);
};

}  // namespace corvane::app
