#pragma once
// Saving the chart as an image, which only a drawing toolkit can do: the
// front end asks the user where and writes the file (PNG or SVG by its
// extension).

#include <optional>
#include <string>

namespace corvane::app {

class PCLineChartView;

class ChartImageExporter {
public:
    virtual ~ChartImageExporter() = default;
    // The file the user chose; none when they cancelled.
    virtual std::optional<std::string> chooseImagePath() = 0;
    // Draws the whole chart into the file; NO when it cannot be written.
    virtual bool writeImage(PCLineChartView& chart, const std::string& path) = 0;
};

}  // namespace corvane::app
