#include "app/qt/AmpwiseWindow.h"

#include <QApplication>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QUrl>
#include <QVBoxLayout>

#include "app/model/PlotDBLoader.h"
#include "app/platform/MainRunLoop.h"
#include "app/qt/AlertOverlay.h"
#include "app/qt/GraphScreenWidget.h"
#include "app/qt/GraphSettingsWidget.h"
#include "app/qt/NavigationBarWidget.h"
#include "app/qt/TableRowWidget.h"
#include "app/qt/TableScreenWidget.h"
#include "app/qt/chart/QtChartImageExporter.h"
#include "app/screens/AmpwiseStoryboard.h"
#include "app/screens/AppListViewController.h"
#include "app/screens/FlipsideViewController.h"
#include "app/screens/LineChartViewController.h"
#include "app/screens/TableViewController.h"

namespace corvane::app {

namespace {
// How far a "pull" step drags the battery table: past the point that arms
// the refresh.
constexpr double kPullStepDistance = 80.0;
// How often a shown application list looks for a new names file: the engine
// answers the list's request within a moment, and a stat costs nothing.
constexpr int kNamesFileCheckMilliseconds = 500;
// Rounds of waiting for loads that start further loads (a range widened
// by loading): a few at most in practice.
constexpr int kLoadingRounds = 50;
}  // namespace

AmpwiseWindow::AmpwiseWindow(QWidget* parent) : AmpwiseWindow(AmpwiseStoryboard::make(), parent) {}

AmpwiseWindow::AmpwiseWindow(Storyboard storyboard, QWidget* parent)
    : QWidget(parent),
      runLoop_([this] {
          refresh();
          showNextAlert();
      }),
      imageExporter_(std::make_unique<QtChartImageExporter>(this)) {
    setWindowTitle("Ampwise");
    resize(kDefaultWidth, kDefaultHeight);
    setMinimumSize(280, 360);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    bar_ = new NavigationBarWidget(this);
    body_ = new QWidget(this);
    screens_ = new QStackedLayout(body_);
    layout->addWidget(bar_);
    layout->addWidget(body_, 1);
    alert_ = new AlertOverlay(this);
    connect(bar_, &NavigationBarWidget::backRequested, this, &AmpwiseWindow::goBack);
    connect(alert_, &AlertOverlay::answered, this, &AmpwiseWindow::answerAlert);

    addScreenViewMaker([this](ViewController& screen, QWidget* parent) -> QWidget* {
        auto* graph = dynamic_cast<LineChartViewController*>(&screen);
        if (graph == nullptr) return nullptr;
        graph->imageExporter = imageExporter_.get();
        auto* view = new GraphScreenWidget(*graph, parent);
        connect(view, &GraphScreenWidget::userActed, this, &AmpwiseWindow::refresh);
        return view;
    });
    addScreenViewMaker([this](ViewController& screen, QWidget* parent) -> QWidget* {
        auto* settings = dynamic_cast<FlipsideViewController*>(&screen);
        if (settings == nullptr) return nullptr;
        auto* view = new GraphSettingsWidget(*settings, parent);
        connect(view, &GraphSettingsWidget::userActed, this, &AmpwiseWindow::refresh);
        return view;
    });

    stack_ = std::make_unique<NavigationStack>(std::move(storyboard));
    stack_->urlOpener = [](std::string_view url) {
        return QDesktopServices::openUrl(QUrl(QString::fromUtf8(url.data(), static_cast<qsizetype>(url.size()))));
    };
    stack_->onAlert = [this](const AlertView&) { showNextAlert(); };
    stack_->onStackChange = [this] { showTopScreen(); };
    stack_->setRootViewController(AmpwiseStoryboard::instantiateInitialViewController());

    namesFileCheck_.setInterval(kNamesFileCheckMilliseconds);
    connect(&namesFileCheck_, &QTimer::timeout, this, [this] {
        auto* list = dynamic_cast<AppListViewController*>(stack_->topViewController());
        if (list == nullptr) {
            namesFileCheck_.stop();
        } else if (list->refreshIfNamesFileChanged()) {
            refresh();
        }
    });
}

AmpwiseWindow::~AmpwiseWindow() {
    if (table_ != nullptr) table_->detach();
    detachView();
    // The screens go with the stack: their widgets go first.
    while (screens_->count() > 0) {
        QWidget* shown = screens_->widget(0);
        screens_->removeWidget(shown);
        delete shown;
    }
    table_ = nullptr;
    stack_->onStackChange = nullptr;
    stack_->onAlert = nullptr;
}

bool AmpwiseWindow::isAlertShown() const { return alert_->isVisible(); }

GraphScreenWidget* AmpwiseWindow::graphScreen() const { return qobject_cast<GraphScreenWidget*>(view_); }

GraphSettingsWidget* AmpwiseWindow::graphSettings() const { return qobject_cast<GraphSettingsWidget*>(view_); }

void AmpwiseWindow::setChartImageExporter(std::unique_ptr<ChartImageExporter> exporter) {
    imageExporter_ = std::move(exporter);
    if (auto* graph = dynamic_cast<LineChartViewController*>(stack_->topViewController()))
        graph->imageExporter = imageExporter_.get();
}

void AmpwiseWindow::detachView() {
    if (GraphScreenWidget* graph = graphScreen()) graph->detach();
    if (GraphSettingsWidget* settings = graphSettings()) settings->detach();
    view_ = nullptr;
}

void AmpwiseWindow::finishLoading() {
    PlotDBLoader& loader = PlotDBLoader::sharedInstance();
    for (int round = 0; round < kLoadingRounds; ++round) {
        loader.waitLoading();
        MainRunLoop::main().runDueWork();
        if (!loader.isLoading() && !MainRunLoop::main().hasPostedWork()) break;
    }
    refresh();
    showNextAlert();
}

void AmpwiseWindow::showTopScreen() {
    // The screen that was shown may be the one whose handler runs now.
    if (table_ != nullptr) {
        table_->detach();
        screens_->removeWidget(table_);
        table_->deleteLater();
        table_ = nullptr;
    }
    detachView();
    while (screens_->count() > 0) {
        QWidget* old = screens_->widget(0);
        screens_->removeWidget(old);
        old->deleteLater();
    }
    ViewController* top = stack_->topViewController();
    if (auto* table = dynamic_cast<TableViewController*>(top)) {
        table_ = new TableScreenWidget(*table, body_);
        connect(table_, &TableScreenWidget::userActed, this, &AmpwiseWindow::refresh);
        screens_->addWidget(table_);
        screens_->setCurrentWidget(table_);
        if (!isAlertShown()) table_->setFocus();
        if (dynamic_cast<AppListViewController*>(table) != nullptr) namesFileCheck_.start();
    } else {
        QWidget* view = nullptr;
        for (const ScreenViewMaker& make : screenViewMakers_) {
            if (top != nullptr && (view = make(*top, body_)) != nullptr) break;
        }
        view_ = view;
        screens_->addWidget(view != nullptr ? view : new QLabel(body_));
        if (view != nullptr) view->setFocus();
    }
    refresh();
}

void AmpwiseWindow::refresh() {
    ViewController* top = stack_->topViewController();
    bar_->showScreen(top != nullptr ? QString::fromStdString(top->title) : QString(), stack_->depth() > 1);
    if (table_ != nullptr) table_->refresh();
    // The graph screen hides the bar while it is on top.
    auto* graph = dynamic_cast<LineChartViewController*>(top);
    bar_->setVisible(graph == nullptr || !graph->navigationBarHidden);
    if (GraphScreenWidget* shown = graphScreen()) shown->refresh();
    if (GraphSettingsWidget* shown = graphSettings()) shown->refresh();
    // Screens make timers as they appear and as the user acts.
    runLoop_.arm();
}

void AmpwiseWindow::showNextAlert() {
    if (isAlertShown() || stack_->pendingAlerts().empty()) return;
    bar_->setEnabled(false);
    body_->setEnabled(false);
    alert_->present(stack_->pendingAlerts().back());
}

void AmpwiseWindow::answerAlert(int buttonIndex) {
    bar_->setEnabled(true);
    body_->setEnabled(true);
    stack_->answerAlert(buttonIndex);
    refresh();
    showNextAlert();
    if (!isAlertShown() && table_ != nullptr && !table_->isAncestorOf(focusWidget())) table_->setFocus();
}

void AmpwiseWindow::goBack() {
    if (isAlertShown()) return;
    stack_->popViewControllerAnimated(true);
}

void AmpwiseWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && !isAlertShown()) {
        goBack();
        return;
    }
    QWidget::keyPressEvent(event);
}

QImage AmpwiseWindow::screenshot() {
    QImage window = grab().toImage();
    std::vector<std::pair<QWidget*, QImage>> dialogs;
    QRect picture(QPoint(0, 0), window.size());
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget == this || !widget->isVisible() || !widget->isWindow() || widget->parentWidget() != this) continue;
        QImage shown = widget->grab().toImage();
        picture |=
            QRect(QPoint((window.width() - shown.width()) / 2, (window.height() - shown.height()) / 2), shown.size());
        dialogs.emplace_back(widget, std::move(shown));
    }
    if (dialogs.empty()) return window;
    QImage composed(picture.size(), QImage::Format_ARGB32_Premultiplied);
    composed.fill(QColor(64, 64, 64));
    QPainter painter(&composed);
    painter.translate(-picture.topLeft());
    painter.drawImage(0, 0, window);
    // Dimmed behind the dialog, as a window waiting for its answer.
    painter.fillRect(QRect(QPoint(0, 0), window.size()), QColor(0, 0, 0, 80));
    for (const auto& [widget, shown] : dialogs)
        painter.drawImage((window.width() - shown.width()) / 2, (window.height() - shown.height()) / 2, shown);
    return composed;
}

bool AmpwiseWindow::walk(const QString& path, QString* failedStep) {
    for (const QString& step : path.split('/', Qt::SkipEmptyParts)) {
        bool done = false;
        if (isAlertShown()) {
            for (QPushButton* button : alert_->buttons()) {
                if (button->text().compare(step, Qt::CaseInsensitive) == 0) {
                    button->click();
                    done = true;
                    break;
                }
            }
        } else if (GraphScreenWidget* graph = graphScreen(); graph != nullptr) {
            // On the graph screen: "settings", "panel" (opens the action
            // panel), "zoom" (one step in), or a button of that panel.
            auto& screen = dynamic_cast<LineChartViewController&>(*stack_->topViewController());
            if (step.compare("zoom", Qt::CaseInsensitive) == 0) {
                screen.scrollViewDidEndZooming(GraphScreenWidget::kZoomInStep);
                done = true;
            } else if (step.compare("settings", Qt::CaseInsensitive) == 0) {
                screen.LongTap2();
                done = true;
            } else if (step.compare("panel", Qt::CaseInsensitive) == 0) {
                screen.Tap1();
                done = true;
            } else {
                screen.Tap1();
                done = screen.tapPanelButton(step.toStdString());
                if (!done) screen.cancelTapped();
            }
            refresh();
        } else if (table_ != nullptr && step == "pull") {
            table_->pullTo(kPullStepDistance);
            done = true;
        } else if (table_ != nullptr) {
            if (TableRowWidget* row = table_->findRow(step)) {
                row->setFocus();
                emit row->tapped(row->indexPath());
                done = true;
            }
        }
        if (graphScreen() != nullptr) finishLoading();
        if (!done) {
            if (failedStep != nullptr) *failedStep = step;
            return false;
        }
    }
    return true;
}

}  // namespace corvane::app
