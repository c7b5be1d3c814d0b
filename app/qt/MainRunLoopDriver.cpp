#include "app/qt/MainRunLoopDriver.h"

#include <algorithm>
#include <cmath>

#include "app/platform/AppPlatform.h"
#include "app/platform/MainRunLoop.h"

namespace corvane::app {

namespace {
// A timer far away is looked at again after a day at most (QTimer counts in int).
constexpr double kLongestWaitMilliseconds = 86400000.0;
}  // namespace

MainRunLoopDriver::MainRunLoopDriver(std::function<void()> afterRun, QObject* parent)
    : QObject(parent), afterRun_(std::move(afterRun)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &MainRunLoopDriver::runNow);
    // Told on the posting thread: only a queued call crosses to this one.
    MainRunLoop::main().setOnWorkPosted(
        [this] { QMetaObject::invokeMethod(this, &MainRunLoopDriver::runNow, Qt::QueuedConnection); });
    arm();
}

MainRunLoopDriver::~MainRunLoopDriver() { MainRunLoop::main().setOnWorkPosted(nullptr); }

void MainRunLoopDriver::runNow() {
    MainRunLoop::main().runDueWork();
    arm();
    if (afterRun_) afterRun_();
}

void MainRunLoopDriver::arm() {
    const std::optional<double> next = MainRunLoop::main().nextFireTime();
    if (!next) {
        timer_.stop();
        return;
    }
    const double wait = (*next - AppPlatform::current().currentTime()) * 1000.0;
    timer_.start(static_cast<int>(std::ceil(std::clamp(wait, 0.0, kLongestWaitMilliseconds))));
}

}  // namespace corvane::app
