#pragma once
// The line chart's canvas on a QPainter: lines, filled rectangles, wrapped
// text and clipping. Fonts missing on this system (the chart asks for
// "HiraKakuProN-W6") fall back to a close sans-serif at the same size, one
// point being one unit of the painter's coordinates. A clip already set on the
// painter when the canvas is made bounds every clip of the chart's, and
// clearing the chart's clip goes back to it.

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <optional>

#include "app/chart/ChartCanvas.h"

namespace corvane::app {

class QPainterChartCanvas final : public ChartCanvas {
public:
    explicit QPainterChartCanvas(QPainter& painter);

    void strokeLine(double x1, double y1, double x2, double y2, const Color& colour, double width) override;
    void fillRect(const ViewRect& rect, const Color& colour) override;
    void drawText(std::string_view text, const ViewRect& rect, const ChartFont& font, const Color& colour,
                  ChartTextAlignment alignment) override;
    TextSize measureText(std::string_view text, const ChartFont& font) override;
    void clipTo(const ViewRect& rect) override;
    void clearClip() override;

    // The Qt font for a chart font on this painter's device.
    QFont fontFor(const ChartFont& font) const;

private:
    QPainter& painter_;
    std::optional<QPainterPath> outerClip_;
};

}  // namespace corvane::app
