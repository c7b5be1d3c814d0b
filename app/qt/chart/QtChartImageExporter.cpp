#include "app/qt/chart/QtChartImageExporter.h"

#include <QFileDialog>
#include <QStandardPaths>

#include "app/model/Localized.h"
#include "app/qt/chart/ChartImageWriter.h"

namespace corvane::app {

void QtChartImageExporter::chooseImagePath(Chosen chosen) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    auto* dialog =
        new QFileDialog(parent_, QString::fromStdString(L("Save image")), folder + QStringLiteral("/battery-graph.png"),
                        QStringLiteral("PNG image (*.png);;SVG image (*.svg)"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("png"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                     [chosen = std::move(chosen)](const QString& path) { chosen(path.toStdString()); });
    // Shown over the window; the loop keeps running (a picture taken now shows it).
    dialog->open();
}

bool QtChartImageExporter::writeImage(PCLineChartView& chart, const std::string& path) {
    return ChartImageWriter::write(chart, QString::fromStdString(path));
}

}  // namespace corvane::app
