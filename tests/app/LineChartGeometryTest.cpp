// Where the line chart draws, for small known series: the value grid and
// its labels, the time lines and labels, a gap bridged, the legend order,
// axes for negative series, and the cases with nothing to draw.

#include <gtest/gtest.h>

#include <algorithm>

#include "app/chart/PCLineChartView.h"
#include "tests/support/AppHarness.h"
#include "tests/support/RecordingChartCanvas.h"

namespace corvane::testing {
namespace {

using app::ChartPoint;
using app::Color;
using app::PCLineChartView;
using app::PCLineChartViewComponent;

constexpr double kWidth = 1090.0;
constexpr double kHeight = 400.0;  // plot height 300
constexpr Color kGrid{0.4f, 0.4f, 0.4f, 0.2f};
constexpr Color kBlue{0.0f, 0.0f, 1.0f, 1.0f};
constexpr Color kRed{1.0f, 0.0f, 0.0f, 1.0f};

std::shared_ptr<PCLineChartViewComponent> series(std::vector<ChartPoint> points, Color colour, bool shown = true) {
    auto made = std::make_shared<PCLineChartViewComponent>();
    made->points = std::move(points);
    made->colour = colour;
    made->shouldDraw = shown;
    return made;
}

std::vector<ChartPoint> times(int count, double step = 100.0) {
    std::vector<ChartPoint> made;
    for (int i = 0; i < count; ++i) made.emplace_back(1'800'000'000.0 + step * i);
    return made;
}

class LineChartGeometryTest : public AppTest {
protected:
    RecordingChartCanvas draw(PCLineChartView::Components components) {
        chart.frame = {0.0, 0.0, kWidth, kHeight};
        chart.autoscaleYAxis = true;
        chart.components = std::move(components);
        chart.setNeedsDisplay();
        RecordingChartCanvas canvas;
        chart.drawRect(canvas);
        return canvas;
    }
    // The texts drawn with this alignment: value labels right, time labels
    // centred, the legend left.
    static std::vector<DrawnText> texts(const RecordingChartCanvas& canvas, app::ChartTextAlignment alignment) {
        std::vector<DrawnText> found;
        for (const DrawnText& text : canvas.texts)
            if (text.alignment == alignment) found.push_back(text);
        return found;
    }
    static std::vector<DrawnLine> gridLines(const RecordingChartCanvas& canvas, bool horizontal) {
        std::vector<DrawnLine> found;
        for (const DrawnLine& line : canvas.linesIn(kGrid))
            if ((line.y1 == line.y2) == horizontal) found.push_back(line);
        return found;
    }
    PCLineChartView chart;
};

TEST_F(LineChartGeometryTest, TheValueAxisIsRoundedAndCoversEverySeriesShown) {
    struct Case {
        const char* name;
        std::vector<ChartPoint> blue;
        std::vector<ChartPoint> red;      // empty: not there
        std::vector<std::string> labels;  // the first two and the last
        std::size_t rows;
    };
    const std::vector<Case> cases = {
        {"top 2000", {100.0, 2000.0, 1500.0}, {}, {"2000", "1867", "0"}, 16},
        {"between 2500 and 5000", {100.0, 3000.0, 2900.0}, {}, {"5000", "4667", "0"}, 16},
        {"a negative minimum", {100.0, 2000.0, 1500.0}, {-5.0, -100.0, -50.0}, {"2000", "1867", "-2000"}, 31},
        {"only negative values", {-300.0, -120.0, -80.0}, {}, {"500", "467", "-500"}, 31},
        {"all zero", {0.0, 0.0, 0.0}, {}, {"5", "5", "0"}, 16},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PCLineChartView::Components components{{"UpdateTime", series(times(3), kGrid, false)},
                                               {"Blue", series(c.blue, kBlue)}};
        if (!c.red.empty()) components["Red"] = series(c.red, kRed);
        const RecordingChartCanvas canvas = draw(components);
        const auto labels = texts(canvas, app::ChartTextAlignment::Right);
        ASSERT_EQ(labels.size(), c.rows);
        EXPECT_EQ((std::vector{labels[0].text, labels[1].text, labels.back().text}), c.labels);
        const auto rows = gridLines(canvas, true);
        ASSERT_EQ(rows.size(), c.rows);
        EXPECT_EQ(rows.front().y1, 35.0);
        // Every segment lies between the top and the bottom grid line, inside the clip.
        const double bottom = rows.back().y1;
        for (const Color colour : {kBlue, kRed}) {
            for (const DrawnLine& line : canvas.linesIn(colour)) {
                EXPECT_GE(std::min(line.y1, line.y2), 35.0);
                EXPECT_LE(std::max(line.y1, line.y2), bottom);
                ASSERT_TRUE(line.clip.has_value());
                EXPECT_LE(line.clip->y + line.clip->height, bottom + 5.0);
            }
        }
        EXPECT_EQ(canvas.linesIn(kBlue).size(), 2u);
    }
}

TEST_F(LineChartGeometryTest, TimeLinesAndLabelsAlternateBetweenTwoRowsAndDenseLinesAreUnbroken) {
    chart.numXIntervals = 5;
    const RecordingChartCanvas canvas = draw({{"UpdateTime", series(times(11, 500.0), kGrid, false)},
                                              {"Blue", series(std::vector<ChartPoint>(11, 50.0), kBlue)}});
    const auto verticals = gridLines(canvas, false);
    ASSERT_EQ(verticals.size(), 6u);
    EXPECT_EQ(verticals.front().x1, 45.0);
    EXPECT_EQ(verticals.back().x1, kWidth - 45.0);
    EXPECT_EQ(verticals[1].x1, 45.0 + 200.0);  // 1000 of 5000 seconds over 1000 points

    auto labels = texts(canvas, app::ChartTextAlignment::Center);  // the time labels, not the points
    std::erase_if(labels, [&](const DrawnText& text) { return !(text.font == chart.xLabelFont); });
    ASSERT_EQ(labels.size(), 6u);
    for (std::size_t i = 0; i < labels.size(); ++i) {
        EXPECT_EQ(labels[i].rect.y, i % 2 == 0 ? kHeight - 30.0 : kHeight - 60.0);
        EXPECT_DOUBLE_EQ(labels[i].rect.x + labels[i].rect.width / 2, verticals[i].x1);
    }

    // One point per pixel: the segments meet instead of leaving half-pixel gaps.
    const RecordingChartCanvas dense = draw({{"UpdateTime", series(times(1001, 1.0), kGrid, false)},
                                             {"Blue", series(std::vector<ChartPoint>(1001, 50.0), kBlue)}});
    const auto segments = dense.linesIn(kBlue);
    ASSERT_EQ(segments.size(), 1000u);
    for (std::size_t i = 1; i < segments.size(); ++i) EXPECT_EQ(segments[i].x1, segments[i - 1].x2);
}

TEST_F(LineChartGeometryTest, GapsAreBridgedAndTheLegendFollowsTheLinesEnds) {
    chart.numXIntervals = 2;
    const RecordingChartCanvas canvas = draw({
        {"UpdateTime", series(times(3), kGrid, false)},
        {"CurrentCapacity", series({1000.0, std::nullopt, 800.0}, kBlue)},      // ends low
        {"Temperature", series({1500.0, 1900.0, 2000.0}, kRed)},                // ends high
        {"LoadAvg1", series({500.0, 600.0, std::nullopt}, Color{0, 1, 0, 1})},  // ends in a gap: no legend
    });
    const auto bridged = canvas.linesIn(kBlue);
    ASSERT_EQ(bridged.size(), 1u);
    EXPECT_NEAR(bridged[0].x1, 45.25, 0.01);
    EXPECT_NEAR(bridged[0].x2, kWidth - 45.25, 0.01);

    const auto legend = texts(canvas, app::ChartTextAlignment::Left);
    ASSERT_EQ(legend.size(), 2u);
    EXPECT_EQ(legend[0].text, "Temperature (°C x100)");
    EXPECT_EQ(legend[1].text, "Capacity (mAh)");
    EXPECT_LT(legend[0].rect.y, legend[1].rect.y);
    EXPECT_EQ(legend[1].rect.x, kWidth - 45.0);  // kept inside the chart
}

TEST_F(LineChartGeometryTest, WithNothingToDrawOnlyTheMessageShows) {
    const Color kNone{0, 0, 0, 0};
    // No components, no times, no series shown.
    for (const auto& components : std::vector<std::optional<PCLineChartView::Components>>{
             std::nullopt, PCLineChartView::Components{{"Blue", series({1.0, 2.0}, kBlue)}},
             PCLineChartView::Components{{"UpdateTime", series(times(3), kNone, false)},
                                         {"Blue", series({1.0, 2.0, 3.0}, kBlue, false)}}}) {
        chart.frame = {0.0, 0.0, kWidth, kHeight};
        chart.components = components;
        RecordingChartCanvas canvas;
        chart.drawRect(canvas);
        ASSERT_EQ(canvas.texts.size(), 1u);
        EXPECT_EQ(canvas.texts[0].text, "No data...");
        EXPECT_TRUE(canvas.lines.empty());
    }

    // One record, or one distinct time: drawn at the left edge, nothing divided by zero.
    const RecordingChartCanvas single =
        draw({{"UpdateTime", series({1.8e9, 1.8e9}, kNone, false)}, {"Blue", series({100.0, 120.0}, kBlue)}});
    ASSERT_EQ(single.linesIn(kBlue).size(), 1u);
    EXPECT_EQ(single.linesIn(kBlue)[0].x1, 45.0);
    EXPECT_EQ(gridLines(single, false).size(), 1u);
}

}  // namespace
}  // namespace corvane::testing
