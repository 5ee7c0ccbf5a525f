#include "view/QtKeyTranslator.h"

#include <gtest/gtest.h>
#include <QInputDevice>
#include <QKeyEvent>

#include "GuiApplication.h"
#include "keyboard/PcKeys.h"

namespace tamsivane {
namespace {

QKeyEvent Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString& text = {},
              quint32 scanCode = 0) {
    // A keyboard of the test's own: the platform's primary one would be
    // made on first use and never freed.  It lives as long as the test
    // program's application, which is never destroyed either: destroying the
    // device at exit, while Qt is being torn down, crashes.
    testing::EnsureApplication();
    static QInputDevice* const keyboard = new QInputDevice(
        QStringLiteral("test keyboard"), 1, QInputDevice::DeviceType::Keyboard);
    return QKeyEvent(QEvent::KeyPress, key, modifiers, scanCode, 0, 0, text, false, 1, keyboard);
}

// The PC key code and modifier state the session sees for an event.
std::pair<int, int> Seen(QtKeyTranslator& translator, const QKeyEvent& event) {
    const PcKeyPress press = translator.Translate(event);
    const uint8_t key = NormalizeKey(press.virtualKey, press.extended);
    return {key, ModifierState(key, press.alt, press.ctrl, press.shift, press.capsLock)};
}

TEST(QtKeyTranslator, KeysBecomePcKeyCodes) {
    QtKeyTranslator t;
    using P = std::pair<int, int>;
    EXPECT_EQ(Seen(t, Key(Qt::Key_Up)), P(0x26, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_Up, Qt::KeypadModifier)), P(0x68, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_8, Qt::KeypadModifier, "8")), P(0x68, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_8, Qt::NoModifier, "8")), P(0x38, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_Clear, Qt::KeypadModifier)), P(0x65, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_Delete, Qt::KeypadModifier)), P(0x6E, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_Period, Qt::KeypadModifier, ".")), P(0x6E, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_Delete)), P(0x2E, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_Enter, Qt::KeypadModifier, "\r")), P(0x2B, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_Return, Qt::NoModifier, "\r")), P(0x0D, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_Plus, Qt::KeypadModifier, "+")), P(0x6B, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_Slash, Qt::KeypadModifier, "/")), P(0x6F, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_NumLock)), P(0x90, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_F12)), P(0x7B, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_PageDown, Qt::ControlModifier)), P(0x22, 2));
    // Shifted symbols are the U.S. keys that type them.
    EXPECT_EQ(Seen(t, Key(Qt::Key_Exclam, Qt::ShiftModifier, "!")), P(0x31, 4));
    EXPECT_EQ(Seen(t, Key(Qt::Key_ParenRight, Qt::ShiftModifier, ")")), P(0x30, 4));
    EXPECT_EQ(Seen(t, Key(Qt::Key_Question, Qt::ShiftModifier, "?")), P(0xBF, 4));
    EXPECT_EQ(Seen(t, Key(Qt::Key_BraceLeft, Qt::ShiftModifier, "{")), P(0xDB, 4));
    EXPECT_EQ(Seen(t, Key(Qt::Key_AsciiTilde, Qt::ShiftModifier, "~")), P(0xC0, 4));
    EXPECT_EQ(Seen(t, Key(Qt::Key_Backtab, Qt::ShiftModifier)), P(0x09, 4));
    // Right-hand modifiers by scan code; AltGr is the right Alt.
    EXPECT_EQ(Seen(t, Key(Qt::Key_Control, Qt::ControlModifier, {}, 105)), P(0xA3, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_Control, Qt::ControlModifier, {}, 37)), P(0x11, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_Shift, Qt::ShiftModifier, {}, 62)), P(0xA1, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_Alt, Qt::AltModifier, {}, 108)), P(0xA5, 0));
    EXPECT_EQ(Seen(t, Key(Qt::Key_AltGr)), P(0xA5, 0));
    // Keys without a PC code.
    EXPECT_EQ(t.Translate(Key(Qt::Key_Udiaeresis, Qt::NoModifier, "\u00fc")).virtualKey, 0);
    EXPECT_EQ(t.Translate(Key(Qt::Key_Dead_Acute)).virtualKey, 0);
}

TEST(QtKeyTranslator, CapsLockIsReadFromLetters) {
    QtKeyTranslator t;
    EXPECT_FALSE(t.Translate(Key(Qt::Key_A, Qt::NoModifier, "a")).capsLock);
    EXPECT_TRUE(t.Translate(Key(Qt::Key_A, Qt::NoModifier, "A")).capsLock);
    // A digit says nothing: the state stays.
    EXPECT_TRUE(t.Translate(Key(Qt::Key_1, Qt::NoModifier, "1")).capsLock);
    EXPECT_TRUE(t.Translate(Key(Qt::Key_A, Qt::ShiftModifier, "a")).capsLock);
    EXPECT_FALSE(t.Translate(Key(Qt::Key_A, Qt::ShiftModifier, "A")).capsLock);
    // Control characters carry no case.
    EXPECT_FALSE(t.Translate(Key(Qt::Key_A, Qt::ControlModifier, "\x01")).capsLock);
    EXPECT_TRUE(t.Translate(Key(Qt::Key_CapsLock)).capsLock);
    EXPECT_TRUE(t.CapsLockOn());
}

TEST(QtKeyTranslator, NumLockIsReadFromTheKeypadAndFollowed) {
    QtKeyTranslator t;
    EXPECT_FALSE(t.Translate(Key(Qt::Key_NumLock)).numLockOn.has_value());
    EXPECT_EQ(t.Translate(Key(Qt::Key_7, Qt::KeypadModifier, "7")).numLockOn, true);
    EXPECT_EQ(t.Translate(Key(Qt::Key_NumLock)).numLockOn, false);
    EXPECT_EQ(t.Translate(Key(Qt::Key_Plus, Qt::KeypadModifier, "+")).numLockOn, false);
    EXPECT_EQ(t.Translate(Key(Qt::Key_NumLock)).numLockOn, true);
    EXPECT_EQ(t.Translate(Key(Qt::Key_Home, Qt::KeypadModifier)).numLockOn, false);
    // Shift inverts what the keypad sends, so it tells nothing.
    EXPECT_EQ(t.Translate(Key(Qt::Key_7, Qt::KeypadModifier | Qt::ShiftModifier, "7")).numLockOn,
              false);
}

} // namespace
} // namespace tamsivane
