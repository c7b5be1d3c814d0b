// ampwise: the companion app's window on the phone's files.

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>
#include <memory>

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

    std::unique_ptr<corvane::app::AppPlatform> platform = corvane::app::AppPlatformFactory::makePlatform();
    corvane::app::AppPlatform::install(platform.get());
    int status = 0;
    {
        AmpwiseWindow window;
        if (options.screenshot) {
            window.show();
            QString failed;
            if (!window.walk(QString::fromStdString(options.show), &failed)) {
                std::fprintf(stderr, "ampwise: nothing named \"%s\" to open on this screen\n",
                             failed.toStdString().c_str());
                status = 1;
            }
            QApplication::processEvents();
            if (status == 0 && !window.grab().save(QString::fromStdString(*options.screenshot), "PNG")) {
                std::fprintf(stderr, "ampwise: cannot write %s\n", options.screenshot->c_str());
                status = 1;
            }
        } else {
            window.show();
            status = QApplication::exec();
        }
    }
    corvane::app::AppPlatform::install(nullptr);
    return status;
}
