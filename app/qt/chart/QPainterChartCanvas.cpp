#include "app/qt/chart/QPainterChartCanvas.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPen>

namespace corvane::app {

namespace {

QColor toQColor(const Color& colour) { return QColor::fromRgbF(colour.red, colour.green, colour.blue, colour.alpha); }
QRectF toQRect(const ViewRect& rect) { return {rect.x, rect.y, rect.width, rect.height}; }
QString toQString(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

QPainterChartCanvas::QPainterChartCanvas(QPainter& painter)
    : painter_(painter), outerClip_(painter.hasClipping() ? std::optional(painter.clipPath()) : std::nullopt) {
    painter_.setRenderHint(QPainter::Antialiasing, true);
    painter_.setRenderHint(QPainter::TextAntialiasing, true);
}

QFont QPainterChartCanvas::fontFor(const ChartFont& font) const {
    QFont made;
    made.setFamilies({QString::fromStdString(font.name), QStringLiteral("DejaVu Sans"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("sans-serif")});
    made.setStyleHint(QFont::SansSerif);
    // One point per painter unit, whatever the device's resolution.
    const QPaintDevice* device = painter_.device();
    const double dpi = device != nullptr && device->logicalDpiY() > 0 ? device->logicalDpiY() : 72.0;
    made.setPointSizeF(font.pointSize > 0.0 ? font.pointSize * 72.0 / dpi : 1.0);
    return made;
}

void QPainterChartCanvas::strokeLine(double x1, double y1, double x2, double y2, const Color& colour, double width) {
    painter_.setPen(QPen(toQColor(colour), width, Qt::SolidLine, Qt::FlatCap));
    painter_.drawLine(QLineF(x1, y1, x2, y2));
}

void QPainterChartCanvas::fillRect(const ViewRect& rect, const Color& colour) {
    painter_.fillRect(toQRect(rect), toQColor(colour));
}

void QPainterChartCanvas::drawText(std::string_view text, const ViewRect& rect, const ChartFont& font,
                                   const Color& colour, ChartTextAlignment alignment) {
    const int horizontal = alignment == ChartTextAlignment::Center  ? Qt::AlignHCenter
                           : alignment == ChartTextAlignment::Right ? Qt::AlignRight
                                                                    : Qt::AlignLeft;
    painter_.setFont(fontFor(font));
    painter_.setPen(toQColor(colour));
    // A word longer than the rectangle shows whole rather than cut.
    painter_.drawText(toQRect(rect), horizontal | Qt::AlignTop | Qt::TextWordWrap | Qt::TextDontClip, toQString(text));
}

TextSize QPainterChartCanvas::measureText(std::string_view text, const ChartFont& font) {
    const QFontMetricsF metrics(fontFor(font), painter_.device());
    return {metrics.horizontalAdvance(toQString(text)), metrics.height()};
}

void QPainterChartCanvas::clipTo(const ViewRect& rect) {
    painter_.setClipRect(toQRect(rect));
    if (outerClip_) painter_.setClipPath(*outerClip_, Qt::IntersectClip);
}

void QPainterChartCanvas::clearClip() {
    if (outerClip_)
        painter_.setClipPath(*outerClip_);
    else
        painter_.setClipping(false);
}

}  // namespace corvane::app
