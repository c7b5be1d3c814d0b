#pragma once
// "Save image" of the graph screen on the desktop: a save dialog offering
// PNG and SVG, then the chart drawn into the chosen file.

#include <QWidget>

#include "app/screens/ChartImageExporter.h"

namespace corvane::app {

class QtChartImageExporter final : public ChartImageExporter {
public:
    explicit QtChartImageExporter(QWidget* parent = nullptr) : parent_(parent) {}
    std::optional<std::string> chooseImagePath() override;
    bool writeImage(PCLineChartView& chart, const std::string& path) override;

private:
    QWidget* parent_;
};

}  // namespace corvane::app
