#include "app/qt/GraphScreenWidget.h"

#include <QFontDatabase>
#include <QFrame>
#include <QGestureEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>

#include "app/platform/NetworkActivityIndicator.h"
#include "app/qt/chart/QPainterChartCanvas.h"
#include "app/screens/LineChartViewController.h"

namespace corvane::app {

namespace {

// One wheel notch in angle units.
constexpr int kWheelNotch = 120;
constexpr int kProgressSteps = 1000;
// The chart at its full width; the scroll area shows a window of it.
class ChartPaintWidget final : public QWidget {
public:
    using QWidget::QWidget;
    LineChartViewController* screen = nullptr;

protected:
    void paintEvent(QPaintEvent*) override {
        if (screen == nullptr) return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const double points = screen->chartScale();
        painter.scale(points, points);
        QPainterChartCanvas canvas(painter);
        screen->lineChartView.drawRect(canvas);
        // The value labels sit at the chart's left edge; once the chart is
        // scrolled, they are drawn again over the visible left side so the
        // values stay readable (the time labels below them stay the visible
        // part's own).
        const int left = visibleRegion().boundingRect().left();
        if (left > 0) {
            painter.resetTransform();
            painter.setClipping(false);
            painter.translate(left, 0);
            painter.scale(points, points);
            QPainterChartCanvas column(painter);
            screen->lineChartView.drawValueColumn(column);
        }
    }
};

int toInt(double points) { return static_cast<int>(std::lround(points)); }

}  // namespace

GraphScreenWidget::GraphScreenWidget(LineChartViewController& screen, QWidget* parent)
    : QWidget(parent), screen_(&screen) {
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName("Battery graph");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    scrollArea_ = new QScrollArea(this);
    scrollArea_->setFrameShape(QFrame::NoFrame);
    scrollArea_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    scrollArea_->setFocusPolicy(Qt::NoFocus);
    auto* chart = new ChartPaintWidget;
    chart->screen = screen_;
    chart->setToolTip(QString::fromUtf8(LineChartViewController::kKeyHints));
    chart->setAttribute(Qt::WA_OpaquePaintEvent);
    chart_ = chart;
    scrollArea_->setWidget(chart_);
    layout->addWidget(scrollArea_);
    scrollArea_->viewport()->installEventFilter(this);
    scrollArea_->viewport()->grabGesture(Qt::PinchGesture);
    connect(scrollArea_->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (showingOffset_ || screen_ == nullptr) return;
        screen_->scrollTo(value);
        if (panel_->isVisible()) refresh();
    });

    panel_ = new QFrame(scrollArea_->viewport());
    panel_->setObjectName("actionPanel");
    panel_->setStyleSheet("#actionPanel { background: white; border: 1px solid #999; border-radius: 8px; }");
    panel_->setToolTip(QString::fromUtf8(LineChartViewController::kKeyHints));
    panel_->hide();

    progress_ = new QFrame(this);
    progress_->setObjectName("progressView");
    progress_->setStyleSheet(
        "#progressView { background: rgba(0, 0, 0, 190); border-radius: 10px; }"
        " QLabel { color: white; }");
    auto* progressLayout = new QVBoxLayout(progress_);
    progressTitle_ = new QLabel(progress_);
    progressTitle_->setAlignment(Qt::AlignCenter);
    QFont bold = progressTitle_->font();
    bold.setBold(true);
    progressTitle_->setFont(bold);
    progressInfo_ = new QLabel(progress_);
    progressInfo_->setAlignment(Qt::AlignCenter);
    progressBar_ = new QProgressBar(progress_);
    progressBar_->setRange(0, kProgressSteps);
    progressBar_->setTextVisible(false);
    progressLayout->addWidget(progressTitle_);
    progressLayout->addWidget(progressInfo_);
    progressLayout->addWidget(progressBar_);
    progress_->hide();

    longPress_.setSingleShot(true);
    longPress_.setInterval(kLongPressMilliseconds);
    connect(&longPress_, &QTimer::timeout, this, [this] {
        if (!pressed_ || dragging_) return;
        longPressed_ = true;
        act([](LineChartViewController& graph) { graph.LongTap1(); });
    });

    // The chart's smallest text is never below the system's smallest readable one.
    const QFont smallest = QFontDatabase::systemFont(QFontDatabase::SmallestReadableFont);
    screen.smallestTextSize =
        smallest.pixelSize() > 0 ? smallest.pixelSize() : smallest.pointSizeF() * logicalDpiY() / 72.0;
    // Sized before the first load so the chart starts one window wide.
    if (parent != nullptr) screen.setViewSize(parent->width(), std::max(1, parent->height()));
    rebuildPanel();
    refresh();
}

void GraphScreenWidget::detach() {
    screen_ = nullptr;
    static_cast<ChartPaintWidget*>(chart_)->screen = nullptr;
    longPress_.stop();
}

void GraphScreenWidget::act(const std::function<void(LineChartViewController&)>& gesture) {
    if (screen_ == nullptr) return;
    gesture(*screen_);
    // The gesture may have closed this screen (then it is detached).
    if (screen_ != nullptr) refresh();
    emit userActed();
}

void GraphScreenWidget::rebuildPanel() {
    for (QPushButton* old : panel_->findChildren<QPushButton*>()) delete old;
    if (screen_ == nullptr) return;
    for (const PanelButton& button : screen_->dialog.buttons) {
        const QString title = QString::fromStdString(button.title);
        auto* push = new QPushButton(title, panel_);
        push->setGeometry(toInt(button.frame.x), toInt(button.frame.y), toInt(button.frame.width),
                          toInt(button.frame.height));
        push->setFocusPolicy(Qt::NoFocus);
        connect(push, &QPushButton::clicked, this, [this, title] {
            act([title](LineChartViewController& graph) { graph.tapPanelButton(title.toStdString()); });
        });
    }
}

void GraphScreenWidget::showScrollOffset() {
    showingOffset_ = true;
    scrollArea_->horizontalScrollBar()->setValue(toInt(screen_->scrollView.contentOffsetX));
    showingOffset_ = false;
}

void GraphScreenWidget::refresh() {
    if (screen_ == nullptr) return;
    const ChartScrollView& view = screen_->scrollView;
    const QSize content(std::max(1, toInt(view.contentWidth)), std::max(1, toInt(view.contentHeight)));
    if (chart_->size() != content) chart_->setFixedSize(content);
    showScrollOffset();
    chart_->update();

    const ActionPanel& dialog = screen_->dialog;
    if (dialog.visible) {
        if (panel_->findChildren<QPushButton*>().size() != static_cast<qsizetype>(dialog.buttons.size()) ||
            panel_->width() != toInt(dialog.frame.width))
            rebuildPanel();
        panel_->setGeometry(toInt(dialog.frame.x - view.contentOffsetX), toInt(dialog.frame.y),
                            toInt(dialog.frame.width), toInt(dialog.frame.height));
        panel_->show();
        panel_->raise();
    } else {
        panel_->hide();
    }

    if (const std::shared_ptr<InfoView> info = screen_->infoView()) {
        progressTitle_->setText(QString::fromStdString(info->title.text));
        progressInfo_->setText(QString::fromStdString(info->info.text));
        progressBar_->setVisible(!info->progress.hidden);
        progressBar_->setValue(static_cast<int>(std::lround(info->progress.progress * kProgressSteps)));
        const int width = std::min(260, std::max(120, this->width() - 40));
        progress_->resize(width, progress_->sizeHint().height());
        progress_->move((this->width() - width) / 2, (height() - progress_->height()) / 2);
        progress_->show();
        progress_->raise();
    } else {
        progress_->hide();
    }
    setCursor(NetworkActivityIndicator::isVisible() ? Qt::BusyCursor : Qt::ArrowCursor);
}

bool GraphScreenWidget::eventFilter(QObject* watched, QEvent* event) {
    if (watched == scrollArea_->viewport() && screen_ != nullptr && viewportEvent(event)) return true;
    return QWidget::eventFilter(watched, event);
}

bool GraphScreenWidget::viewportEvent(QEvent* event) {
    switch (event->type()) {
        case QEvent::Resize: {
            const QSize size = static_cast<QResizeEvent*>(event)->size();
            screen_->setViewSize(size.width(), size.height());
            refresh();
            return false;
        }
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            setFocus();
            if (mouse->button() == Qt::RightButton) {
                act([](LineChartViewController& graph) { graph.LongTap2(); });
                return true;
            }
            if (mouse->button() != Qt::LeftButton) return false;
            pressed_ = true;
            dragging_ = false;
            longPressed_ = false;
            pressPosition_ = mouse->position().toPoint();
            pressOffset_ = screen_->scrollView.contentOffsetX;
            longPress_.start();
            return true;
        }
        case QEvent::MouseMove: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (!pressed_ || longPressed_) return false;
            const int moved = mouse->position().toPoint().x() - pressPosition_.x();
            if (!dragging_ && std::abs(moved) < kDragDistance) return true;
            dragging_ = true;
            longPress_.stop();
            screen_->scrollTo(pressOffset_ - moved);
            refresh();
            return true;
        }
        case QEvent::MouseButtonRelease: {
            if (static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton || !pressed_) return false;
            pressed_ = false;
            longPress_.stop();
            if (!dragging_ && !longPressed_) act([](LineChartViewController& graph) { graph.Tap1(); });
            return true;
        }
        case QEvent::Wheel: {
            auto* wheel = static_cast<QWheelEvent*>(event);
            const QPoint delta = wheel->angleDelta();
            if (wheel->modifiers() & Qt::ControlModifier) {
                if (delta.y() == 0) return true;
                const double factor = delta.y() > 0 ? kZoomInStep : kZoomOutStep;
                act([factor](LineChartViewController& graph) { graph.scrollViewDidEndZooming(factor); });
                return true;
            }
            // A vertical wheel scrolls the chart sideways too; a touchpad gives pixels.
            const QPoint pixels = wheel->pixelDelta();
            const int step = !pixels.isNull()
                                 ? (pixels.x() != 0 ? pixels.x() : pixels.y())
                                 : (delta.x() != 0 ? delta.x() : delta.y()) * scrollArea_->width() / 8 / kWheelNotch;
            screen_->scrollTo(screen_->scrollView.contentOffsetX - step);
            refresh();
            return true;
        }
        case QEvent::NativeGesture: {
            auto* gesture = static_cast<QNativeGestureEvent*>(event);
            if (gesture->gestureType() == Qt::BeginNativeGesture) {
                pinch_ = 1.0;
            } else if (gesture->gestureType() == Qt::ZoomNativeGesture) {
                pinch_ *= 1.0 + gesture->value();
            } else if (gesture->gestureType() == Qt::SwipeNativeGesture && gesture->value() != 0.0) {
                // A swipe to the right shows the earlier week, as a pan does.
                const double pan = gesture->value() > 0 ? kKeyPan : -kKeyPan;
                act([pan](LineChartViewController& graph) { graph.PanView(pan); });
            } else if (gesture->gestureType() == Qt::EndNativeGesture && pinch_ != 1.0) {
                const double factor = pinch_;
                pinch_ = 1.0;
                act([factor](LineChartViewController& graph) { graph.scrollViewDidEndZooming(factor); });
            }
            return true;
        }
        case QEvent::Gesture: {
            // A pinch on a touch screen zooms once it ends, by its whole scale.
            auto* gestures = static_cast<QGestureEvent*>(event);
            auto* pinch = static_cast<QPinchGesture*>(gestures->gesture(Qt::PinchGesture));
            if (pinch != nullptr && pinch->state() == Qt::GestureFinished && pinch->totalScaleFactor() != 1.0) {
                const double factor = pinch->totalScaleFactor();
                act([factor](LineChartViewController& graph) { graph.scrollViewDidEndZooming(factor); });
            }
            return pinch != nullptr;
        }
        default: return false;
    }
}

void GraphScreenWidget::keyPressEvent(QKeyEvent* event) {
    if (screen_ == nullptr) return QWidget::keyPressEvent(event);
    switch (event->key()) {
        case Qt::Key_Left: act([](LineChartViewController& graph) { graph.PanView(kKeyPan); }); break;
        case Qt::Key_Right: act([](LineChartViewController& graph) { graph.PanView(-kKeyPan); }); break;
        case Qt::Key_Home: act([](LineChartViewController& graph) { graph.scrollToOldest(); }); break;
        case Qt::Key_End: act([](LineChartViewController& graph) { graph.scrollToNewest(); }); break;
        case Qt::Key_Space: act([](LineChartViewController& graph) { graph.ToggleView(); }); break;
        case Qt::Key_F5: act([](LineChartViewController& graph) { graph.RotateView(); }); break;
        case Qt::Key_Plus:
            act([](LineChartViewController& graph) { graph.scrollViewDidEndZooming(kZoomInStep); });
            break;
        case Qt::Key_Minus:
            act([](LineChartViewController& graph) { graph.scrollViewDidEndZooming(kZoomOutStep); });
            break;
        case Qt::Key_Escape:
            // An open panel closes first; else the window goes back.
            if (screen_->dialog.visible) {
                act([](LineChartViewController& graph) { graph.cancelTapped(); });
                break;
            }
            [[fallthrough]];
        default: QWidget::keyPressEvent(event);
    }
}

}  // namespace corvane::app
