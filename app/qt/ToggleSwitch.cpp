#include "app/qt/ToggleSwitch.h"

#include <QPainter>
#include <QPainterPath>

namespace corvane::app {

namespace {
// The green of a switch that is on.
const QColor kOnColor(76, 217, 100);
}  // namespace

ToggleSwitch::ToggleSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
}

QSize ToggleSwitch::sizeHint() const { return {50, 30}; }

void ToggleSwitch::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(1, 1, -1, -1);
    const double radius = track.height() / 2.0;
    QColor trackColor = isChecked() ? kOnColor : palette().color(QPalette::Mid);
    if (!isEnabled()) trackColor.setAlphaF(0.4);
    painter.setPen(hasFocus() ? QPen(palette().color(QPalette::Highlight), 2) : Qt::NoPen);
    painter.setBrush(trackColor);
    painter.drawRoundedRect(track, radius, radius);
    const double knob = track.height() - 4.0;
    const double x = isChecked() ? track.right() - knob - 2.0 : track.left() + 2.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, track.top() + 2.0, knob, knob));
}

}  // namespace corvane::app
