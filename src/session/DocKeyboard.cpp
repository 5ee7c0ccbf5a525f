// The session's keyboard entry points: keys and typed characters become
// bytes for the host under the session lock; sending and the desktop's
// actions follow after the lock is released.
#include "config/SettingsStore.h"
#include "session/CVT420Doc.h"

namespace tamsivane {

KeyboardModes CVT420Doc::CurrentKeyboardModes() const {
    const SettingsStore& settings = emulator_.Settings();
    KeyboardModes modes;
    for (size_t i = 0; i < modes.functionKeys.size(); ++i) {
        modes.functionKeys[i] = settings.GetArrayNumber(P::FKeys, static_cast<int>(i));
    }
    modes.cursorKeysNormal = settings.GetNumber(P::CursorKeys) != 0;
    modes.numericKeypad = settings.GetNumber(P::NumericKeypad) != 0;
    modes.backArrowDelete = settings.GetNumber(P::BackArrow) != 0;
    modes.newLine = settings.GetNumber(P::NewLine) != 0;
    modes.eightBit = settings.GetNumber(P::EightBitChars) != 0;
    modes.marginBell = settings.GetNumber(P::MarginBell) != 0;
    modes.numLockSwitchesKeypad = settings.GetNumber(P::NumLock) == 1;
    modes.altSendsEscape = settings.GetNumber(P::AltEscape) != 0;
    modes.cursorColumn = emulator_.Cursor().column;
    modes.rightMargin = emulator_.RightMargin();
    return modes;
}

KeyOutcome CVT420Doc::TranslateKey(uint8_t key, uint8_t modifiers, std::optional<bool> numLockOn) {
    std::lock_guard lock(lock_);
    const KeyboardModes modes = CurrentKeyboardModes();
    UserDefinedKeys& userKeys = emulator_.UserKeys();
    const KeyboardInput input(keys_, modes,
                              [&userKeys](int selector) { return userKeys.Lookup(selector); });
    KeyOutcome outcome = input.KeyDown(key, modifiers, numLockOn);
    // A key pressed with Alt types only as an ESC prefix: its character
    // would otherwise be a menu mnemonic.
    pendingCharacter_ = outcome.kind == KeyOutcome::Kind::Unmapped &&
                        (!(modifiers & Modifier::Alt) || outcome.escapePrefix);
    pendingEscape_ = outcome.escapePrefix;
    if (outcome.kind == KeyOutcome::Kind::KeypadMode) {
        emulator_.Settings().SetNumber(P::NumericKeypad, outcome.numericKeypad ? 1 : 0);
        ChangeSet changes;
        changes.keyboardLights = true;
        emulator_.ApplyChangeSet(changes);
    }
    return outcome;
}

void CVT420Doc::KeyDown(const PcKeyPress& press, KeyActions& actions) {
    const uint8_t key = NormalizeKey(press.virtualKey, press.extended);
    const uint8_t modifiers =
        ModifierState(key, press.alt, press.ctrl, press.shift, press.capsLock);
    DeliverKey(TranslateKey(key, modifiers, press.numLockOn), actions);
}

void CVT420Doc::PressVtKey(int vtKey, uint8_t modifiers, KeyActions& actions) {
    KeyOutcome outcome;
    {
        std::lock_guard lock(lock_);
        outcome = KeyboardInput(keys_, CurrentKeyboardModes()).PressVtKey(vtKey, modifiers);
    }
    DeliverKey(outcome, actions);
}

void CVT420Doc::DeliverKey(const KeyOutcome& outcome, KeyActions& actions) {
    using Kind = KeyOutcome::Kind;
    switch (outcome.kind) {
    case Kind::Send:
        Send(outcome.text);
        if (outcome.marginBell) actions.MarginBell();
        break;
    case Kind::PostToSession:
        actions.PostToSessionWindow(outcome.command);
        break;
    case Kind::PostToMain:
        actions.PostToMainWindow(outcome.command);
        break;
    case Kind::RunScript:
        actions.RunScript(outcome.text);
        break;
    case Kind::RunScriptFile:
        actions.RunScriptFile(outcome.text);
        break;
    case Kind::SendBreak:
        SendBreak();
        break;
    case Kind::KeypadMode:
        actions.KeypadModeChanged(outcome.numericKeypad);
        break;
    case Kind::Nothing:
    case Kind::Unmapped:
        break;
    }
}

void CVT420Doc::SendTyped(std::u32string_view text, bool onlyAfterUnmappedKey,
                          KeyActions& actions) {
    std::string bytes;
    size_t prefix = 0;
    KeyboardModes modes;
    {
        std::lock_guard lock(lock_);
        if (onlyAfterUnmappedKey && !pendingCharacter_) return;
        modes = CurrentKeyboardModes();
        if (onlyAfterUnmappedKey && pendingEscape_) {
            bytes += '\x1b';
            prefix = 1;
            // One ESC for the key, however many characters it types.
            pendingEscape_ = false;
        }
        for (const char32_t c : text) {
            // Characters beyond one UTF-16 unit have no place in the host's sets.
            if (c <= 0xFFFF) bytes += emulator_.Charsets().Encode(static_cast<char16_t>(c));
        }
    }
    if (bytes.size() == prefix) return;
    Send(bytes);
    // Typing is what the margin bell is for, so typed characters ring it too.
    if (RingsMarginBell(bytes, modes)) actions.MarginBell();
}

bool CVT420Doc::PasteText(std::u16string_view text) {
    std::string bytes;
    {
        std::lock_guard lock(lock_);
        bytes = emulator_.PasteBytes(text);
    }
    return !bytes.empty() && Send(bytes);
}

void CVT420Doc::KeyCharacter(char32_t character, KeyActions& actions) {
    SendTyped(std::u32string_view(&character, 1), true, actions);
}

void CVT420Doc::ComposedText(std::u32string_view text, KeyActions& actions) {
    SendTyped(text, false, actions);
}

} // namespace tamsivane
