// Shows a keyboard picture at its own size and reports the key the left
// mouse button goes down on.
#pragma once

#include <QWidget>

#include "view/KeyPicture.h"

namespace tamsivane {

class KeyPictureWidget : public QWidget {
    Q_OBJECT
public:
    explicit KeyPictureWidget(KeyPicture picture, QWidget* parent = nullptr);

    KeyPicture& Picture() { return picture_; }
    const KeyPicture& Picture() const { return picture_; }
    void SetPicture(KeyPicture picture);
    // Colours a key and repaints it.
    void ColourKey(uint8_t key, const QColor& colour);

    QSize sizeHint() const override { return picture_.Image().size(); }

signals:
    // The left button went down on a key.
    void keyClicked(int key);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    KeyPicture picture_;
};

} // namespace tamsivane
