// ampwise-graph: draws the graph screen's chart from a root's statistics
// into a PNG or SVG file, as the screen would show it after opening.
//
//   ampwise-graph --root DIR --out FILE.png [--width 800] [--height 480] [--visible OFFSET]
//
// The graph settings file of the root chooses the series and the range.
// Without --visible the whole chart is drawn (every window width of it);
// with it, a PNG holds only the window's width from that offset in points
// ("end": the newest records, as the screen first shows them).

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/model/PlotDBLoader.h"
#include "app/platform/MainRunLoop.h"
#include "app/qt/chart/ChartImageWriter.h"
#include "app/screens/LineChartViewController.h"

int main(int argc, char** argv) {
    std::string out;
    double width = 800.0;
    double height = 480.0;
    std::string visible;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--root")
            ::setenv("CORVANE_ROOT", argv[i + 1], 1);
        else if (option == "--out")
            out = argv[i + 1];
        else if (option == "--width")
            width = std::atof(argv[i + 1]);
        else if (option == "--height")
            height = std::atof(argv[i + 1]);
        else if (option == "--visible")
            visible = argv[i + 1];
    }
    if (out.empty() || width <= 0 || height <= 0) {
        std::fprintf(stderr, "usage: ampwise-graph --root DIR --out FILE.png|FILE.svg [--width W] [--height H]\n");
        return 2;
    }
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);

    using namespace corvane::app;
    LineChartViewController screen;
    screen.view = {0.0, 0.0, width, height};
    screen.loadViewIfNeeded();
    screen.viewWillAppear(false);
    PlotDBLoader& loader = PlotDBLoader::sharedInstance();
    for (int round = 0; round < 20; ++round) {
        loader.waitLoading();
        MainRunLoop::main().runDueWork();
        if (!loader.isLoading() && !MainRunLoop::main().hasPostedWork()) break;
    }
    bool written = false;
    if (visible.empty()) {
        written = ChartImageWriter::write(screen.lineChartView, QString::fromStdString(out));
    } else {
        const double offset = visible == "end" ? screen.scrollView.contentOffsetX : std::atof(visible.c_str());
        // The chart is laid out in points, a window's pixels being chartScale() of them.
        const double pixelRatio = 2.0 / screen.chartScale();
        const QImage whole = ChartImageWriter::render(screen.lineChartView, 2.0);
        written =
            !whole.isNull() &&
            whole.copy(static_cast<int>(offset * pixelRatio), 0, static_cast<int>(width * pixelRatio), whole.height())
                .save(QString::fromStdString(out), "PNG");
    }
    if (!written) {
        std::fprintf(stderr, "cannot write %s\n", out.c_str());
        return 1;
    }
    std::printf("%s: %.0f x %.0f points, %llu to %llu\n", out.c_str(), screen.lineChartView.frame.width,
                screen.lineChartView.frame.height, static_cast<unsigned long long>(loader.start()),
                static_cast<unsigned long long>(loader.end()));
    return 0;
}
