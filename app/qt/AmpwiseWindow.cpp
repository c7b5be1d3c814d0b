#include "app/qt/AmpwiseWindow.h"

#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QUrl>
#include <QVBoxLayout>

#include "app/qt/AlertOverlay.h"
#include "app/qt/NavigationBarWidget.h"
#include "app/qt/TableRowWidget.h"
#include "app/qt/TableScreenWidget.h"
#include "app/screens/AmpwiseStoryboard.h"
#include "app/screens/AppListViewController.h"
#include "app/screens/TableViewController.h"

namespace corvane::app {

namespace {
// How far a "pull" step drags the battery table: past the point that arms
// the refresh.
constexpr double kPullStepDistance = 80.0;
// How often a shown application list looks for a new names file: the engine
// answers the list's request within a moment, and a stat costs nothing.
constexpr int kNamesFileCheckMilliseconds = 500;
}  // namespace

AmpwiseWindow::AmpwiseWindow(QWidget* parent) : AmpwiseWindow(AmpwiseStoryboard::make(), parent) {}

AmpwiseWindow::AmpwiseWindow(Storyboard storyboard, QWidget* parent) : QWidget(parent) {
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
    stack_->onStackChange = nullptr;
    stack_->onAlert = nullptr;
}

bool AmpwiseWindow::isAlertShown() const { return alert_->isVisible(); }

void AmpwiseWindow::showTopScreen() {
    // The screen that was shown may be the one whose handler runs now.
    if (table_ != nullptr) {
        table_->detach();
        screens_->removeWidget(table_);
        table_->deleteLater();
        table_ = nullptr;
    }
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
        screens_->addWidget(view != nullptr ? view : new QLabel(body_));
        if (view != nullptr) view->setFocus();
    }
    refresh();
}

void AmpwiseWindow::refresh() {
    ViewController* top = stack_->topViewController();
    bar_->showScreen(top != nullptr ? QString::fromStdString(top->title) : QString(), stack_->depth() > 1);
    if (table_ != nullptr) table_->refresh();
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
        if (!done) {
            if (failedStep != nullptr) *failedStep = step;
            return false;
        }
    }
    return true;
}

}  // namespace corvane::app
