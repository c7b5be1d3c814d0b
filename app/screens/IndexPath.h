#pragma once
// A row of a table: its section and its row within the section.

#include <compare>

namespace corvane::app {

struct IndexPath {
    int section = 0;
    int row = 0;
    auto operator<=>(const IndexPath&) const = default;
};

}  // namespace corvane::app
