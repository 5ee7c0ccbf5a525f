#include "view/QtKeyTranslator.h"

#include <QKeyEvent>

#include <algorithm>
#include <iterator>
#include <span>

namespace tamsivane {
namespace {

struct QtKey {
    int qtKey;
    uint8_t virtualKey;
    bool extended; // for the key outside the keypad
};

// Keys outside the keypad.  Shifted symbols map to the U.S. key that types
// them; the editing and cursor keys are the dedicated (extended) ones.
// clang-format off
constexpr QtKey kMainKeys[] = {
    {Qt::Key_Backspace, 0x08, false}, {Qt::Key_Tab, 0x09, false}, {Qt::Key_Backtab, 0x09, false},
    {Qt::Key_Clear, 0x0C, false},     {Qt::Key_Return, 0x0D, false}, {Qt::Key_Enter, 0x0D, false},
    {Qt::Key_Shift, 0x10, false},     {Qt::Key_Control, 0x11, false}, {Qt::Key_Alt, 0x12, false},
    {Qt::Key_AltGr, 0x12, true},      {Qt::Key_Pause, 0x13, false}, {Qt::Key_CapsLock, 0x14, false},
    {Qt::Key_Escape, 0x1B, false},    {Qt::Key_Space, 0x20, false},
    {Qt::Key_PageUp, 0x21, true},     {Qt::Key_PageDown, 0x22, true}, {Qt::Key_End, 0x23, true},
    {Qt::Key_Home, 0x24, true},       {Qt::Key_Left, 0x25, true},   {Qt::Key_Up, 0x26, true},
    {Qt::Key_Right, 0x27, true},      {Qt::Key_Down, 0x28, true},   {Qt::Key_Print, 0x2C, true},
    {Qt::Key_SysReq, 0x2C, true},     {Qt::Key_Insert, 0x2D, true}, {Qt::Key_Delete, 0x2E, true},
    {Qt::Key_ParenRight, 0x30, false}, {Qt::Key_Exclam, 0x31, false}, {Qt::Key_At, 0x32, false},
    {Qt::Key_NumberSign, 0x33, false}, {Qt::Key_Dollar, 0x34, false}, {Qt::Key_Percent, 0x35, false},
    {Qt::Key_AsciiCircum, 0x36, false}, {Qt::Key_Ampersand, 0x37, false},
    {Qt::Key_Asterisk, 0x38, false},  {Qt::Key_ParenLeft, 0x39, false},
    {Qt::Key_Menu, 0x5D, true},       {Qt::Key_NumLock, 0x90, true}, {Qt::Key_ScrollLock, 0x91, false},
    {Qt::Key_Semicolon, 0xBA, false}, {Qt::Key_Colon, 0xBA, false},
    {Qt::Key_Equal, 0xBB, false},     {Qt::Key_Plus, 0xBB, false},
    {Qt::Key_Comma, 0xBC, false},     {Qt::Key_Less, 0xBC, false},
    {Qt::Key_Minus, 0xBD, false},     {Qt::Key_Underscore, 0xBD, false},
    {Qt::Key_Period, 0xBE, false},    {Qt::Key_Greater, 0xBE, false},
    {Qt::Key_Slash, 0xBF, false},     {Qt::Key_Question, 0xBF, false},
    {Qt::Key_QuoteLeft, 0xC0, false}, {Qt::Key_AsciiTilde, 0xC0, false},
    {Qt::Key_BracketLeft, 0xDB, false}, {Qt::Key_BraceLeft, 0xDB, false},
    {Qt::Key_Backslash, 0xDC, false}, {Qt::Key_Bar, 0xDC, false},
    {Qt::Key_BracketRight, 0xDD, false}, {Qt::Key_BraceRight, 0xDD, false},
    {Qt::Key_Apostrophe, 0xDE, false}, {Qt::Key_QuoteDbl, 0xDE, false},
};

// Keys with the keypad flag: digits and the decimal point while Num Lock is
// on, the editing keys while it is off, the operators and Enter always.
constexpr QtKey kKeypadKeys[] = {
    {Qt::Key_Insert, 0x2D, false}, {Qt::Key_End, 0x23, false},   {Qt::Key_Down, 0x28, false},
    {Qt::Key_PageDown, 0x22, false}, {Qt::Key_Left, 0x25, false}, {Qt::Key_Clear, 0x0C, false},
    {Qt::Key_Right, 0x27, false},  {Qt::Key_Home, 0x24, false},  {Qt::Key_Up, 0x26, false},
    {Qt::Key_PageUp, 0x21, false}, {Qt::Key_Delete, 0x2E, false}, {Qt::Key_Enter, 0x0D, true},
    {Qt::Key_Return, 0x0D, true},
    {Qt::Key_0, 0x60, false}, {Qt::Key_1, 0x61, false}, {Qt::Key_2, 0x62, false},
    {Qt::Key_3, 0x63, false}, {Qt::Key_4, 0x64, false}, {Qt::Key_5, 0x65, false},
    {Qt::Key_6, 0x66, false}, {Qt::Key_7, 0x67, false}, {Qt::Key_8, 0x68, false},
    {Qt::Key_9, 0x69, false}, {Qt::Key_Asterisk, 0x6A, false}, {Qt::Key_Plus, 0x6B, false},
    {Qt::Key_Minus, 0x6D, false}, {Qt::Key_Period, 0x6E, false}, {Qt::Key_Comma, 0x6E, false},
    {Qt::Key_Slash, 0x6F, true}, {Qt::Key_NumLock, 0x90, true},
};
// clang-format on

// Scan codes (X keycodes) of the right-hand modifier keys.
constexpr quint32 kRightShiftScanCode = 62;
constexpr quint32 kRightCtrlScanCode = 105;
constexpr quint32 kRightAltScanCode = 108;

const QtKey* Find(std::span<const QtKey> table, int qtKey) {
    const auto found = std::ranges::find(table, qtKey, &QtKey::qtKey);
    return found != table.end() ? &*found : nullptr;
}

bool IsRightModifier(int qtKey, quint32 scanCode) {
    switch (qtKey) {
    case Qt::Key_Shift:
        return scanCode == kRightShiftScanCode;
    case Qt::Key_Control:
        return scanCode == kRightCtrlScanCode;
    case Qt::Key_Alt:
        return scanCode == kRightAltScanCode;
    default:
        return false;
    }
}

} // namespace

PcKeyPress QtKeyTranslator::Translate(const QKeyEvent& event) {
    const int qtKey = event.key();
    const bool keypad = event.modifiers().testFlag(Qt::KeypadModifier);
    PcKeyPress press;
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) {
        press.virtualKey = 0x41 + (qtKey - Qt::Key_A);
    } else if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9 && !keypad) {
        press.virtualKey = 0x30 + (qtKey - Qt::Key_0);
    } else if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) {
        press.virtualKey = 0x70 + (qtKey - Qt::Key_F1);
    } else {
        const QtKey* found = keypad ? Find(kKeypadKeys, qtKey) : nullptr;
        if (!found) found = Find(kMainKeys, qtKey);
        if (found) {
            press.virtualKey = found->virtualKey;
            press.extended = found->extended || IsRightModifier(qtKey, event.nativeScanCode());
        }
    }
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    press.alt = modifiers.testFlag(Qt::AltModifier);
    press.ctrl = modifiers.testFlag(Qt::ControlModifier);
    press.shift = modifiers.testFlag(Qt::ShiftModifier);
    FollowLocks(event, press.virtualKey, keypad);
    press.capsLock = capsLock_;
    press.numLockOn = numLock_;
    return press;
}

void QtKeyTranslator::FollowLocks(const QKeyEvent& event, int virtualKey, bool keypad) {
    const bool shift = event.modifiers().testFlag(Qt::ShiftModifier);
    if (virtualKey == 0x14) {
        capsLock_ = !capsLock_;
    } else if (virtualKey >= 0x41 && virtualKey <= 0x5A && event.text().size() == 1) {
        // A letter typed in upper case without Shift, or in lower case with
        // it, says that Caps Lock is on.
        const QChar letter = event.text().front();
        if (letter.isLetter() && !event.modifiers().testFlag(Qt::ControlModifier)) {
            capsLock_ = letter.isUpper() != shift;
        }
    }
    if (virtualKey == 0x90) {
        if (numLock_) numLock_ = !*numLock_;
    } else if (keypad && !shift && virtualKey != 0 && virtualKey != 0x0D &&
               (virtualKey < 0x6A || virtualKey == 0x6E)) {
        // Digits and the decimal point come while Num Lock is on, the
        // editing keys while it is off.
        numLock_ = virtualKey >= 0x60;
    }
}

} // namespace tamsivane
