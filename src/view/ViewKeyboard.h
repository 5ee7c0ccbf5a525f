// The terminal view's keyboard: every key reaches the session, none is taken
// by a shortcut or the focus chain; keys go through the session's key map,
// characters the map leaves alone and input-method text are typed in the
// host's character set.  The view forwards its events here.
#pragma once

#include "view/QtKeyTranslator.h"

class QEvent;
class QInputMethodEvent;
class QKeyEvent;

namespace tamsivane {

class CVT420Doc;
class KeyActions;

class ViewKeyboard {
public:
    // actions: what the view does for commands, scripts, the margin bell and
    // keypad mode changes.  Both outlive this object.
    ViewKeyboard(CVT420Doc& session, KeyActions& actions);

    // From the view's event(): claims every shortcut override (Tab, F10, Alt
    // and Ctrl keys stay the terminal's) and handles key presses, so the
    // focus chain never sees Tab.  True when the event was taken.
    bool Event(QEvent* event);
    void KeyPress(QKeyEvent* event);
    // Committed input-method text (dead keys, compositions) is typed.
    void InputMethod(QInputMethodEvent* event);

    const QtKeyTranslator& Translator() const { return translator_; }

private:
    CVT420Doc& session_;
    KeyActions& actions_;
    QtKeyTranslator translator_;
};

} // namespace tamsivane
