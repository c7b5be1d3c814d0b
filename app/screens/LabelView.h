#pragma once
// A text label as a screen lays it out: the data a front end draws.

#include <string>

#include "app/screens/Color.h"
#include "app/screens/ViewRect.h"

namespace corvane::app {

enum class TextAlignment { Left, Center, Right };

struct LabelView {
    ViewRect frame;
    std::string text;
    // Empty: the system font.
    std::string fontName;
    double fontSize = 17.0;
    bool boldSystemFont = false;
    Color textColor{0.0f, 0.0f, 0.0f, 1.0f};
    // Alpha 0: clear.
    Color backgroundColor{0.0f, 0.0f, 0.0f, 0.0f};
    Color shadowColor{0.0f, 0.0f, 0.0f, 0.0f};
    double shadowOffsetX = 0.0;
    double shadowOffsetY = 0.0;
    TextAlignment textAlignment = TextAlignment::Left;
    bool flexibleWidth = false;
};

}  // namespace corvane::app
