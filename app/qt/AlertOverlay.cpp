#include "app/qt/AlertOverlay.h"

#include <QBoxLayout>
#include <QKeyEvent>
#include <QPainter>

namespace corvane::app {

AlertOverlay::AlertOverlay(QWidget* parent) : QWidget(parent) {
    hide();
    parent->installEventFilter(this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(28, 20, 28, 20);
    box_ = new QFrame(this);
    box_->setFrameShape(QFrame::StyledPanel);
    box_->setAutoFillBackground(true);
    box_->setBackgroundRole(QPalette::Base);
    outer->addStretch(1);
    outer->addWidget(box_);
    outer->addStretch(1);

    auto* inner = new QVBoxLayout(box_);
    inner->setContentsMargins(16, 16, 16, 12);
    inner->setSpacing(8);
    title_ = new QLabel(box_);
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);
    title_->setAlignment(Qt::AlignCenter);
    title_->setWordWrap(true);
    message_ = new QLabel(box_);
    message_->setAlignment(Qt::AlignCenter);
    message_->setWordWrap(true);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    inner->addWidget(title_);
    inner->addWidget(message_);
}

void AlertOverlay::present(const AlertView& alert) {
    title_->setText(QString::fromStdString(alert.title));
    message_->setText(QString::fromStdString(alert.message));
    // A long unbroken path still wraps.
    message_->setText(message_->text().replace('/', QString::fromUtf8("/\u200B")));
    // The previous buttons may be the ones whose click is being handled.
    if (buttonRow_ != nullptr) {
        buttonRow_->hide();
        box_->layout()->removeWidget(buttonRow_);
        buttonRow_->deleteLater();
    }
    buttons_.clear();
    hasCancel_ = alert.cancelButtonTitle.has_value();

    const std::vector<std::string> titles = alert.buttonTitles();
    buttonRow_ = new QWidget(box_);
    auto* row = new QBoxLayout(titles.size() > 2 ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight, buttonRow_);
    row->setContentsMargins(0, 6, 0, 0);
    for (std::size_t index = 0; index < titles.size(); ++index) {
        auto* button = new QPushButton(QString::fromStdString(titles[index]), buttonRow_);
        button->setAccessibleName(button->text());
        const int buttonIndex = static_cast<int>(index);
        connect(button, &QPushButton::clicked, this, [this, buttonIndex] { answer(buttonIndex); });
        row->addWidget(button);
        buttons_.push_back(button);
    }
    static_cast<QVBoxLayout*>(box_->layout())->addWidget(buttonRow_);
    setAccessibleName(title_->text());
    setAccessibleDescription(alert.message.empty() ? QString() : QString::fromStdString(alert.message));

    setGeometry(parentWidget()->rect());
    show();
    raise();
    if (!buttons_.empty()) {
        buttons_.back()->setDefault(true);
        buttons_.back()->setFocus();
    }
}

void AlertOverlay::answer(int buttonIndex) {
    hide();
    emit answered(buttonIndex);
}

void AlertOverlay::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 110));
}

void AlertOverlay::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && hasCancel_) return answer(0);
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Up) {
        focusNextPrevChild(false);
        return;
    }
    if (event->key() == Qt::Key_Right || event->key() == Qt::Key_Down) {
        focusNextPrevChild(true);
        return;
    }
    QWidget::keyPressEvent(event);
}

bool AlertOverlay::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

}  // namespace corvane::app
