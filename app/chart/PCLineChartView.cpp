#include "app/chart/PCLineChartView.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/chart/ChartLabelFormat.h"
#include "app/model/AppLog.h"
#include "app/model/DateText.h"
#include "app/model/Localized.h"

namespace corvane::app {

namespace {

constexpr double kTopMargin = 35.0;
constexpr double kBottomMargin = 25.0;
constexpr double kTimeLabelBand = 40.0;
// The upper row of time labels starts this far above the label band.
constexpr double kUpperTimeRowRise = 20.0;
constexpr double kTimeAxisMargin = 45.0;
constexpr double kGridInset = 30.0;
constexpr double kHalfMarker = 0.25;
constexpr double kLegendWidth = 45.0;
// Between a value label and the grid.
constexpr double kValueLabelGap = 2.0;
constexpr double kLineWidth = 1.0;
// More grid rows than any screen can show: a tiny step set by hand stops here.
constexpr double kMostGridRows = 1000.0;
constexpr double kRowTolerance = 1e-4;
constexpr double kShortestShortenedSegment = 2.0;

constexpr Color kTextColour{0.2f, 0.2f, 0.2f, 1.0f};
constexpr Color kGridColour{0.4f, 0.4f, 0.4f, 0.2f};
constexpr Color kPointLabelColour{0.0f, 0.0f, 0.0f, 1.0f};
constexpr Color kDefaultSeriesColour{0.0f, 0.6f, 0.8f, 1.0f};

struct LegendEntry {
    std::string title;
    double x;
    double y;
    Color colour;
};

const ChartPoint* pointAt(const PCLineChartViewComponent& series, std::size_t index) {
    if (index >= series.points.size() || !series.points[index]) return nullptr;
    return &series.points[index];
}

}  // namespace

double PCLineChartView::legendWidth(ChartCanvas& canvas, const std::string& title) const {
    // Wide enough for the longest word, so a larger text wraps but is never cut.
    double widest = 0.0;
    std::size_t start = 0;
    while (start < title.size()) {
        std::size_t end = title.find_first_of(" \n", start);
        if (end == std::string::npos) end = title.size();
        if (end > start)
            widest = std::max(widest, canvas.measureText(title.substr(start, end - start), xLabelFont).width);
        start = end + 1;
    }
    return std::max(kLegendWidth, std::ceil(widest));
}

void PCLineChartView::basicInit() {
    interval = 20.0f;
    minValue = 5000.0f;
    maxValue = -5000.0f;
    autoscaleYAxis = false;
    numYIntervals = 15;
    numXIntervals = 15;
    yLabelFont = {"HiraKakuProN-W6", 6.0};
    xLabelFont = {"HiraKakuProN-W6", 6.0};
    valueLabelFont = {"HiraKakuProN-W6", 10.0};
    legendFont = {"HiraKakuProN-W6", 10.0};
    noDataFont_ = {"HiraKakuProN-W6", 16.0};
    backgroundColor = {1.0f, 1.0f, 1.0f, 1.0f};
}

void PCLineChartView::setNeedsDisplay() {
    minValue = 5000.0f;
    maxValue = -5000.0f;
    needsDisplay_ = true;
}

std::string PCLineChartView::legendTitle(const std::string& seriesName) {
    if (seriesName == "CurrentCapacity") return L("Capacity (mAh)");
    if (seriesName == "Temperature") return L("Temperature (°C x100)");
    if (seriesName == "InstantAmperage") return L("Instant Amperage (mA)");
    const char* loadPeriod = seriesName == "LoadAvg1"    ? "1 minute"
                             : seriesName == "LoadAvg5"  ? "5 minutes"
                             : seriesName == "LoadAvg15" ? "15 minutes"
                                                         : nullptr;
    if (loadPeriod != nullptr) return L("Load average (x100)") + "\n" + L(loadPeriod);
    return seriesName;
}

std::optional<PCLineChartView::ValueAxis> PCLineChartView::valueAxis() {
    if (!components) return std::nullopt;
    // Range scan over the series drawn.
    bool anyValue = false;
    for (const auto& [name, series] : *components) {
        if (!series || !series->shouldDraw) continue;
        for (const ChartPoint& point : series->points) {
            if (!point || !std::isfinite(*point)) continue;
            anyValue = true;
            minValue = std::min(minValue, static_cast<float>(*point));
            maxValue = std::max(maxValue, static_cast<float>(*point));
        }
    }
    // The time axis: first and last recorded times.
    const auto timesFound = components->find(kTimeSeries);
    const PCLineChartViewComponent* times = timesFound != components->end() ? timesFound->second.get() : nullptr;
    std::optional<double> t0;
    std::optional<double> tN;
    if (times != nullptr) {
        for (const ChartPoint& point : times->points) {
            if (!point) continue;
            if (!t0) t0 = *point;
            tN = *point;
        }
    }
    // Nothing to draw against: no times, or no value in any series shown.
    if (!anyValue || !t0) return std::nullopt;

    double top = maxValue;
    double bottom = minValue;
    if (autoscaleYAxis) {
        // The largest magnitude, so that a series entirely below zero (the
        // drain while discharging) still gets an axis, and a negative series
        // larger than the positive ones stays inside the plot.
        double magnitude = std::max<double>(maxValue, -static_cast<double>(minValue));
        if (!(magnitude > 0.0)) magnitude = 5.0;
        const int power = static_cast<int>(std::floor(std::log10(magnitude / 5.0)));
        const double scale = std::pow(10.0, power);
        double step = magnitude / (5.0 * scale);
        step = step > 5.0 ? 10.0 : std::ceil(step);
        step *= scale;
        top = 5.0 * step;
        interval = static_cast<float>(top / static_cast<double>(std::max<std::uint64_t>(numYIntervals, 1)));
        bottom = minValue < 0.0f ? -top : 0.0;
    }
    if (!(interval > 0.0f)) interval = 1.0f;
    // The step is kept in single precision: without the tolerance, 5000 / 333.33334
    // falls just short of 15 steps and the zero row would be lost, leaving the
    // lowest values under the last grid line.
    const double rows = std::min((top - bottom) / static_cast<double>(interval) + 1.0 + kRowTolerance, kMostGridRows);
    const int gridRows = std::max(1, static_cast<int>(rows));
    const double plotHeight = frame.height - kTopMargin - kBottomMargin - kTimeLabelBand;
    const double rowHeight = gridRows > 1 ? plotHeight / (gridRows - 1) : plotHeight;
    return ValueAxis{top, gridRows, rowHeight, *t0, *tN};
}

std::string PCLineChartView::valueLabel(const ValueAxis& axis, int row) const {
    double value = axis.top - row * static_cast<double>(interval);
    if (std::fabs(value) < static_cast<double>(interval) * kRowTolerance) value = 0.0;  // not "-0"
    char text[64];
    std::snprintf(text, sizeof text, "%0.0f", value);
    return text;
}

double PCLineChartView::valueColumnWidth(ChartCanvas& canvas, const ValueAxis& axis) const {
    // Text larger than the phone's keeps its labels whole: the column grows.
    double widest = 0.0;
    for (int i = 0; i < axis.gridRows; ++i)
        widest = std::max(widest, canvas.measureText(valueLabel(axis, i), yLabelFont).width);
    return std::max(kGridInset, std::ceil(widest + kValueLabelGap));
}

void PCLineChartView::drawValueLabels(ChartCanvas& canvas, const ValueAxis& axis, double columnWidth) const {
    for (int i = 0; i < axis.gridRows; ++i) {
        const double y = std::trunc(kTopMargin + axis.rowHeight * i);
        canvas.drawText(valueLabel(axis, i), {0.0, y - 8, columnWidth, 20.0}, yLabelFont, kTextColour,
                        ChartTextAlignment::Right);
    }
}

void PCLineChartView::drawValueColumn(ChartCanvas& canvas) {
    const std::optional<ValueAxis> axis = valueAxis();
    if (!axis) return;
    // Down to the upper row of time labels, which stay the visible chart's own.
    const double width = valueColumnWidth(canvas, *axis);
    const ViewRect column{0.0, 0.0, width, frame.height - kTimeLabelBand - kUpperTimeRowRise};
    canvas.clipTo(column);
    canvas.fillRect(column, backgroundColor);
    drawValueLabels(canvas, *axis, width);
    canvas.clearClip();
}

void PCLineChartView::drawRect(ChartCanvas& canvas) {
    needsDisplay_ = false;
    const double w = frame.width;
    const double h = frame.height;
    canvas.clearClip();
    canvas.fillRect({0.0, 0.0, w, h}, backgroundColor);

    auto noData = [&] {
        canvas.drawText(L("No data..."), {0.0, h / 2 - 20, w, h / 2 + 20}, legendFont, kTextColour,
                        ChartTextAlignment::Center);
    };
    if (!components) {
        AMPWISE_LOG("components is nil : no data to display");
        noData();
        return;
    }

    const std::optional<ValueAxis> axis = valueAxis();
    if (!axis) {
        AMPWISE_LOG("nothing drawable in the components");
        noData();
        return;
    }
    const double top = axis->top;
    const int gridRows = axis->gridRows;
    const double rowHeight = axis->rowHeight;
    std::size_t pointCount = 0;
    for (const auto& [name, series] : *components) {
        if (series && series->shouldDraw) pointCount = std::max(pointCount, series->points.size());
    }
    const PCLineChartViewComponent* times = components->at(kTimeSeries).get();
    const double t0 = axis->firstTime;
    const double tN = axis->lastTime;

    // Horizontal grid and value labels; the time axis starts as far right
    // of the labels as the phone's layout has it.
    const double column = valueColumnWidth(canvas, *axis);
    const double timeAxisLeft = column + kTimeAxisMargin - kGridInset;
    drawValueLabels(canvas, *axis, column);
    for (int i = 0; i < gridRows; ++i) {
        const double y = std::trunc(kTopMargin + rowHeight * i);
        canvas.strokeLine(column, y, w - kGridInset, y, kGridColour, kLineWidth);
    }

    // Time scale. A single distinct time puts every point on the left edge.
    const double timeSpan = tN - t0;
    const double pixelsPerSecond = timeSpan > 0.0 ? (w - timeAxisLeft - kTimeAxisMargin) / timeSpan : 0.0;
    const std::uint64_t timeIntervals = timeSpan > 0.0 ? numXIntervals : 0;
    const std::uint64_t timeStep = timeIntervals > 0 ? static_cast<std::uint64_t>(timeSpan) / timeIntervals : 0;
    const double bottomLine = std::trunc(kTopMargin + rowHeight * (gridRows - 1));

    AMPWISE_LOG("Nombre d'intervales %d", static_cast<int>(numXIntervals));
    for (std::uint64_t i = 0; i <= timeIntervals; ++i) {
        const double x = std::trunc(timeAxisLeft + pixelsPerSecond * static_cast<double>(timeStep * i));
        canvas.strokeLine(x, kGridInset, x, bottomLine + 5, kGridColour, kLineWidth);
    }
    bool lowerRow = true;
    for (std::uint64_t i = 0; i <= timeIntervals; ++i) {
        const double x = std::trunc(timeAxisLeft + pixelsPerSecond * static_cast<double>(timeStep * i));
        const std::string date = DateText::shortDateShortTime(t0 + static_cast<double>(timeStep * i));
        const double labelWidth = canvas.measureText(date, xLabelFont).width * 3.0 / 4.0;
        canvas.drawText(
            date, {x - labelWidth / 2, h - kTimeLabelBand + (lowerRow ? 10.0 : -kUpperTimeRowRise), labelWidth, 40.0},
            xLabelFont, kTextColour, ChartTextAlignment::Center);
        lowerRow = !lowerRow;
    }

    auto xOf = [&](std::size_t index) {
        return std::trunc(timeAxisLeft + pixelsPerSecond * (*times->points[index] - t0));
    };
    auto yOf = [&](double value) {
        return std::trunc(kTopMargin + (top - value) / static_cast<double>(interval) * rowHeight);
    };

    // Lines, kept inside the grid: values beyond the axis are cut at its edge.
    canvas.clipTo({column, kGridInset, std::max(0.0, w - column - kGridInset), bottomLine + 5 - kGridInset});
    std::vector<LegendEntry> legend;
    for (const auto& [name, series] : *components) {
        if (!series || !series->shouldDraw) continue;
        if (!series->colour) series->colour = kDefaultSeriesColour;
        bool hasPrevious = false;
        double previousX = 0.0;
        double previousY = 0.0;
        for (std::size_t i = 0; i < pointCount; ++i) {
            const ChartPoint* value = pointAt(*series, i);
            if (value == nullptr || pointAt(*times, i) == nullptr || !std::isfinite(**value)) continue;
            const double x = xOf(i);
            const double y = yOf(**value);
            const double distance = std::hypot(x - previousX, y - previousY);
            if (hasPrevious && distance != 0.0) {
                // Each segment stops half a marker short of its points; between
                // points a pixel or two apart (a dense week) that would leave a
                // dashed line, so those are joined.
                const double f = distance > kShortestShortenedSegment ? kHalfMarker / distance : 0.0;
                canvas.strokeLine(previousX + f * (x - previousX), previousY + f * (y - previousY),
                                  x - f * (x - previousX), y - f * (y - previousY), *series->colour, kLineWidth);
            }
            if (i + 1 == series->points.size()) {
                // Beside the line's end, but never past the chart's right edge.
                legend.push_back({legendTitle(name),
                                  std::min(x + kHalfMarker + 5, w - legendWidth(canvas, legendTitle(name))), y - 10,
                                  *series->colour});
            }
            hasPrevious = true;
            previousX = x;
            previousY = y;
        }
    }
    canvas.clearClip();

    // Point labels, each kept clear of the previous one where it can.
    const double labelHeight = valueLabelFont.pointSize;
    for (const auto& [name, series] : *components) {
        if (!series || !series->shouldDraw || !series->shouldLabelValues) continue;
        double floor = kTopMargin;
        for (std::size_t i = 0; i < series->points.size(); ++i) {
            const ChartPoint* value = pointAt(*series, i);
            if (value == nullptr || pointAt(*times, i) == nullptr || !std::isfinite(**value)) continue;
            const double x = xOf(i);
            const double y = yOf(**value);
            const double above = std::trunc(y - kHalfMarker - labelHeight);
            const double below = std::trunc(y + kHalfMarker);
            const std::string label = ChartLabelFormat::format(series->labelFormat, **value);
            if (above > floor) {
                canvas.drawText(label, {x - 25, above, 50, 20}, valueLabelFont, kPointLabelColour,
                                ChartTextAlignment::Center);
                floor = above + 20;
            } else if (below < floor + 20 && below < h - kTopMargin - kBottomMargin) {
                canvas.drawText(label, {x - 25, below, 50, 20}, valueLabelFont, kPointLabelColour,
                                ChartTextAlignment::Center);
                floor = below + 20;
            } else {
                canvas.drawText(label, {x - 50, y - 10, 50, 20}, valueLabelFont, kPointLabelColour,
                                ChartTextAlignment::Center);
                floor = above + 20;
            }
            if (y + kHalfMarker > floor) floor = std::trunc(y + kHalfMarker);
        }
    }

    // Legend, stacked from the top in the order of the lines' end heights.
    std::stable_sort(legend.begin(), legend.end(),
                     [](const LegendEntry& a, const LegendEntry& b) { return a.y < b.y; });
    double legendY = 45.0;
    for (const LegendEntry& entry : legend) {
        canvas.drawText(entry.title, {entry.x, legendY, legendWidth(canvas, entry.title), 45.0}, xLabelFont,
                        entry.colour, ChartTextAlignment::Left);
        legendY += 50.0;
    }
}

}  // namespace corvane::app
