#include "app/qt/TableScreenWidget.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include "app/qt/RefreshHeaderWidget.h"
#include "app/qt/TableRowWidget.h"
#include "app/screens/BatteryDetailViewController.h"

namespace corvane::app {

namespace {
// A press must move this far before it counts as a drag rather than a tap.
constexpr int kDragStart = 8;
// Wheel angle (eighths of a degree) to pixels of pull, and how long the
// wheel must rest before the pull counts as released.
constexpr double kWheelPixelsPerDegree = 0.5;
constexpr int kWheelRestMs = 250;
}  // namespace

TableScreenWidget::TableScreenWidget(TableViewController& screen, QWidget* parent)
    : QScrollArea(parent), screen_(&screen), battery_(dynamic_cast<BatteryDetailViewController*>(&screen)) {
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    content_ = new QWidget;
    content_->setBackgroundRole(QPalette::Window);
    content_->setAutoFillBackground(true);
    layout_ = new QVBoxLayout(content_);
    layout_->setContentsMargins(0, 0, 0, 12);
    layout_->setSpacing(0);
    layout_->addStretch(1);
    setWidget(content_);
    watch(viewport());

    if (battery_ != nullptr && battery_->_refreshHeaderView) {
        header_ = new RefreshHeaderWidget(*battery_->_refreshHeaderView, content_);
        layout_->insertWidget(0, header_);
        watch(header_);
        battery_->onPendingWork = [this] {
            QTimer::singleShot(0, this, [this] {
                if (battery_ == nullptr) return;
                battery_->runPendingWork();
                refresh();
                showHeader();
            });
        };
        wheelEnd_.setSingleShot(true);
        wheelEnd_.setInterval(kWheelRestMs);
        connect(&wheelEnd_, &QTimer::timeout, this, &TableScreenWidget::releasePull);
    }
    screen_->tableView().onChange = [this] { refresh(); };
    rebuild();
    showHeader();
}

TableScreenWidget::~TableScreenWidget() { detach(); }

void TableScreenWidget::detach() {
    if (screen_ == nullptr) return;
    screen_->tableView().onChange = nullptr;
    if (battery_ != nullptr) battery_->onPendingWork = nullptr;
    screen_ = nullptr;
    battery_ = nullptr;
    wheelEnd_.stop();
}

void TableScreenWidget::watch(QWidget* widget) { widget->installEventFilter(this); }

bool TableScreenWidget::rowsMatchTable() const {
    const TableView& table = screen_->tableView();
    std::size_t index = 0;
    for (int section = 0; section < table.numberOfSections(); ++section) {
        for (int row = 0; row < table.numberOfRowsInSection(section); ++row) {
            auto cell = table.cellForRowAtIndexPath({section, row});
            if (!cell) continue;
            if (index >= rows_.size() || rows_[index]->cell() != cell) return false;
            ++index;
        }
    }
    return index == rows_.size();
}

void TableScreenWidget::refresh() {
    if (screen_ == nullptr || rebuilding_) return;
    if (!rowsMatchTable()) return rebuild();
    for (TableRowWidget* row : rows_) row->refresh();
}

void TableScreenWidget::rebuild() {
    rebuilding_ = true;
    std::optional<IndexPath> focused;
    for (TableRowWidget* row : rows_) {
        if (row->hasFocus()) focused = row->indexPath();
    }
    // The old rows may be the ones whose handler is running: they go once
    // control is back in the event loop.
    if (sections_ != nullptr) {
        sections_->hide();
        layout_->removeWidget(sections_);
        sections_->deleteLater();
    }
    rows_.clear();
    headings_.clear();
    sections_ = new QWidget(content_);
    auto* column = new QVBoxLayout(sections_);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    TableView& table = screen_->tableView();
    for (int section = 0; section < table.numberOfSections(); ++section) {
        const int count = table.numberOfRowsInSection(section);
        const QString heading = QString::fromStdString(screen_->titleForHeaderInSection(table, section));
        if (count == 0 && heading.isEmpty()) continue;
        auto* title = new QLabel(heading.toUpper(), sections_);
        title->setContentsMargins(16, 18, 16, 6);
        QFont small = title->font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        title->setFont(small);
        title->setForegroundRole(QPalette::PlaceholderText);
        if (heading.isEmpty())
            title->setFixedHeight(18);
        else
            headings_ << heading;
        column->addWidget(title);
        for (int row = 0; row < count; ++row) {
            std::shared_ptr<TableCell> cell = table.cellForRowAtIndexPath({section, row});
            if (!cell) continue;
            auto* widget = new TableRowWidget({section, row}, cell, sections_);
            connect(widget, &TableRowWidget::tapped, this, &TableScreenWidget::tap);
            connect(widget, &TableRowWidget::edited, this, [this] {
                refresh();
                emit userActed();
            });
            connect(widget, &TableRowWidget::moveFocusRequested, this,
                    [this, widget](int step) { moveFocus(widget, step); });
            watch(widget);
            column->addWidget(widget);
            rows_.push_back(widget);
            if (focused == widget->indexPath()) widget->setFocus();
        }
    }
    if (rows_.empty()) {
        auto* nothing = new QLabel(tr("Nothing to show yet"), sections_);
        nothing->setAlignment(Qt::AlignCenter);
        nothing->setContentsMargins(16, 40, 16, 16);
        nothing->setForegroundRole(QPalette::PlaceholderText);
        column->addWidget(nothing);
    }
    layout_->insertWidget(header_ != nullptr ? 1 : 0, sections_);
    rebuilding_ = false;
}

QStringList TableScreenWidget::headings() const { return headings_; }

TableRowWidget* TableScreenWidget::findRow(const QString& name) const {
    for (TableRowWidget* row : rows_) {
        if (QString::fromStdString(row->cell()->reuseIdentifier()).compare(name, Qt::CaseInsensitive) == 0) return row;
    }
    for (TableRowWidget* row : rows_) {
        if (row->labelText().contains(name, Qt::CaseInsensitive)) return row;
    }
    for (TableRowWidget* row : rows_) {
        if (QString::fromStdString(row->cell()->reuseIdentifier()).contains(name, Qt::CaseInsensitive)) return row;
    }
    return nullptr;
}

void TableScreenWidget::focusFirstRow() {
    for (TableRowWidget* row : rows_) {
        if (row->isInteractive()) return row->setFocus();
    }
}

void TableScreenWidget::keyPressEvent(QKeyEvent* event) {
    // The first arrow press moves into the rows.
    if (event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) {
        focusFirstRow();
        return;
    }
    QScrollArea::keyPressEvent(event);
}

void TableScreenWidget::tap(IndexPath indexPath) {
    if (screen_ == nullptr) return;
    screen_->tableView().tapRowAtIndexPath(indexPath);
    refresh();
    emit userActed();
}

void TableScreenWidget::moveFocus(TableRowWidget* from, int step) {
    auto at = std::find(rows_.begin(), rows_.end(), from);
    if (at == rows_.end()) return;
    const auto index = static_cast<long>(at - rows_.begin()) + step;
    if (index < 0 || index >= static_cast<long>(rows_.size())) return;
    TableRowWidget* next = rows_[static_cast<std::size_t>(index)];
    next->setFocus(Qt::TabFocusReason);
    ensureWidgetVisible(next);
}

void TableScreenWidget::showHeader() {
    if (header_ == nullptr || battery_ == nullptr) return;
    const TableView& table = battery_->tableView();
    const double pulled = table.isDragging() ? -table.contentOffsetY : 0.0;
    header_->showState(static_cast<int>(std::max(pulled, table.contentInset.top)));
}

void TableScreenWidget::pullTo(double distance) {
    if (battery_ == nullptr) return;
    battery_->tableView().dragTo(-distance);
    showHeader();
}

void TableScreenWidget::releasePull() {
    if (battery_ == nullptr) return;
    TableView& table = battery_->tableView();
    if (!table.isDragging()) return;
    table.endDragging();
    // The content springs back to rest under the header's inset.
    table.contentOffsetY = -table.contentInset.top;
    wheelPull_ = 0.0;
    showHeader();
    emit userActed();
}

bool TableScreenWidget::handleWheel(QWheelEvent* event) {
    if (battery_ == nullptr || verticalScrollBar()->value() > 0) return false;
    const double step = event->pixelDelta().isNull() ? event->angleDelta().y() * kWheelPixelsPerDegree
                                                     : static_cast<double>(event->pixelDelta().y());
    const bool pulling = battery_->tableView().isDragging();
    if (!pulling && step <= 0.0) return false;
    wheelPull_ = std::max(0.0, wheelPull_ + step);
    pullTo(wheelPull_);
    if (event->phase() == Qt::ScrollEnd) {
        releasePull();
    } else {
        wheelEnd_.start();
    }
    return true;
}

bool TableScreenWidget::eventFilter(QObject* watched, QEvent* event) {
    if (battery_ == nullptr) return QScrollArea::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::Wheel:
            if (handleWheel(static_cast<QWheelEvent*>(event))) return true;
            break;
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() == Qt::LeftButton) pressAt_ = mouse->globalPosition().toPoint();
            break;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (!pressAt_ || !(mouse->buttons() & Qt::LeftButton)) break;
            const int down = mouse->globalPosition().toPoint().y() - pressAt_->y();
            if (!pulling_ && down > kDragStart && verticalScrollBar()->value() == 0) pulling_ = true;
            if (pulling_) {
                pullTo(std::max(0, down));
                return true;
            }
            break;
        }
        case QEvent::MouseButtonRelease:
            pressAt_.reset();
            if (pulling_) {
                pulling_ = false;
                releasePull();
                return true;
            }
            break;
        default: break;
    }
    return QScrollArea::eventFilter(watched, event);
}

}  // namespace corvane::app
