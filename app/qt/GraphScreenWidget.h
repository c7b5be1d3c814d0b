#pragma once
// The graph screen in the window: the chart in a horizontal scroll area one
// window high, the action panel over it, and the loading progress while a
// load runs. Mouse, wheel, touchpad and keys become the screen's gestures
// (LineChartViewController::kKeyHints lists them for the user).

#include <functional>

#include <QPoint>
#include <QTimer>
#include <QWidget>

class QFrame;
class QLabel;
class QProgressBar;
class QScrollArea;

namespace corvane::app {

class LineChartViewController;

class GraphScreenWidget : public QWidget {
    Q_OBJECT

public:
    // How long a press must be held to count as a long press.
    static constexpr int kLongPressMilliseconds = 700;
    // How far a press moves before it is a drag, not a click.
    static constexpr int kDragDistance = 8;
    // Zoom factor of one wheel notch with Ctrl.
    static constexpr double kZoomInStep = 1.25;
    static constexpr double kZoomOutStep = 0.8;
    // Pan length of the Left/Right keys (past the screen's pan threshold).
    static constexpr double kKeyPan = 60.0;

    GraphScreenWidget(LineChartViewController& screen, QWidget* parent = nullptr);

    // The screen is going away: nothing here touches it any more.
    void detach();
    // Shows what the screen holds now: the chart's size and scroll offset,
    // the panel, the progress and the busy cursor.
    void refresh();

    QScrollArea* scrollArea() const { return scrollArea_; }
    // The drawn chart (the scroll area's content).
    QWidget* chart() const { return chart_; }
    QFrame* actionPanel() const { return panel_; }
    QFrame* progressView() const { return progress_; }

signals:
    // The user did something: the window redraws and shows new alerts.
    void userActed();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool viewportEvent(QEvent* event);
    void act(const std::function<void(LineChartViewController&)>& gesture);
    void rebuildPanel();
    void showScrollOffset();

    LineChartViewController* screen_;
    QScrollArea* scrollArea_ = nullptr;
    QWidget* chart_ = nullptr;
    QFrame* panel_ = nullptr;
    QFrame* progress_ = nullptr;
    QLabel* progressTitle_ = nullptr;
    QLabel* progressInfo_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    // The offset shown is being set from the screen, not by the user.
    bool showingOffset_ = false;
    // The press in progress on the chart.
    bool pressed_ = false;
    bool dragging_ = false;
    bool longPressed_ = false;
    QPoint pressPosition_;
    double pressOffset_ = 0.0;
    QTimer longPress_;
    // Accumulated zoom of a touchpad pinch.
    double pinch_ = 1.0;
};

}  // namespace corvane::app
