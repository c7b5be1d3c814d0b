#pragma once
// How one row of the battery detail screens shows its value: the row title,
// the format of the value and an optional divider. Formatters are numbered
// in creation order, which is the order the rows are shown in.

#include <cstdint>
#include <string>

#include "shared/PropertyList.h"

namespace corvane::app {

class BatteryCellFormatter {
public:
    // initWithTile:andFormat: (no divider).
    BatteryCellFormatter(std::string title, std::string dataFormat);
    // initWithTile:andFormat:andDivider: (0.0 means no division).
    BatteryCellFormatter(std::string title, std::string dataFormat, double divider);

    // The next creation number, process-wide: 1 for the first formatter.
    static std::int32_t nextIndex();

    // The display text of a row value as the screen computed it: the text
    // "nil" for a missing value, "YES"/"NO" for a boolean, "N/A" for an
    // array, empty text for a dictionary, otherwise the value itself.
    std::string format(const plist::Value& value) const;

    std::int32_t index;
    std::string title;  // already localised
    std::string dataFormat;
    double divider = 0.0;
};

}  // namespace corvane::app
