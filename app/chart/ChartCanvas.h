#pragma once
// What the line chart needs of a drawing surface: straight lines, text laid
// out in a rectangle (with its measured size), filled rectangles, a clip
// rectangle, in colours. A toolkit implements it; tests record the calls.

#include <string>
#include <string_view>

#include "app/screens/Color.h"
#include "app/screens/ViewRect.h"

namespace corvane::app {

struct ChartFont {
    std::string name;
    double pointSize = 0.0;
    bool operator==(const ChartFont&) const = default;
};

struct TextSize {
    double width = 0.0;
    double height = 0.0;
};

enum class ChartTextAlignment { Left, Center, Right };

class ChartCanvas {
public:
    virtual ~ChartCanvas() = default;
    virtual void strokeLine(double x1, double y1, double x2, double y2, const Color& colour, double width) = 0;
    virtual void fillRect(const ViewRect& rect, const Color& colour) = 0;
    // Draws the text inside the rectangle, wrapped at word boundaries to its
    // width (line breaks in the text are kept), aligned horizontally, from
    // the rectangle's top.
    virtual void drawText(std::string_view text, const ViewRect& rect, const ChartFont& font, const Color& colour,
                          ChartTextAlignment alignment) = 0;
    // The size of the text on one line.
    virtual TextSize measureText(std::string_view text, const ChartFont& font) = 0;
    // Later drawing stays inside the rectangle, until clearClip.
    virtual void clipTo(const ViewRect& rect) = 0;
    virtual void clearClip() = 0;
};

}  // namespace corvane::app
