// Qt key events to PC key presses: the Qt key (shifted symbols as the U.S.
// key that types them, keypad keys by the keypad flag, right-hand Ctrl, Alt
// and Shift by their scan codes) and the lock states, which Qt does not
// report: Caps Lock is read from the case of typed letters, Num Lock from
// what the keypad sends and followed through the Num Lock key.
#pragma once

#include <optional>

#include "keyboard/PcKeys.h"

class QKeyEvent;

namespace tamsivane {

class QtKeyTranslator {
public:
    // The press for a key going down; virtualKey 0 for a key without a PC
    // code (its text, if any, is to be typed as it is).
    PcKeyPress Translate(const QKeyEvent& event);

    bool CapsLockOn() const { return capsLock_; }
    std::optional<bool> NumLockOn() const { return numLock_; }

private:
    void FollowLocks(const QKeyEvent& event, int virtualKey, bool keypad);

    bool capsLock_ = false;
    std::optional<bool> numLock_; // unknown until the keypad shows it
};

} // namespace tamsivane
