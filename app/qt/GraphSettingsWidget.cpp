#include "app/qt/GraphSettingsWidget.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/qt/ToggleSwitch.h"
#include "app/screens/FlipsideViewController.h"

namespace corvane::app {

namespace {
QLabel* label(const LabelView& view, QWidget* parent) {
    auto* shown = new QLabel(QString::fromStdString(view.text), parent);
    shown->setWordWrap(true);
    return shown;
}
}  // namespace

GraphSettingsWidget::GraphSettingsWidget(FlipsideViewController& screen, QWidget* parent)
    : QWidget(parent), screen_(&screen) {
    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    const auto labels = screen.switchLabels();
    // The three load averages sit under one heading.
    constexpr std::size_t kFirstLoadSwitch = 3;
    int row = 0;
    for (std::size_t index = 0; index < labels.size(); ++index, ++row) {
        if (index == kFirstLoadSwitch) grid->addWidget(label(screen.loadLabel, this), row++, 0, 1, 2);
        QLabel* name = label(*labels[index], this);
        auto* toggle = new ToggleSwitch(this);
        toggle->setAccessibleName(name->text());
        name->setBuddy(toggle);
        grid->addWidget(name, row, 0);
        grid->addWidget(toggle, row, 1, Qt::AlignRight);
        connect(toggle, &ToggleSwitch::clicked, this, [this, index](bool on) {
            if (screen_ == nullptr) return;
            screen_->userSetSwitch(index, on);
            emit userActed();
        });
        switches_.push_back(toggle);
    }
    layout->addLayout(grid);
    layout->addWidget(label(screen.statisticsRangeLabel, this));
    ranges_ = new QListWidget(this);
    ranges_->setAccessibleName(QString::fromStdString(screen.statisticsRangeLabel.text));
    for (int row = 0; row < screen.numberOfRowsInComponent(0); ++row)
        ranges_->addItem(QString::fromStdString(screen.titleForRow(row)));
    connect(ranges_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (showing_ || screen_ == nullptr || row < 0) return;
        screen_->didSelectRow(row);
        emit userActed();
    });
    layout->addWidget(ranges_, 1);
    for (const LabelView* legend : {&screen.LegendLine1, &screen.LegendLine2, &screen.LegendLine3}) {
        if (!legend->text.empty()) layout->addWidget(label(*legend, this));
    }
    done_ = new QPushButton("Done", this);
    connect(done_, &QPushButton::clicked, this, [this] {
        if (screen_ == nullptr) return;
        screen_->done();
        emit userActed();
    });
    layout->addWidget(done_);
    // No flip animation to wait for on a desktop: the choices show at once.
    screen.restoreWidgets();
    refresh();
}

void GraphSettingsWidget::detach() { screen_ = nullptr; }

void GraphSettingsWidget::refresh() {
    if (screen_ == nullptr) return;
    showing_ = true;
    const auto states = screen_->switches();
    for (std::size_t index = 0; index < states.size() && index < switches_.size(); ++index) {
        switches_[index]->setChecked(states[index]->on);
        switches_[index]->setEnabled(states[index]->enabled);
    }
    ranges_->setCurrentRow(screen_->pickerView.selectedRow);
    showing_ = false;
}

}  // namespace corvane::app
