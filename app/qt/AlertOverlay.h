#pragma once
// An alert drawn inside the window: the window's content is dimmed and
// unreachable while a box shows the title, the message and the buttons.
// Pressing a button (or Escape for the cancel button) hides the box and
// reports the button's index.

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <vector>

#include "app/screens/AlertView.h"

namespace corvane::app {

class AlertOverlay : public QWidget {
    Q_OBJECT

public:
    explicit AlertOverlay(QWidget* parent);
    void present(const AlertView& alert);
    QString title() const { return title_->text(); }
    QString message() const { return message_->text(); }
    const std::vector<QPushButton*>& buttons() const { return buttons_; }

signals:
    void answered(int buttonIndex);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void answer(int buttonIndex);

    QFrame* box_;
    QLabel* title_;
    QLabel* message_;
    QWidget* buttonRow_ = nullptr;
    std::vector<QPushButton*> buttons_;
    bool hasCancel_ = false;
};

}  // namespace corvane::app
