#include "view/KeyPictureWidget.h"

#include <QMouseEvent>
#include <QPainter>

namespace tamsivane {

KeyPictureWidget::KeyPictureWidget(KeyPicture picture, QWidget* parent)
    : QWidget(parent), picture_(std::move(picture)) {
    setFixedSize(picture_.Image().size());
}

void KeyPictureWidget::SetPicture(KeyPicture picture) {
    picture_ = std::move(picture);
    setFixedSize(picture_.Image().size());
    update();
}

void KeyPictureWidget::ColourKey(uint8_t key, const QColor& colour) {
    picture_.ColourKey(key, colour);
    update();
}

void KeyPictureWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, picture_.Image());
}

void KeyPictureWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const uint8_t key = picture_.KeyAt(event->position().toPoint());
    if (key != 0) emit keyClicked(key);
}

} // namespace tamsivane
