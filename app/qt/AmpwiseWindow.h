#pragma once
// The app's single window: the navigation bar, the screen on top of the
// navigation stack, and the alerts the screens raise. It draws the screens
// of the toolkit-free layer and forwards what the user does to them; it
// holds no settings logic of its own.

#include <QStackedLayout>
#include <QWidget>
#include <functional>
#include <memory>
#include <string_view>

#include "app/screens/NavigationStack.h"

namespace corvane::app {

class AlertOverlay;
class NavigationBarWidget;
class TableScreenWidget;

class AmpwiseWindow : public QWidget {
    Q_OBJECT

public:
    // The phone-like size the window opens with.
    static constexpr int kDefaultWidth = 360;
    static constexpr int kDefaultHeight = 640;

    explicit AmpwiseWindow(QWidget* parent = nullptr);
    ~AmpwiseWindow() override;

    NavigationStack& navigationStack() { return *stack_; }
    NavigationBarWidget& navigationBar() { return *bar_; }
    AlertOverlay& alertOverlay() { return *alert_; }
    // The table screen shown, none when the top screen is not a table.
    TableScreenWidget* tableScreen() const { return table_; }
    bool isAlertShown() const;

    // Walks from the current screen through slash-separated steps: a row
    // (by identifier or text), an alert button (by title) while an alert
    // shows, or "pull" to hold a battery table pulled down. NO with the
    // failed step when a step finds nothing.
    bool walk(const QString& path, QString* failedStep = nullptr);
    // Goes back one screen (the back button, or Escape).
    void goBack();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void showTopScreen();
    void showNextAlert();
    void answerAlert(int buttonIndex);
    void refresh();

    std::unique_ptr<NavigationStack> stack_;
    NavigationBarWidget* bar_ = nullptr;
    QWidget* body_ = nullptr;
    QStackedLayout* screens_ = nullptr;
    TableScreenWidget* table_ = nullptr;
    AlertOverlay* alert_ = nullptr;
};

}  // namespace corvane::app
