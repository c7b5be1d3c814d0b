#include "app/qt/chart/ChartImageWriter.h"

#include <QPainter>
#include <QSvgGenerator>
#include <cmath>

#include "app/qt/chart/QPainterChartCanvas.h"

namespace corvane::app {

QImage ChartImageWriter::render(PCLineChartView& chart, double pixelRatio) {
    const int width = static_cast<int>(std::ceil(chart.frame.width * pixelRatio));
    const int height = static_cast<int>(std::ceil(chart.frame.height * pixelRatio));
    if (width <= 0 || height <= 0) return {};
    QImage image(width, height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return image;
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::white);
    QPainter painter(&image);
    QPainterChartCanvas canvas(painter);
    chart.drawRect(canvas);
    return image;
}

bool ChartImageWriter::writePng(PCLineChartView& chart, const QString& path, double pixelRatio) {
    const QImage image = render(chart, pixelRatio);
    return !image.isNull() && image.save(path, "PNG");
}

bool ChartImageWriter::writeSvg(PCLineChartView& chart, const QString& path) {
    QSvgGenerator generator;
    generator.setFileName(path);
    const QSize size(static_cast<int>(std::ceil(chart.frame.width)), static_cast<int>(std::ceil(chart.frame.height)));
    if (size.isEmpty()) return false;
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(72);
    generator.setTitle(QStringLiteral("Ampwise battery graph"));
    QPainter painter;
    if (!painter.begin(&generator)) return false;
    QPainterChartCanvas canvas(painter);
    chart.drawRect(canvas);
    return painter.end();
}

bool ChartImageWriter::write(PCLineChartView& chart, const QString& path) {
    if (path.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive)) return writeSvg(chart, path);
    return writePng(chart, path);
}

}  // namespace corvane::app
