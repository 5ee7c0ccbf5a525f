// "VT Keyboard": a tool window showing the VT keyboard.  A click on a key
// sends it to the active session as if typed on a VT keyboard; Ctrl, the
// Shift keys and Caps Lock latch (red) and apply to the next key clicked.
// The key under the pressed button is yellow; the key is sent when the
// button comes up, wherever the pointer is then.
#pragma once

#include <QWidget>

#include <functional>

#include "view/KeyPicture.h"

namespace tamsivane {

class CVT420View;

class CVtKeyboardWnd final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 484;
    static constexpr int kClientHeight = 150;

    struct Latches {
        bool capsLock = false;
        bool ctrl = false;
        bool leftShift = false;
        bool rightShift = false;
    };

    // activeView: the active session's view, nullptr when there is none.
    // Deleted when closed.
    CVtKeyboardWnd(QWidget* owner, std::function<CVT420View*()> activeView);

    const Latches& CurrentLatches() const { return latches_; }
    const KeyPicture& Picture() const { return picture_; }
    // The key under the pressed button, 0 for none.
    int PressedKey() const { return pressed_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PaintLatches();
    void Colour(int key, const QColor& colour);
    // The key is sent to the active session with the latched modifiers.
    void Send(int key);

    std::function<CVT420View*()> activeView_;
    KeyPicture picture_;
    Latches latches_;
    int pressed_ = 0;
};

} // namespace tamsivane
