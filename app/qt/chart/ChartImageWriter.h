#pragma once
// Draws a whole line chart into an image: a raster image (PNG, sharp at
// twice the chart's size by default) or an SVG file, chosen by the file's
// extension (".svg" for SVG, anything else PNG). Needs a Qt GUI application.

#include <QImage>
#include <QString>

#include "app/chart/PCLineChartView.h"

namespace corvane::app {

class ChartImageWriter {
public:
    // The chart at its frame's size times `pixelRatio`.
    static QImage render(PCLineChartView& chart, double pixelRatio = 2.0);
    static bool writePng(PCLineChartView& chart, const QString& path, double pixelRatio = 2.0);
    static bool writeSvg(PCLineChartView& chart, const QString& path);
    static bool write(PCLineChartView& chart, const QString& path);
};

}  // namespace corvane::app
