#pragma once
// A colour as the toolkit takes it: single-precision red, green, blue and
// alpha components between 0 and 1.

namespace corvane::app {

struct Color {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float alpha = 1.0f;
    bool operator==(const Color&) const = default;
};

}  // namespace corvane::app
