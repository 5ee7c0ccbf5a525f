#include "app/ChatLine.h"

#include <QHBoxLayout>

namespace tamsivane {

ChatLine::ChatLine(QWidget* parent)
    : QWidget(parent), send_(new QPushButton("Send", this)), field_(new QLineEdit(this)) {
    auto* layout = new QHBoxLayout(this);
    // The field stretches with the bar and ends 8 pixels before its right edge.
    layout->setContentsMargins(4, 4, 8, 4);
    layout->setSpacing(4);
    layout->addWidget(send_);
    layout->addWidget(field_, 1);
    send_->setAutoDefault(false);
    send_->setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(field_, &QLineEdit::returnPressed, this, [this] { Submit(true); });
    connect(send_, &QPushButton::clicked, this, [this] {
        Submit(false);
        field_->setFocus(Qt::OtherFocusReason);
    });
}

void ChatLine::SendOrFocus() {
    if (field_->hasFocus()) {
        Submit(true);
    } else {
        field_->setFocus(Qt::OtherFocusReason);
    }
}

void ChatLine::Submit(bool lineEnd) {
    if (sender_ && sender_(field_->text(), lineEnd)) field_->clear();
}

} // namespace tamsivane
