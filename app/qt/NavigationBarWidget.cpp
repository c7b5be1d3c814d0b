#include "app/qt/NavigationBarWidget.h"

#include <QGridLayout>

namespace corvane::app {

namespace {
// The bar keeps the app's own look whatever the desktop's palette.
const QColor kBarColor(59, 89, 128);
}  // namespace

NavigationBarWidget::NavigationBarWidget(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true);
    QPalette bar = palette();
    bar.setColor(QPalette::Window, kBarColor);
    bar.setColor(QPalette::WindowText, Qt::white);
    bar.setColor(QPalette::ButtonText, Qt::white);
    bar.setColor(QPalette::Button, kBarColor.lighter(125));
    setPalette(bar);
    setFixedHeight(46);

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(6, 4, 6, 4);
    back_ = new QPushButton(tr("Back"), this);
    back_->setAccessibleName(tr("Back"));
    back_->setFocusPolicy(Qt::TabFocus);
    back_->setCursor(Qt::PointingHandCursor);
    title_ = new QLabel(this);
    QFont bold = title_->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    title_->setFont(bold);
    title_->setAlignment(Qt::AlignCenter);
    // The title is centred over the whole bar; the button sits on its left.
    layout->addWidget(title_, 0, 0, 1, 3);
    layout->addWidget(back_, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    layout->setColumnStretch(1, 1);
    connect(back_, &QPushButton::clicked, this, &NavigationBarWidget::backRequested);
}

void NavigationBarWidget::showScreen(const QString& title, bool canGoBack) {
    const QString elided = title_->fontMetrics().elidedText(title, Qt::ElideRight, std::max(80, width() - 2 * 90));
    title_->setText(elided);
    title_->setAccessibleName(title);
    back_->setVisible(canGoBack);
}

}  // namespace corvane::app
