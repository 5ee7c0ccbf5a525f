// Keys through a connected session: what reaches the host, what the view
// is asked to do, what a program on the local terminal makes of them.
#include <unistd.h>

#include <array>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ScopedVariable.h"
#include "SessionFixture.h"
#include "keyboard/KeyActions.h"

namespace tamsivane::testing {
namespace {

class RecordingActions final : public KeyActions {
public:
    void PostToSessionWindow(int command) override {
        calls.push_back("session " + std::to_string(command));
    }
    void PostToMainWindow(int command) override {
        calls.push_back("main " + std::to_string(command));
    }
    void RunScript(std::string_view text) override {
        calls.push_back("script " + std::string(text));
    }
    void RunScriptFile(std::string_view path) override {
        calls.push_back("file " + std::string(path));
    }
    void MarginBell() override { calls.push_back("bell"); }
    void KeypadModeChanged(bool numeric) override {
        calls.push_back(numeric ? "numeric" : "application");
    }

    std::vector<std::string> calls;
};

PcKeyPress Press(int virtualKey, bool extended = false) {
    PcKeyPress press;
    press.virtualKey = virtualKey;
    press.extended = extended;
    return press;
}

class DocKeyboardTest : public SessionTest {
protected:
    RecordingActions actions;
};

// A terminal line makes a new line of CR itself, so its sessions start with
// the new-line mode off; Telnet keeps the automatic mode, and a choice of
// the user's own stays.
TEST_F(DocKeyboardTest, TerminalLinesStartWithoutTheAutomaticNewLine) {
    for (const auto& [hostType, before, after] :
         {std::array{8, 2, 0}, std::array{0, 2, 2}, std::array{7, 1, 1}}) {
        Configure([&](SettingsStore& s) {
            s.SetNumber(P::HostType, hostType);
            s.SetNumber(P::NewLine, before);
        });
        ASSERT_TRUE(session.CreateTransport(true, CVT420Doc::Connect::Later));
        const SessionLock locked = session.Locked();
        EXPECT_EQ(locked.Settings().GetNumber(P::NewLine), after) << hostType;
    }
    // The first Enter in a new local shell is a CR alone.
    Configure([](SettingsStore& s) {
        s.SetNumber(P::HostType, 7);
        s.SetNumber(P::NewLine, 2);
        s.SetString(P::HostName,
                    "stty raw -echo; echo ready; dd bs=1 count=2 2>/dev/null | od -An -tx1");
    });
    ASSERT_TRUE(session.OpenConnection(CVT420Doc::Connect::Now));
    ASSERT_TRUE(WaitForScreen("ready"));
    session.KeyDown(Press(0x0D), actions);
    session.KeyDown(Press('X'), actions);
    session.KeyCharacter(U'x', actions);
    EXPECT_TRUE(WaitForScreen("0d 78")) << ScreenText();
}

TEST_F(DocKeyboardTest, KeysAndTheirCharactersReachTheHost) {
    OpenLoopback();
    PcKeyPress up = Press(0x26, true);
    session.KeyDown(up, actions);
    // The keypad's Up (extended flag clear) is Numpad 8.
    session.KeyDown(Press(0x26), actions);
    // A mapped key's character is not typed again.
    session.KeyCharacter(U'8', actions);
    // An unmapped key lets its characters through until the next key.
    session.KeyDown(Press('A'), actions);
    session.KeyCharacter(U'a', actions);
    session.KeyCharacter(U'\u00e9', actions);
    session.KeyDown(Press(PcKey::F12), actions);
    session.KeyCharacter(U'b', actions);
    // Composed text is typed whatever the last key was; characters outside
    // the host's sets are left out.
    session.ComposedText(U"\u00fc\U0001F600!", actions);
    // With Alt the character goes after one ESC.
    PcKeyPress altB = Press('B');
    altB.alt = true;
    session.KeyDown(altB, actions);
    session.KeyCharacter(U'b', actions);
    EXPECT_EQ(view.Sent(), "\x1b[A8a\xe9\x1b[24~\xfc!\x1b" "b");
    EXPECT_TRUE(actions.calls.empty());
    // Unless Alt is to type nothing.
    Configure([](SettingsStore& s) { s.SetNumber(P::AltEscape, 0); });
    session.KeyDown(altB, actions);
    session.KeyCharacter(U'b', actions);
    EXPECT_EQ(view.Sent(), "\x1b[A8a\xe9\x1b[24~\xfc!\x1b" "b");
}

TEST_F(DocKeyboardTest, LocalFunctionsMenuEntriesAndScriptsGoToTheView) {
    Configure([](SettingsStore& s) {
        for (int key = 0; key < 5; ++key) s.SetArrayNumber(P::FKeys, key, 0);
    });
    OpenLoopback();
    {
        const SessionLock locked = session.Locked();
        locked.Keys().SetEntry(0x7B, Modifier::Alt, KeyAction::ExecuteScript, "term.Send(1)");
        locked.Keys().SetEntry(0x7B, Modifier::Ctrl, KeyAction::RunScriptFile, "a.wbq");
    }
    session.KeyDown(Press(PcKey::F1), actions);
    session.KeyDown(Press(PcKey::F1 + 1), actions);
    session.KeyDown(Press(PcKey::F1 + 2), actions);
    PcKeyPress ctrlPageDown = Press(PcKey::PageDown, true);
    ctrlPageDown.ctrl = true;
    session.KeyDown(ctrlPageDown, actions);
    PcKeyPress altF12 = Press(PcKey::F12);
    altF12.alt = true;
    session.KeyDown(altF12, actions);
    altF12.alt = false;
    altF12.ctrl = true;
    session.KeyDown(altF12, actions);
    EXPECT_EQ(actions.calls,
              (std::vector<std::string>{"session 32802", "session 32777", "main 32771", "main 104",
                                        "script term.Send(1)", "file a.wbq"}));
    EXPECT_EQ(view.Sent(), "");
}

TEST_F(DocKeyboardTest, NumLockSwitchesTheKeypadMode) {
    Configure([](SettingsStore& s) { s.SetNumber(P::NumLock, 1); });
    OpenLoopback();
    PcKeyPress numLock = Press(PcKey::NumLock, true);
    numLock.numLockOn = false;
    session.KeyDown(numLock, actions);
    session.KeyDown(Press(0x61), actions);
    numLock.numLockOn = true;
    session.KeyDown(numLock, actions);
    session.KeyDown(Press(0x61), actions);
    EXPECT_EQ(view.Sent(), "\x1bOq1");
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"application", "numeric"}));
    const SessionLock locked = session.Locked();
    EXPECT_EQ(locked.Settings().GetNumber(P::NumericKeypad), 1);
}

TEST_F(DocKeyboardTest, TypedCharactersRingTheMarginBell) {
    Configure([](SettingsStore& s) { s.SetNumber(P::MarginBell, 1); });
    OpenLoopback();
    // The loop-back shows what is typed: 72 characters put the cursor on
    // the bell column.
    session.ComposedText(std::u32string(72, U'x'), actions);
    ASSERT_TRUE(WaitFor([&] {
        const SessionLock locked = session.Locked();
        return locked.Emulator().Cursor().column == 72;
    }));
    EXPECT_TRUE(actions.calls.empty());
    session.KeyDown(Press('Y'), actions);
    session.KeyCharacter(U'y', actions);
    EXPECT_EQ(actions.calls, std::vector<std::string>{"bell"});
}

// A curses program on the local terminal reads the keys through the
// program's own terminal description: Home, End and F1 in vim.
TEST_F(DocKeyboardTest, VimReadsHomeEndAndF1ThroughTheOwnDescription) {
    ASSERT_EQ(access("/usr/bin/vim", X_OK), 0) << "vim is not installed";
    const ScopedVariable terminfo("TERMINFO", std::nullopt);
    const ScopedVariable home("HOME", folder.Path());
    const ScopedVariable dirs("TERMINFO_DIRS", TAMSIVANE_TERMINFO);
    const std::string file = folder.File("text");
    std::ofstream(file) << "middle\n";
    Configure([&](SettingsStore& s) {
        s.SetNumber(P::HostType, 7);
        s.SetNumber(P::NewLine, 0);
        s.SetString(P::HostName, "echo \"term=$TERM\"; exec vim -u NONE -i NONE -N -n --cmd 'set "
                                 "ttimeout ttimeoutlen=100' -c 'nnoremap <F1> :wq<CR>' " + file);
    });
    ASSERT_TRUE(session.OpenConnection(CVT420Doc::Connect::Now));
    ASSERT_TRUE(WaitForScreen("middle")) << ScreenText();
    const auto type = [&](PcKeyPress press, char32_t character) {
        session.KeyDown(press, actions);
        if (character != 0) session.KeyCharacter(character, actions);
    };
    const auto insert = [&](char32_t command, char32_t letter) {
        type(Press(static_cast<int>(command - U'a' + 'A')), command);
        ASSERT_TRUE(WaitForScreen("-- INSERT --")) << ScreenText();
        type(Press(static_cast<int>(letter - U'a' + 'A')), letter);
        type(Press(PcKey::Escape), U'\x1b');
        ASSERT_TRUE(WaitFor([&] { return ScreenText().find("-- INSERT --") == std::string::npos; }))
            << ScreenText() << "\nsent: " << view.Sent();
    };
    type(Press(PcKey::End, true), 0);
    insert(U'a', U'e');
    type(Press(PcKey::Home, true), 0);
    insert(U'i', U'h');
    type(Press(PcKey::F1), 0);
    ASSERT_TRUE(WaitForState(TransportState::Closed)) << ScreenText();
    std::ifstream in(file);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "hmiddlee\n");
}

} // namespace
} // namespace tamsivane::testing
