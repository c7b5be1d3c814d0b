#include "app/qt/RefreshHeaderWidget.h"

#include <QPainter>
#include <QPainterPath>
#include <numbers>

#include "app/qt/QtColor.h"

namespace corvane::app {

RefreshHeaderWidget::RefreshHeaderWidget(EGORefreshTableHeaderView& header, QWidget* parent)
    : QWidget(parent), header_(header) {
    setFixedHeight(0);
}

void RefreshHeaderWidget::showState(int visibleHeight) {
    setFixedHeight(std::max(0, visibleHeight));
    setAccessibleName(QString::fromStdString(header_._statusLabel.text));
    setAccessibleDescription(QString::fromStdString(header_._lastUpdatedLabel.text));
    update();
}

void RefreshHeaderWidget::drawLabel(QPainter& painter, const LabelView& label, double top) {
    if (label.text.empty()) return;
    QFont font = painter.font();
    font.setPixelSize(static_cast<int>(label.fontSize));
    font.setBold(label.boldSystemFont);
    painter.setFont(font);
    const QRectF box(0, top + label.frame.y, width(), label.frame.height);
    painter.setPen(toQColor(label.shadowColor));
    painter.drawText(box.translated(label.shadowOffsetX, label.shadowOffsetY), Qt::AlignCenter,
                     QString::fromStdString(label.text));
    painter.setPen(toQColor(label.textColor));
    painter.drawText(box, Qt::AlignCenter, QString::fromStdString(label.text));
}

void RefreshHeaderWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), toQColor(header_.backgroundColor));
    // The header is as tall as the table; its bottom edge meets the rows.
    const double top = height() - header_.frame.height;
    drawLabel(painter, header_._statusLabel, top);
    drawLabel(painter, header_._lastUpdatedLabel, top);

    const QColor ink = toQColor(header_._statusLabel.textColor);
    const auto& arrow = header_._arrowImage;
    if (!arrow.hidden) {
        const QRectF box(arrow.frame.x, top + arrow.frame.y, arrow.frame.width, arrow.frame.height);
        painter.save();
        painter.translate(box.center());
        painter.rotate(arrow.rotation * 180.0 / std::numbers::pi);
        // An arrow pointing down; turned half a circle it points up.
        QPainterPath shape;
        const double w = box.width() / 2.0;
        const double h = box.height() / 2.0;
        shape.addRect(QRectF(-w * 0.25, -h, w * 0.5, h * 1.3));
        shape.moveTo(-w, h * 0.25);
        shape.lineTo(w, h * 0.25);
        shape.lineTo(0, h);
        shape.closeSubpath();
        painter.setPen(Qt::NoPen);
        painter.setBrush(ink);
        painter.drawPath(shape);
        painter.restore();
    }
    const auto& activity = header_._activityView;
    if (activity.animating) {
        const QRectF box(activity.frame.x, top + activity.frame.y, activity.frame.width, activity.frame.height);
        painter.setPen(QPen(Qt::gray, 2.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawArc(box, 90 * 16, 270 * 16);
    }
}

}  // namespace corvane::app
