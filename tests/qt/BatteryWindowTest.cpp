// The battery screens in the window: pulling the table down with the mouse
// or the touchpad re-reads the last battery state, the header telling its
// state on the way, and the adapter row opens its own list.

#include <QWheelEvent>

#include "app/model/DateText.h"
#include "app/qt/LocaleDateFormat.h"
#include "app/qt/RefreshHeaderWidget.h"
#include "shared/Names.h"
#include "tests/qt/WindowFixture.h"

namespace corvane::testing {

class BatteryWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        f = std::make_unique<WindowFixture>();
        writeCapacity(1500);
        app::LocaleDateFormat::install();
        f->open();
        f->click("Last battery state");
    }
    void cleanup() {
        f.reset();
        app::DateText::setShortStyleFormatter(nullptr);
    }

    void pullingWithTheMouseOrTheTouchpadRefreshesTheTable() {
        QCOMPARE(f->title(), QString("Last battery state"));
        QCOMPARE(f->row("Current capacity")->subLabelText(), QString("1500 mAh"));
        writeCapacity(1400);
        QWidget* viewport = f->table().viewport();
        send(viewport, QEvent::MouseButtonPress, 100, Qt::LeftButton);  // a short pull does nothing
        send(viewport, QEvent::MouseMove, 150, Qt::LeftButton);
        send(viewport, QEvent::MouseButtonRelease, 150, Qt::NoButton);
        WindowFixture::settle();
        QCOMPARE(f->row("Current capacity")->subLabelText(), QString("1500 mAh"));

        send(viewport, QEvent::MouseButtonPress, 100, Qt::LeftButton);
        send(viewport, QEvent::MouseMove, 140, Qt::LeftButton);
        QCOMPARE(header().accessibleName(), QString("Pull down to refresh status"));
        send(viewport, QEvent::MouseMove, 180, Qt::LeftButton);
        QCOMPARE(header().accessibleName(), QString("Release to refresh status"));
        QVERIFY(header().height() >= 66);
        const double pulled = app::AppPlatform::current().currentTime();  // the clock is the machine's
        send(viewport, QEvent::MouseButtonRelease, 180, Qt::NoButton);
        QCOMPARE(header().accessibleName(), QString("Loading Status"));
        WindowFixture::settle();
        QCOMPARE(f->row("Current capacity")->subLabelText(), QString("1400 mAh"));
        QCOMPARE(header().accessibleName(), QString("Pull down to refresh status"));
        QCOMPARE(header().height(), 60);
        // The last update is written in the user's locale.
        const auto shown = [&](double at) {
            return header().accessibleDescription() == "Last update: " + app::LocaleDateFormat::shortDateShortTime(at);
        };
        QVERIFY2(shown(pulled) || shown(app::AppPlatform::current().currentTime()),
                 qPrintable(header().accessibleDescription()));

        writeCapacity(1300);
        wheel(viewport, 40, Qt::ScrollBegin);
        wheel(viewport, 40, Qt::ScrollUpdate);
        QCOMPARE(header().accessibleName(), QString("Release to refresh status"));
        wheel(viewport, 0, Qt::ScrollEnd);
        WindowFixture::settle();
        QCOMPARE(f->row("Current capacity")->subLabelText(), QString("1300 mAh"));
    }

    void theAdapterRowOpensItsDetails() {
        f->click("AC Adapter info");
        QCOMPARE(f->title(), QString("AC Adapter info"));
        QCOMPARE(f->labels(), (QStringList{"Description", "Amperage", "Power"}));
        QCOMPARE(f->row("Power")->subLabelText(), QString("12 W"));
    }

private:
    static void writeCapacity(int milliampHours) {
        WindowFixture::writeFile(
            paths::kLastBatteryState,
            plist::Dictionary{
                {std::string(battery::kAppleRawCurrentCapacity), plist::Value(milliampHours)},
                {std::string(battery::kAdapterDetails),
                 plist::Value(plist::Dictionary{{std::string(battery::kAdapterDescription), "usb host"},
                                                {std::string(battery::kAdapterAmperage), plist::Value(500)},
                                                {std::string(battery::kAdapterWatts), plist::Value(12)}})}});
    }
    static void send(QWidget* target, QEvent::Type type, int y, Qt::MouseButtons buttons) {
        const QPointF local(50, y);
        QMouseEvent event(type, local, target->mapToGlobal(local),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &event);
    }
    static void wheel(QWidget* target, int pixels, Qt::ScrollPhase phase) {
        const QPointF local(50, 50);
        QWheelEvent event(local, target->mapToGlobal(local), QPoint(0, pixels), QPoint(0, pixels * 2), Qt::NoButton,
                          Qt::NoModifier, phase, false);
        QCoreApplication::sendEvent(target, &event);
    }
    app::RefreshHeaderWidget& header() const {
        auto* found = f->table().findChild<app::RefreshHeaderWidget*>();
        Q_ASSERT(found != nullptr);
        return *found;
    }

    std::unique_ptr<WindowFixture> f;
};

}  // namespace corvane::testing

QTEST_MAIN(corvane::testing::BatteryWindowTest)
#include "BatteryWindowTest.moc"
