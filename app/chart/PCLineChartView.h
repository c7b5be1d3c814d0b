#pragma once
// A line chart of several time series over one time axis: a value grid with
// its labels on the left, dated vertical lines with their labels at the
// bottom, one polyline per series (gaps bridged), optional point labels and
// a legend entry at the end of each line. The series are looked up by name
// in `components`; the "UpdateTime" series holds the time of each record.
// Everything is drawn through a ChartCanvas, so no toolkit is needed here.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "app/chart/ChartCanvas.h"
#include "app/chart/PCLineChartViewComponent.h"
#include "app/screens/ViewRect.h"

namespace corvane::app {

class PCLineChartView {
public:
    using Components = std::map<std::string, std::shared_ptr<PCLineChartViewComponent>>;

    PCLineChartView() { basicInit(); }
    explicit PCLineChartView(const ViewRect& frame) : frame(frame) { basicInit(); }

    // The defaults: grid step 20, 15 value and 15 time steps, the sentinels
    // 5000 / -5000, the fonts, a white background.
    void basicInit();

    // Forgets the value range seen, so that the next draw scans the data
    // again, and asks for a redraw.
    void setNeedsDisplay();
    bool needsDisplay() const { return needsDisplay_; }

    // Draws the whole chart into the canvas, sized to the view's frame.
    void drawRect(ChartCanvas& canvas);
    // Draws only the value labels on the background, in the chart's left
    // column above the time labels: what a scrolled view draws again at its
    // left edge so the values stay in sight. Nothing when there is no data.
    void drawValueColumn(ChartCanvas& canvas);

    // Name of the series holding the record times.
    static constexpr const char* kTimeSeries = "UpdateTime";
    // The series' legend text.
    static std::string legendTitle(const std::string& seriesName);

    ViewRect frame;
    std::optional<Components> components;
    float interval = 20.0f;
    float minValue = 5000.0f;
    float maxValue = -5000.0f;
    bool autoscaleYAxis = false;
    std::uint64_t numYIntervals = 15;
    std::uint64_t numXIntervals = 15;
    ChartFont yLabelFont;
    ChartFont xLabelFont;
    ChartFont valueLabelFont;
    ChartFont legendFont;
    Color backgroundColor{1.0f, 1.0f, 1.0f, 1.0f};

private:
    // The value axis of the series shown (rounded from the largest magnitude
    // when autoscaling, with `interval` set) and the recorded time span;
    // none when nothing can be drawn.
    struct ValueAxis {
        double top;
        int gridRows;
        double rowHeight;
        double firstTime;
        double lastTime;
    };
    std::optional<ValueAxis> valueAxis();
    std::string valueLabel(const ValueAxis& axis, int row) const;
    // The value labels' column: 30 points, or as wide as the widest label.
    double valueColumnWidth(ChartCanvas& canvas, const ValueAxis& axis) const;
    void drawValueLabels(ChartCanvas& canvas, const ValueAxis& axis, double columnWidth) const;
    // A legend entry's width: 45 points, or its longest word.
    double legendWidth(ChartCanvas& canvas, const std::string& title) const;

    ChartFont noDataFont_;
    bool needsDisplay_ = true;
};

}  // namespace corvane::app
