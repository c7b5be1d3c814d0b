// The chart drawn with QPainter from a week of statistics rows written with
// the engine's own schema and insert statement, as the graph screen shows it
// on opening: the PNG shows the capacity line in its colour inside the plot,
// the SVG holds the same drawing, and text uses a font that exists here.

#include <gtest/gtest.h>

#include <QFile>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPainter>

#include "app/model/PlotDBLoader.h"
#include "app/platform/MainRunLoop.h"
#include "app/qt/chart/ChartImageWriter.h"
#include "app/qt/chart/QPainterChartCanvas.h"
#include "app/screens/LineChartViewController.h"
#include "tests/support/AppHarness.h"
#include "tests/support/StatisticsRows.h"

namespace corvane::testing {
namespace {

using app::LineChartViewController;
using app::PlotDBLoader;

class ChartPaintingTest : public AppTest {
protected:
    void TearDown() override {
        screen.reset();
        AppTest::TearDown();
    }
    // A week of rows every 30 seconds, opened on a 400 x 300 screen.
    LineChartViewController& openWeek() {
        writeStatisticsRows(everyStep(1'800'000'000, 30, 20160));
        screen = std::make_unique<LineChartViewController>();
        screen->view = {0.0, 0.0, 400.0, 300.0};
        screen->loadViewIfNeeded();
        screen->viewWillAppear(false);
        for (int round = 0; round < 20 && (PlotDBLoader::sharedInstance().isLoading() ||
                                           app::MainRunLoop::main().hasPostedWork() || round == 0);
             ++round) {
            PlotDBLoader::sharedInstance().waitLoading();
            app::MainRunLoop::main().runDueWork();
        }
        return *screen;
    }
    std::unique_ptr<LineChartViewController> screen;
};

TEST_F(ChartPaintingTest, AWeekIsDrawnIntoPngAndSvg) {
    LineChartViewController& graph = openWeek();
    ASSERT_TRUE(graph.lineChartView.components.has_value());
    ASSERT_EQ(graph.lineChartView.components->at("UpdateTime")->points.size(), 20160u);
    const QImage image = app::ChartImageWriter::render(graph.lineChartView, 1.0);
    ASSERT_EQ(image.width(), 7 * 400);
    ASSERT_EQ(image.height(), 300);

    // The capacity line's brown (blended with white where it is thin) is
    // drawn, and only inside the plot; the legend's column is at the right.
    int brownPixels = 0;
    int outside = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width() - 60; ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (!(pixel.red() - pixel.blue() > 40 && pixel.red() > pixel.green() && pixel.green() > pixel.blue()))
                continue;
            ++brownPixels;
            if (x < 30 || y < 30 || y > 300 - 60) ++outside;
        }
    }
    EXPECT_GT(brownPixels, image.width() / 2);
    EXPECT_EQ(outside, 0);

    const QString png = QString::fromStdString((root.path() / "week.png").string());
    const QString svg = QString::fromStdString((root.path() / "week.svg").string());
    ASSERT_TRUE(app::ChartImageWriter::write(graph.lineChartView, png));
    ASSERT_TRUE(app::ChartImageWriter::write(graph.lineChartView, svg));
    EXPECT_EQ(QImage(png).width(), 2 * 7 * 400);
    QFile svgFile(svg);
    ASSERT_TRUE(svgFile.open(QIODevice::ReadOnly));
    const QByteArray drawing = svgFile.readAll();
    EXPECT_TRUE(drawing.contains("<svg"));
    EXPECT_TRUE(drawing.contains("#996633"));  // the capacity line
    EXPECT_TRUE(drawing.contains("Capacity"));
    EXPECT_FALSE(app::ChartImageWriter::write(graph.lineChartView, QStringLiteral("/nonexistent/dir/x.png")));
}

TEST_F(ChartPaintingTest, MissingFontsFallBackToASansSerifOfTheSameSize) {
    QImage image(100, 100, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    app::QPainterChartCanvas canvas(painter);
    const QFontInfo used(canvas.fontFor({"HiraKakuProN-W6", 10.0}));
    EXPECT_TRUE(used.family().contains("Sans")) << used.family().toStdString();
    const app::TextSize small = canvas.measureText("Capacity", {"HiraKakuProN-W6", 6.0});
    const app::TextSize large = canvas.measureText("Capacity", {"HiraKakuProN-W6", 12.0});
    EXPECT_GT(small.width, 10.0);
    EXPECT_NEAR(large.width / small.width, 2.0, 0.3);
    EXPECT_LT(small.height, 12.0);
}

}  // namespace
}  // namespace corvane::testing

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
