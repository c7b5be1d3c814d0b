#include "app/qt/TableRowWidget.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "app/qt/QtColor.h"
#include "app/qt/SegmentedButtons.h"
#include "app/qt/ToggleSwitch.h"
#include "app/screens/ListUITableViewCell.h"
#include "app/screens/SegmentedUITableViewCell.h"
#include "app/screens/SwitchUITableViewCell.h"

namespace corvane::app {

namespace {

QString qs(const std::string& text) { return QString::fromStdString(text); }

struct RowTexts {
    QString label;
    QString subLabel;
};

// Cells with their own labels show those; the others their text and detail.
RowTexts textsOf(const TableCell& cell) {
    if (const auto* switchCell = dynamic_cast<const SwitchUITableViewCell*>(&cell)) {
        return {qs(switchCell->label.empty() ? cell.text : switchCell->label), qs(switchCell->subLabel)};
    }
    if (const auto* listCell = dynamic_cast<const ListUITableViewCell*>(&cell)) {
        return {qs(listCell->label.empty() ? cell.text : listCell->label), qs(listCell->subLabel)};
    }
    if (const auto* segmentedCell = dynamic_cast<const SegmentedUITableViewCell*>(&cell)) {
        return {qs(segmentedCell->label.empty() ? cell.text : segmentedCell->label), {}};
    }
    return {qs(cell.text), qs(cell.detailText)};
}

}  // namespace

TableRowWidget::TableRowWidget(IndexPath indexPath, std::shared_ptr<TableCell> cell, QWidget* parent)
    : QFrame(parent), indexPath_(indexPath), cell_(std::move(cell)) {
    setFocusPolicy(Qt::StrongFocus);
    setMinimumHeight(44);
    setAutoFillBackground(false);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(14, 6, 10, 6);
    row->setSpacing(8);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(1);
    label_ = new QLabel(this);
    label_->setWordWrap(true);
    subLabel_ = new QLabel(this);
    subLabel_->setWordWrap(true);
    QFont small = subLabel_->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    subLabel_->setFont(small);
    texts->addWidget(label_);
    texts->addWidget(subLabel_);
    row->addLayout(texts, 1);

    if (auto* switchCell = dynamic_cast<SwitchUITableViewCell*>(cell_.get())) {
        toggle_ = new ToggleSwitch(this);
        row->addWidget(toggle_, 0, Qt::AlignVCenter);
        connect(toggle_, &QAbstractButton::clicked, this, [this, switchCell](bool on) {
            switchCell->userSetSwitch(on);
            emit edited();
        });
    }
    if (auto* segmentedCell = dynamic_cast<SegmentedUITableViewCell*>(cell_.get())) {
        QStringList titles;
        for (const std::string& title : segmentedCell->switchCtrl.titles) titles << qs(title);
        segments_ = new SegmentedButtons(titles, textsOf(*segmentedCell).label, this);
        row->addWidget(segments_, 0, Qt::AlignVCenter);
        connect(segments_, &SegmentedButtons::segmentChosen, this, [this, segmentedCell](int index) {
            segmentedCell->userSelectSegment(index);
            emit edited();
        });
    }
    accessory_ = new QLabel(this);
    accessory_->setMinimumWidth(14);
    accessory_->setAlignment(Qt::AlignCenter);
    row->addWidget(accessory_, 0, Qt::AlignVCenter);
    refresh();
}

QString TableRowWidget::labelText() const { return label_->text(); }

QString TableRowWidget::subLabelText() const { return subLabel_->text(); }

QColor TableRowWidget::labelColor() const { return label_->palette().color(QPalette::WindowText); }

bool TableRowWidget::isInteractive() const { return cell_ && cell_->userInteractionEnabled; }

void TableRowWidget::refresh() {
    if (!cell_) return;
    const RowTexts texts = textsOf(*cell_);
    label_->setText(texts.label);
    subLabel_->setText(texts.subLabel);
    subLabel_->setVisible(!texts.subLabel.isEmpty());

    // Rows that merely refuse taps (hints, help texts) stay readable; rows
    // whose choice is unavailable are greyed out.
    const bool enabled = cell_->textEnabled;
    QPalette labelPalette = palette();
    const QColor disabledText = palette().color(QPalette::Disabled, QPalette::WindowText);
    QColor textColor = enabled ? palette().color(QPalette::Text) : disabledText;
    if (enabled && cell_->textColor) textColor = toQColor(*cell_->textColor);
    labelPalette.setColor(QPalette::WindowText, textColor);
    label_->setPalette(labelPalette);
    QPalette subPalette = palette();
    subPalette.setColor(QPalette::WindowText, enabled ? palette().color(QPalette::PlaceholderText) : disabledText);
    subLabel_->setPalette(subPalette);

    switch (cell_->accessoryType) {
        case CellAccessory::Checkmark: accessory_->setText(QString::fromUtf8("\u2713")); break;
        case CellAccessory::DisclosureIndicator: accessory_->setText(QString::fromUtf8("\u203A")); break;
        case CellAccessory::None: accessory_->clear(); break;
    }
    accessory_->setVisible(cell_->accessoryType != CellAccessory::None);

    QString state;
    if (auto* switchCell = dynamic_cast<SwitchUITableViewCell*>(cell_.get())) {
        toggle_->setChecked(switchCell->switchCtrl.on);
        toggle_->setEnabled(switchCell->switchCtrl.enabled && cell_->userInteractionEnabled);
        toggle_->setAccessibleName(texts.label);
        state = switchCell->switchCtrl.on ? tr("on") : tr("off");
    }
    if (auto* segmentedCell = dynamic_cast<SegmentedUITableViewCell*>(cell_.get())) {
        segments_->setSelectedIndex(segmentedCell->switchCtrl.selectedSegmentIndex);
        segments_->setEnabled(cell_->userInteractionEnabled);
        const int selected = segmentedCell->switchCtrl.selectedSegmentIndex;
        if (selected >= 0 && selected < static_cast<int>(segmentedCell->switchCtrl.titles.size())) {
            state = qs(segmentedCell->switchCtrl.titles[static_cast<std::size_t>(selected)]);
        }
    }
    if (cell_->accessoryType == CellAccessory::Checkmark) state = tr("checked");
    QString name = texts.label;
    if (!texts.subLabel.isEmpty()) name += ", " + texts.subLabel;
    setAccessibleName(name);
    QString description = state;
    if (!enabled) description += (description.isEmpty() ? "" : ", ") + tr("unavailable");
    setAccessibleDescription(description);
    update();
}

void TableRowWidget::activate() {
    if (toggle_ != nullptr && toggle_->isEnabled()) {
        toggle_->click();
        return;
    }
    emit tapped(indexPath_);
}

void TableRowWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit tapped(indexPath_);
        return;
    }
    QFrame::mouseReleaseEvent(event);
}

void TableRowWidget::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up: emit moveFocusRequested(-1); return;
        case Qt::Key_Down: emit moveFocusRequested(1); return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space: activate(); return;
        default: QFrame::keyPressEvent(event);
    }
}

void TableRowWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Base));
    if (hasFocus()) {
        QColor focus = palette().color(QPalette::Highlight);
        focus.setAlphaF(0.18);
        painter.fillRect(rect(), focus);
    }
    QColor separator = palette().color(QPalette::Mid);
    separator.setAlphaF(0.35);
    painter.setPen(separator);
    painter.drawLine(14, height() - 1, width(), height() - 1);
    QFrame::paintEvent(event);
}

}  // namespace corvane::app
