// The graph screen and its settings in the window, on a root with recorded
// statistics, driven with the mouse, the wheel and the keys.

#include <QFileDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QListWidget>
#include <QScrollArea>
#include <QScrollBar>

#include "app/model/PlotDBLoader.h"
#include "app/qt/GraphScreenWidget.h"
#include "app/qt/GraphSettingsWidget.h"
#include "app/qt/chart/ChartImageWriter.h"
#include "app/screens/LineChartViewController.h"
#include "tests/qt/WindowFixture.h"
#include "tests/support/StatisticsRows.h"

namespace corvane::testing {

namespace {

// The value labels at the chart's left edge (30 points, more for a larger
// text), and the two rows of dates at its bottom, in chart points.
constexpr int kValueLabelStrip = 40;
constexpr double kTimeLabelRows = 60.0;

// Saves into a fixed file, as a user choosing it in the dialog would.
class FileChartImageExporter final : public app::ChartImageExporter {
public:
    explicit FileChartImageExporter(std::string path) : path_(std::move(path)) {}
    void chooseImagePath(Chosen chosen) override { chosen(path_); }
    bool writeImage(app::PCLineChartView& chart, const std::string& path) override {
        return app::ChartImageWriter::write(chart, QString::fromStdString(path));
    }

private:
    std::string path_;
};

}  // namespace

class GraphWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        f = std::make_unique<WindowFixture>();
        // Three weeks of records, one every ten minutes.
        writeStatisticsRows(everyStep(1'700'000'000, 600, static_cast<int>(21 * kDay / 600)));
    }
    void cleanup() { f.reset(); }

    void seriesChosenInTheSettingsAreSavedAndDrawn() {
        f->open();
        f->click("View Graphs");
        QVERIFY(!f->window->navigationBar().isVisible());
        // The loaded week reaches the screen through the window's event loop.
        QTRY_VERIFY(graph().chart()->width() > 6 * graph().scrollArea()->viewport()->width());
        QVERIFY(!graph().progressView()->isVisible());
        // The newest records show first.
        QScrollBar* bar = graph().scrollArea()->horizontalScrollBar();
        QTRY_COMPARE(bar->maximum(), graph().chart()->width() - graph().scrollArea()->viewport()->width());
        // The screen moves to the newest end once the load has been drawn.
        QTRY_COMPARE(bar->value(), bar->maximum());
        // What the window shows there is that part of the whole chart, apart
        // from the value labels drawn again at the left edge: the dates below
        // them, there too, are the visible part's own.
        const QImage shown = graph().scrollArea()->viewport()->grab().toImage();
        const double points = chartScreen().chartScale();
        const QImage whole = app::ChartImageWriter::render(chartScreen().lineChartView, points);
        QCOMPARE(whole.width(), graph().chart()->width());
        const int column = qRound(kValueLabelStrip * points);
        const int dates = qRound((chartScreen().lineChartView.frame.height - kTimeLabelRows) * points);
        int compared = 0;
        int differing = 0;
        int differingDates = 0;
        for (int y = 0; y < shown.height(); ++y) {
            for (int x = y < dates ? column : 0; x < shown.width(); ++x, ++compared) {
                const QColor a = shown.pixelColor(x, y);
                const QColor b = whole.pixelColor(x + bar->value(), y);
                if (std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) >
                    60) {
                    ++differing;
                    if (x < column) ++differingDates;
                }
            }
        }
        QCOMPARE(differingDates, 0);
        // Lines drawn at a fractional scale may land a pixel apart.
        QVERIFY2(differing < compared / 400,
                 qPrintable(QString("%1 of %2 pixels differ").arg(differing).arg(compared)));
        // The chart's smallest text is at least the system's smallest readable one.
        QVERIFY(chartScreen().lineChartView.xLabelFont.pointSize * points >=
                QFontInfo(QFontDatabase::systemFont(QFontDatabase::SmallestReadableFont)).pixelSize() - 0.5);

        QTest::mouseClick(graph().scrollArea()->viewport(), Qt::RightButton);
        WindowFixture::settle();
        app::GraphSettingsWidget* settings = f->window->graphSettings();
        QVERIFY(settings != nullptr);
        QCOMPARE(f->title(), QString("Graph settings"));
        QVERIFY(settings->switches()[0]->isChecked());
        QVERIFY(!settings->switches()[1]->isChecked());
        QTest::mouseClick(settings->switches()[1], Qt::LeftButton);
        QCOMPARE(f->readFile(paths::kGraphSettings)->find("temperature")->boolValue(), true);
        QTest::mouseClick(settings->doneButton(), Qt::LeftButton);
        WindowFixture::settle();
        QVERIFY(f->window->graphScreen() != nullptr);
        QVERIFY(chartScreen().getTemperatureState());
    }

    void keysAndWheelMoveTheWindowAndZoom() {
        openGraphs();
        const std::uint64_t newestStart = app::PlotDBLoader::sharedInstance().start();
        QTest::keyClick(&graph(), Qt::Key_Left);
        QCOMPARE(f->window->alertOverlay().title(), QString("Week change"));
        f->answer("OK");
        f->window->finishLoading();
        QVERIFY(app::PlotDBLoader::sharedInstance().start() < newestStart);

        QTest::keyClick(&graph(), Qt::Key_Home);
        QCOMPARE(graph().scrollArea()->horizontalScrollBar()->value(), 0);
        const int width = graph().chart()->width();
        wheel(QPoint(0, 120), Qt::ControlModifier);
        QCOMPARE(graph().chart()->width(), qRound(width * app::GraphScreenWidget::kZoomInStep));
        // A plain wheel scrolls, and the screen follows the bar.
        wheel(QPoint(0, -120), Qt::NoModifier);
        QVERIFY(graph().scrollArea()->horizontalScrollBar()->value() > 0);
        QScrollBar* bar = graph().scrollArea()->horizontalScrollBar();
        QCOMPARE(bar->value(), qRound(chartScreen().scrollView.contentOffsetX));
        // Dragging the bar moves the screen's offset (the panel opens there).
        bar->setValue(bar->maximum() / 2);
        QCOMPARE(qRound(chartScreen().scrollView.contentOffsetX), bar->maximum() / 2);
    }

    void theActionPanelSavesAnImage() {
        const std::string file = (f->root.path() / "graph.png").string();
        f->open();
        f->window->setChartImageExporter(std::make_unique<FileChartImageExporter>(file));
        f->click("View Graphs");
        f->window->finishLoading();
        QTest::mouseClick(graph().scrollArea()->viewport(), Qt::LeftButton);
        QVERIFY(graph().actionPanel()->isVisible());
        panelButton("Save image")->click();
        WindowFixture::settle();
        QVERIFY(!graph().actionPanel()->isVisible());
        QCOMPARE(f->window->alertOverlay().title(), QString("Image saved"));
        const QImage saved(QString::fromStdString(file));
        QVERIFY(!saved.isNull());
        QVERIFY(saved.width() >= qRound(chartScreen().scrollView.contentWidth));
    }

    void saveImageAsksInADialogThatNeverStopsTheWindow() {
        f->open();
        // As `ampwise --screenshot --show "graphs/Save image"` walks: the walk
        // returns with the dialog open, and the picture shows it.
        QVERIFY(f->window->walk("graphs/Save image"));
        QFileDialog* dialog = nullptr;
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* shown = qobject_cast<QFileDialog*>(widget); shown != nullptr && shown->isVisible())
                dialog = shown;
        }
        QVERIFY(dialog != nullptr);
        const QImage window = f->window->grab().toImage();
        const QImage picture = f->window->screenshot();
        QVERIFY(picture.width() >= std::max(window.width(), dialog->width()));
        QVERIFY(picture.height() >= std::max(window.height(), dialog->height()));
        QVERIFY(picture != window);

        // The file chosen there receives the chart.
        const QString file = QString::fromStdString((f->root.path() / "chosen.png").string());
        dialog->selectFile(file);
        QVERIFY(QMetaObject::invokeMethod(dialog, "accept"));
        WindowFixture::settle();
        QCOMPARE(f->window->alertOverlay().title(), QString("Image saved"));
        QVERIFY(!QImage(file).isNull());
    }

    void leavingDuringALoadLeavesNothingBehind() {
        f->open();
        f->click("View Graphs");
        QTest::mouseClick(graph().scrollArea()->viewport(), Qt::LeftButton);
        panelButton("<< Ampwise")->click();
        WindowFixture::settle();
        QCOMPARE(f->title(), QString("Ampwise"));
        QVERIFY(f->window->navigationBar().isVisible());
        app::PlotDBLoader::sharedInstance().waitLoading();
        app::MainRunLoop::main().runDueWork();
        WindowFixture::settle();
        // And again with Escape, the screen gone before its load ends.
        f->click("View Graphs");
        QTest::keyClick(&graph(), Qt::Key_Escape);
        WindowFixture::settle();
        f->click("Settings");
        app::PlotDBLoader::sharedInstance().waitLoading();
        app::MainRunLoop::main().runDueWork();
        QCOMPARE(f->title(), QString("Settings"));
    }

private:
    void openGraphs() {
        f->open();
        f->click("View Graphs");
        f->window->finishLoading();
        QVERIFY(f->window->graphScreen() != nullptr);
    }
    app::GraphScreenWidget& graph() const { return *f->window->graphScreen(); }
    app::LineChartViewController& chartScreen() const {
        return dynamic_cast<app::LineChartViewController&>(*f->window->navigationStack().topViewController());
    }
    QPushButton* panelButton(const QString& title) const {
        for (QPushButton* button : graph().actionPanel()->findChildren<QPushButton*>()) {
            if (button->text() == title) return button;
        }
        return nullptr;
    }
    void wheel(QPoint angle, Qt::KeyboardModifiers modifiers) {
        QWidget* viewport = graph().scrollArea()->viewport();
        const QPointF at(viewport->width() / 2.0, viewport->height() / 2.0);
        QWheelEvent event(at, viewport->mapToGlobal(at), QPoint(), angle, Qt::NoButton, modifiers, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(viewport, &event);
    }

    std::unique_ptr<WindowFixture> f;
};

}  // namespace corvane::testing

QTEST_MAIN(corvane::testing::GraphWindowTest)
#include "GraphWindowTest.moc"
