#pragma once
// One series of the line chart: its values in record order (none marks a
// gap), its colour, whether it is drawn and whether each point is labelled.

#include <optional>
#include <string>
#include <vector>

#include "app/screens/Color.h"

namespace corvane::app {

using ChartPoint = std::optional<double>;

class PCLineChartViewComponent {
public:
    virtual ~PCLineChartViewComponent() = default;

    std::string title;
    std::vector<ChartPoint> points;
    // None: the chart gives it its default colour the first time it draws it.
    std::optional<Color> colour;
    bool shouldLabelValues = false;
    // printf format applied to the value as a double.
    std::string labelFormat = "%.1f%%";
    bool shouldDraw = false;
};

}  // namespace corvane::app
