#pragma once
// A view's frame in points: origin (x, y) and size, y growing downwards.

namespace corvane::app {

struct ViewRect {
    double x = 0.0;
    double y = 0.0;
    double width = 0.0;
    double height = 0.0;
    bool operator==(const ViewRect&) const = default;
};

}  // namespace corvane::app
