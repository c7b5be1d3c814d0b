// ampwise: the companion app's window on the phone's files.

#include <QApplication>
#include <QIcon>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/model/PlotDBLoader.h"
#include "app/platform/AppPlatformFactory.h"
#include "app/qt/AmpwiseWindow.h"
#include "app/qt/LocaleDateFormat.h"
#include "app/qt/ProgramOptions.h"

using corvane::app::AmpwiseWindow;
using corvane::app::ProgramOptions;

int main(int argc, char** argv) {
    const ProgramOptions options = ProgramOptions::parse(std::vector<std::string>(argv + 1, argv + argc));
    if (options.help || !options.error.empty()) {
        if (!options.error.empty()) std::fprintf(stderr, "ampwise: %s\n", options.error.c_str());
        std::fputs(ProgramOptions::usage(), options.help ? stdout : stderr);
        return options.help ? 0 : 2;
    }
    if (options.root) ::setenv("CORVANE_ROOT", options.root->c_str(), 1);
    // Without a display (or when only a picture is wanted) Qt draws offscreen
    // instead of aborting.
    const bool noDisplay = std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr;
    if ((noDisplay || options.screenshot) && std::getenv("QT_QPA_PLATFORM") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName("Ampwise");
    QApplication::setDesktopFileName("ampwise");
    QApplication::setWindowIcon(QIcon::fromTheme("ampwise", QIcon(":/ampwise.svg")));
    corvane::app::LocaleDateFormat::install();

    // A picture needs no other process; the window talks to the phone's
    // engine over the session bus.
    std::unique_ptr<corvane::app::SimulatedPhoneAppPlatform> platform =
        options.screenshot ? std::make_unique<corvane::app::SimulatedPhoneAppPlatform>()
                           : corvane::app::AppPlatformFactory::makePlatform();
    corvane::app::AppPlatform::install(platform.get());
    if (corvane::platform::NotificationPump* pump = platform->notificationPump()) {
        // The bus's notifications are handled on this loop: when its socket
        // is readable, and when the bus asks to be looked at again.
        auto* readable = new QSocketNotifier(pump->fileDescriptor(), QSocketNotifier::Read, &application);
        auto* again = new QTimer(&application);
        again->setSingleShot(true);
        auto drive = [pump, again] {
            pump->dispatchPending();
            again->start(pump->waitMilliseconds(1000));
        };
        QObject::connect(readable, &QSocketNotifier::activated, &application, drive);
        QObject::connect(again, &QTimer::timeout, &application, drive);
        drive();
    }
    int status = 0;
    {
        AmpwiseWindow window;
        if (options.size) window.resize(options.size->first, options.size->second);
        if (options.screenshot) {
            window.show();
            QString failed;
            if (!window.walk(QString::fromStdString(options.show), &failed)) {
                std::fprintf(stderr, "ampwise: nothing named \"%s\" to open on this screen\n",
                             failed.toStdString().c_str());
                status = 1;
            }
            QApplication::processEvents();
            if (status == 0 && !window.screenshot().save(QString::fromStdString(*options.screenshot), "PNG")) {
                std::fprintf(stderr, "ampwise: cannot write %s\n", options.screenshot->c_str());
                status = 1;
            }
        } else {
            window.show();
            status = QApplication::exec();
        }
    }
    // The statistics loader's thread ends before the application does.
    corvane::app::PlotDBLoader::resetSharedInstance();
    corvane::app::AppPlatform::install(nullptr);
    return status;
}
