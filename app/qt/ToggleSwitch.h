#pragma once
// An on/off switch drawn as a rounded track with a knob, the way a phone
// shows one. Space or a click flips it.

#include <QAbstractButton>

namespace corvane::app {

class ToggleSwitch : public QAbstractButton {
    Q_OBJECT

public:
    explicit ToggleSwitch(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace corvane::app
