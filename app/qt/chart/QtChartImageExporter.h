#pragma once
// "Save image" of the graph screen on the desktop: a save dialog offering
// PNG and SVG, modal to the window but not blocking its loop, then the chart
// drawn into the chosen file.

#include <QWidget>

#include "app/screens/ChartImageExporter.h"

namespace corvane::app {

class QtChartImageExporter final : public ChartImageExporter {
public:
    explicit QtChartImageExporter(QWidget* parent = nullptr) : parent_(parent) {}
    void chooseImagePath(Chosen chosen) override;
    bool writeImage(PCLineChartView& chart, const std::string& path) override;

private:
    QWidget* parent_;
};

}  // namespace corvane::app
