#pragma once
// One statistics series as the loader fills it: the column's values in
// record order, with the palette colour of its position and the flags the
// chart reads ("CurrentCapacity" drawn, "UpdateTime" labelled as a time).

#include <cstddef>
#include <memory>
#include <string>

#include "app/chart/PCLineChartViewComponent.h"

namespace corvane::app {

class PlotData final : public PCLineChartViewComponent {
public:
    // A new empty series named after its column; `position` is the number of
    // series created before it in the same load (its palette slot).
    PlotData(const std::string& name, std::size_t position);

    // The palette colour of a position; none from the sixteenth series on.
    static std::optional<Color> paletteColour(std::size_t position);
};

}  // namespace corvane::app
