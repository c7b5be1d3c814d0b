#pragma once
// A chart canvas that records what is drawn: lines, texts with their
// rectangles and colours, the clip in force. Text is measured at half the
// font size per character.

#include <optional>
#include <string>
#include <vector>

#include "app/chart/ChartCanvas.h"

namespace corvane::testing {

struct DrawnLine {
    double x1, y1, x2, y2;
    app::Color colour;
    std::optional<app::ViewRect> clip;
};

struct DrawnText {
    std::string text;
    app::ViewRect rect;
    app::ChartFont font;
    app::Color colour;
    app::ChartTextAlignment alignment;
};

class RecordingChartCanvas final : public app::ChartCanvas {
public:
    std::vector<DrawnLine> lines;
    std::vector<DrawnText> texts;

    void strokeLine(double x1, double y1, double x2, double y2, const app::Color& colour, double) override {
        lines.push_back({x1, y1, x2, y2, colour, clip_});
    }
    void fillRect(const app::ViewRect&, const app::Color&) override {}
    void drawText(std::string_view text, const app::ViewRect& rect, const app::ChartFont& font,
                  const app::Color& colour, app::ChartTextAlignment alignment) override {
        texts.push_back({std::string(text), rect, font, colour, alignment});
    }
    app::TextSize measureText(std::string_view text, const app::ChartFont& font) override {
        return {static_cast<double>(text.size()) * font.pointSize / 2, font.pointSize};
    }
    void clipTo(const app::ViewRect& rect) override { clip_ = rect; }
    void clearClip() override { clip_.reset(); }

    std::vector<DrawnLine> linesIn(const app::Color& colour) const {
        std::vector<DrawnLine> found;
        for (const DrawnLine& line : lines)
            if (line.colour == colour) found.push_back(line);
        return found;
    }

private:
    std::optional<app::ViewRect> clip_;
};

}  // namespace corvane::testing
