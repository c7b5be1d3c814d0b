#pragma once
// The screens' colours as Qt colours.

#include <QColor>

#include "app/screens/Color.h"

namespace corvane::app {

inline QColor toQColor(const Color& color) { return QColor::fromRgbF(color.red, color.green, color.blue, color.alpha); }

}  // namespace corvane::app
