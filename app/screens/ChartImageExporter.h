#pragma once
// Saving the chart as an image, which only a drawing toolkit can do: the
// front end asks the user where and writes the file (PNG or SVG by its
// extension). Asking never blocks: the answer comes back later, on the main
// loop, and only when the user chose a file.

#include <functional>
#include <string>

namespace corvane::app {

class PCLineChartView;

class ChartImageExporter {
public:
    virtual ~ChartImageExporter() = default;
    using Chosen = std::function<void(const std::string& path)>;
    // Asks the user for a file and returns at once; `chosen` runs with the
    // file once they chose one, never when they cancel.
    virtual void chooseImagePath(Chosen chosen) = 0;
    // Draws the whole chart into the file; NO when it cannot be written.
    virtual bool writeImage(PCLineChartView& chart, const std::string& path) = 0;
};

}  // namespace corvane::app
