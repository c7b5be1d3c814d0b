#pragma once
// The bar above every screen: the screen's title in bold white on the app's
// own bar colour, and a back button while a screen lies underneath.

#include <QLabel>
#include <QPushButton>
#include <QWidget>

namespace corvane::app {

class NavigationBarWidget : public QWidget {
    Q_OBJECT

public:
    explicit NavigationBarWidget(QWidget* parent = nullptr);
    void showScreen(const QString& title, bool canGoBack);
    QString title() const { return title_->text(); }
    QPushButton* backButton() const { return back_; }

signals:
    void backRequested();

private:
    QLabel* title_;
    QPushButton* back_;
};

}  // namespace corvane::app
