#include "view/ViewKeyboard.h"

#include <QInputMethodEvent>
#include <QKeyEvent>

#include <string>

#include "session/CVT420Doc.h"

namespace tamsivane {
namespace {

std::u32string Ucs4(const QString& text) {
    const QList<uint> codes = text.toUcs4();
    return std::u32string(codes.begin(), codes.end());
}

} // namespace

ViewKeyboard::ViewKeyboard(CVT420Doc& session, KeyActions& actions)
    : session_(session), actions_(actions) {}

bool ViewKeyboard::Event(QEvent* event) {
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        event->accept();
        return true;
    case QEvent::KeyPress:
        KeyPress(static_cast<QKeyEvent*>(event));
        return true;
    default:
        return false;
    }
}

void ViewKeyboard::KeyPress(QKeyEvent* event) {
    event->accept();
    const PcKeyPress press = translator_.Translate(*event);
    const std::u32string text = Ucs4(event->text());
    if (press.virtualKey == 0) {
        // A key the PC layout does not have (a national letter, a composed
        // character after a dead key): its text is typed as it is.
        if (!press.alt) session_.ComposedText(text, actions_);
        return;
    }
    session_.KeyDown(press, actions_);
    for (const char32_t c : text) session_.KeyCharacter(c, actions_);
}

void ViewKeyboard::InputMethod(QInputMethodEvent* event) {
    event->accept();
    if (!event->commitString().isEmpty()) {
        session_.ComposedText(Ucs4(event->commitString()), actions_);
    }
}

} // namespace tamsivane
