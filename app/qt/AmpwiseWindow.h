#pragma once
// The app's single window: the navigation bar, the screen on top of the
// navigation stack, and the alerts the screens raise. It draws the screens
// of the toolkit-free layer and forwards what the user does to them; it
// holds no settings logic of its own.

#include <QImage>
#include <QStackedLayout>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include "app/qt/MainRunLoopDriver.h"
#include "app/screens/ChartImageExporter.h"
#include "app/screens/NavigationStack.h"

namespace corvane::app {

class AlertOverlay;
class GraphScreenWidget;
class GraphSettingsWidget;
class NavigationBarWidget;
class TableScreenWidget;

class AmpwiseWindow : public QWidget {
    Q_OBJECT

public:
    // The phone-like size the window opens with.
    static constexpr int kDefaultWidth = 360;
    static constexpr int kDefaultHeight = 640;

    // Draws a screen that is not a table (a chart, for example): a widget
    // for the screen, or none when the maker does not know that screen.
    using ScreenViewMaker = std::function<QWidget*(ViewController& screen, QWidget* parent)>;

    // The app's screens, or another layout of them.
    explicit AmpwiseWindow(QWidget* parent = nullptr);
    explicit AmpwiseWindow(Storyboard storyboard, QWidget* parent = nullptr);
    ~AmpwiseWindow() override;

    // Screens other than tables are drawn by the first maker that knows them.
    void addScreenViewMaker(ScreenViewMaker maker) { screenViewMakers_.push_back(std::move(maker)); }

    NavigationStack& navigationStack() { return *stack_; }
    NavigationBarWidget& navigationBar() { return *bar_; }
    AlertOverlay& alertOverlay() { return *alert_; }
    // The table screen shown, none when the top screen is not a table.
    TableScreenWidget* tableScreen() const { return table_; }
    // The graph screen shown, none when the top screen is another.
    GraphScreenWidget* graphScreen() const;
    GraphSettingsWidget* graphSettings() const;
    bool isAlertShown() const;

    // Writes the graph screen's "Save image" files (a save dialog by
    // default). Set before the graph screen opens; the window keeps it.
    void setChartImageExporter(std::unique_ptr<ChartImageExporter> exporter);

    // Lets running statistics loads end and their results reach the screen
    // (a picture or a test wants the finished graph, not the progress).
    void finishLoading();

    // Walks from the current screen through slash-separated steps: a row
    // (by identifier or text), an alert button (by title) while an alert
    // shows, or "pull" to hold a battery table pulled down. NO with the
    // failed step when a step finds nothing.
    bool walk(const QString& path, QString* failedStep = nullptr);
    // Goes back one screen (the back button, or Escape).
    void goBack();
    // The window as it looks, with any dialog it opened (a file dialog, for
    // example) shown centred over it as a desktop would place it; the
    // picture grows to hold a dialog larger than the window.
    QImage screenshot();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showTopScreen();
    void detachView();
    void showNextAlert();
    void answerAlert(int buttonIndex);
    void refresh();

    // Both outlive the screens of the stack, which use them.
    MainRunLoopDriver runLoop_;
    std::unique_ptr<ChartImageExporter> imageExporter_;
    std::unique_ptr<NavigationStack> stack_;
    NavigationBarWidget* bar_ = nullptr;
    QWidget* body_ = nullptr;
    QStackedLayout* screens_ = nullptr;
    TableScreenWidget* table_ = nullptr;
    // The screen drawn by a maker (graph screens, for example).
    QWidget* view_ = nullptr;
    AlertOverlay* alert_ = nullptr;
    std::vector<ScreenViewMaker> screenViewMakers_;
    // While an application list is shown, looks for the names file the
    // engine writes on the list's request and redraws when it lands.
    QTimer namesFileCheck_;
};

}  // namespace corvane::app
