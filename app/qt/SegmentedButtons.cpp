#include "app/qt/SegmentedButtons.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QToolButton>

namespace corvane::app {

SegmentedButtons::SegmentedButtons(const QStringList& titles, const QString& accessibleLabel, QWidget* parent)
    : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    group_.setExclusive(true);
    for (int index = 0; index < titles.size(); ++index) {
        auto* segment = new QToolButton(this);
        segment->setText(titles[index]);
        segment->setCheckable(true);
        segment->setAutoRaise(false);
        segment->setFocusPolicy(Qt::NoFocus);
        segment->setAccessibleName(accessibleLabel + ": " + titles[index]);
        segment->setMinimumWidth(44);
        group_.addButton(segment, index);
        layout->addWidget(segment);
    }
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(accessibleLabel);
    // The chosen segment is filled with the desktop's highlight colour.
    setStyleSheet(
        "QToolButton { border: 1px solid palette(highlight); padding: 3px 7px;"
        " background: palette(base); color: palette(text); }"
        "QToolButton:checked { background: palette(highlight); color: palette(highlighted-text); }"
        "QToolButton:disabled { border-color: palette(mid); color: palette(mid); }");
    connect(&group_, &QButtonGroup::idClicked, this, &SegmentedButtons::segmentChosen);
}

void SegmentedButtons::setSelectedIndex(int index) {
    if (index < 0 || group_.button(index) == nullptr) {
        // An exclusive group cannot uncheck its last button by itself.
        group_.setExclusive(false);
        for (QAbstractButton* button : group_.buttons()) button->setChecked(false);
        group_.setExclusive(true);
        return;
    }
    group_.button(index)->setChecked(true);
}

void SegmentedButtons::keyPressEvent(QKeyEvent* event) {
    const int step = event->key() == Qt::Key_Left ? -1 : event->key() == Qt::Key_Right ? 1 : 0;
    const int count = static_cast<int>(group_.buttons().size());
    if (step == 0 || count == 0) return QWidget::keyPressEvent(event);
    const int current = selectedIndex() < 0 ? (step > 0 ? -1 : count) : selectedIndex();
    const int next = current + step;
    if (next >= 0 && next < count) emit segmentChosen(next);
}

}  // namespace corvane::app
