#pragma once
// Runs the app's main run loop on the Qt event loop: work posted from other
// threads (the statistics loader's reports) runs on the GUI thread as soon
// as it is posted, and one single-shot timer waits for the earliest of the
// loop's timers. After each run the owner is told, so that it redraws.

#include <QObject>
#include <QTimer>
#include <functional>

namespace corvane::app {

class MainRunLoopDriver : public QObject {
    Q_OBJECT

public:
    explicit MainRunLoopDriver(std::function<void()> afterRun, QObject* parent = nullptr);
    ~MainRunLoopDriver() override;

    // Runs what is due now, re-arms the timer and tells the owner.
    void runNow();
    // Waits for the loop's earliest timer (call after timers were made
    // outside a run, for example when a screen appears).
    void arm();

private:
    std::function<void()> afterRun_;
    QTimer timer_;
};

}  // namespace corvane::app
