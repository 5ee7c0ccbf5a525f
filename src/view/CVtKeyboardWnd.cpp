#include "view/CVtKeyboardWnd.h"

#include <QMouseEvent>
#include <QPainter>

#include "keyboard/KeyMap.h"
#include "view/CVT420View.h"

namespace tamsivane {
namespace {

constexpr int kCtrl = 73;
constexpr int kLeftShift = 74;
constexpr int kCapsLock = 75;
constexpr int kRightShift = 76;

QColor LatchColour(bool latched) { return latched ? KeyColour::Latched : KeyColour::Face; }

} // namespace

CVtKeyboardWnd::CVtKeyboardWnd(QWidget* owner, std::function<CVT420View*()> activeView)
    : QWidget(owner, Qt::Tool | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowCloseButtonHint),
      activeView_(std::move(activeView)), picture_(KeyPicture::Vt()) {
    setWindowTitle(tr("VT Keyboard"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Clicks must not take the focus from the session they type into.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(kClientWidth, kClientHeight);
    PaintLatches();
}

void CVtKeyboardWnd::PaintLatches() {
    picture_.ColourKey(kCapsLock, LatchColour(latches_.capsLock));
    picture_.ColourKey(kLeftShift, LatchColour(latches_.leftShift));
    picture_.ColourKey(kRightShift, LatchColour(latches_.rightShift));
    picture_.ColourKey(kCtrl, LatchColour(latches_.ctrl));
    update();
}

void CVtKeyboardWnd::Colour(int key, const QColor& colour) {
    picture_.ColourKey(static_cast<uint8_t>(key), colour);
    update();
}

void CVtKeyboardWnd::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    painter.drawImage(0, 0, picture_.Image());
}

void CVtKeyboardWnd::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const int key = picture_.KeyAt(event->position().toPoint());
    if (key == 0) return;
    // The widget keeps the mouse while the button is down (implicit grab).
    pressed_ = key;
    Colour(key, KeyColour::Pressed);
}

void CVtKeyboardWnd::mouseMoveEvent(QMouseEvent* event) {
    if (pressed_ == 0 || !(event->buttons() & Qt::LeftButton)) return;
    const bool over = picture_.KeyAt(event->position().toPoint()) == pressed_;
    Colour(pressed_, over ? KeyColour::Pressed : KeyColour::Face);
}

void CVtKeyboardWnd::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || pressed_ == 0) return;
    const int key = pressed_;
    pressed_ = 0;
    switch (key) {
    case kCtrl:
        latches_.ctrl = !latches_.ctrl;
        break;
    case kCapsLock:
        latches_.capsLock = !latches_.capsLock;
        break;
    case kLeftShift:
        latches_.leftShift = !latches_.leftShift;
        latches_.rightShift = false;
        break;
    case kRightShift:
        latches_.rightShift = !latches_.rightShift;
        latches_.leftShift = false;
        break;
    default:
        Colour(key, KeyColour::Face);
        Send(key);
        return;
    }
    PaintLatches();
}

void CVtKeyboardWnd::Send(int key) {
    uint8_t modifiers = 0;
    if (latches_.ctrl) modifiers |= Modifier::Ctrl;
    if (latches_.leftShift || latches_.rightShift) modifiers |= Modifier::Shift;
    if (latches_.capsLock) modifiers |= Modifier::CapsLock;
    latches_.ctrl = latches_.leftShift = latches_.rightShift = false;
    PaintLatches();
    CVT420View* view = activeView_();
    if (view == nullptr) return;
    view->PressVtKey(key, modifiers);
    view->window()->activateWindow();
    view->setFocus(Qt::OtherFocusReason);
}

} // namespace tamsivane
