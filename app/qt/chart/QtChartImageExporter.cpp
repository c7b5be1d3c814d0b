#include "app/qt/chart/QtChartImageExporter.h"

#include <QFileDialog>
#include <QStandardPaths>

#include "app/model/Localized.h"
#include "app/qt/chart/ChartImageWriter.h"

namespace corvane::app {

std::optional<std::string> QtChartImageExporter::chooseImagePath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString path = QFileDialog::getSaveFileName(parent_, QString::fromStdString(L("Save image")),
                                                      folder + QStringLiteral("/battery-graph.png"),
                                                      QStringLiteral("PNG image (*.png);;SVG image (*.svg)"));
    if (path.isEmpty()) return std::nullopt;
    return path.toStdString();
}

bool QtChartImageExporter::writeImage(PCLineChartView& chart, const std::string& path) {
    return ChartImageWriter::write(chart, QString::fromStdString(path));
}

}  // namespace corvane::app
