#pragma once
// The graph settings in the window: the six series switches with their
// labels, the range list and "Done". Every change goes to the screen at
// once; the screen's delegate (the graph) saves it and applies it.

#include <QWidget>
#include <vector>

class QListWidget;
class QPushButton;

namespace corvane::app {

class FlipsideViewController;
class ToggleSwitch;

class GraphSettingsWidget : public QWidget {
    Q_OBJECT

public:
    GraphSettingsWidget(FlipsideViewController& screen, QWidget* parent = nullptr);

    void detach();
    // Shows the switches and the picked range as the screen holds them.
    void refresh();

    // Screen order, as FlipsideViewController::switches().
    const std::vector<ToggleSwitch*>& switches() const { return switches_; }
    QListWidget* rangeList() const { return ranges_; }
    QPushButton* doneButton() const { return done_; }

signals:
    void userActed();

private:
    FlipsideViewController* screen_;
    std::vector<ToggleSwitch*> switches_;
    QListWidget* ranges_ = nullptr;
    QPushButton* done_ = nullptr;
    bool showing_ = false;
};

}  // namespace corvane::app
