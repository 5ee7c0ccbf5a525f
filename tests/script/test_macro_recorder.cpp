// The macro recorder on an injected clock.
#include <gtest/gtest.h>

#include "config/SettingsStore.h"
#include "keyboard/KeyMap.h"
#include "script/MacroRecorder.h"
#include "script/MacroTargets.h"

namespace tamsivane {
namespace {

class MacroRecorderTest : public ::testing::Test {
protected:
    int64_t now = 1000;
    MacroRecorder recorder{[this] { return now; }};
};

TEST_F(MacroRecorderTest, QuickTypingIsOneSend) {
    recorder.Start();
    for (const char* key : {"l", "s", "\r"}) {
        now += 120;
        recorder.Record(key);
    }
    EXPECT_EQ(recorder.Stop(), "term.Send(\"ls<CR>\");\r\n");
    EXPECT_FALSE(recorder.IsRecording());
}

TEST_F(MacroRecorderTest, LongPausesBecomeSleepsOfTheirLength) {
    recorder.Start();
    recorder.Record("a");
    now += 2013;
    recorder.Record("b");
    now += 500; // exactly half a second: swallowed
    recorder.Record("c");
    now += 501;
    recorder.Record("d");
    EXPECT_EQ(recorder.Stop(),
              "term.Send(\"a\");\r\nsys.Sleep(2013);\r\nterm.Send(\"bc\");\r\nsys.Sleep(501);\r\n"
              "term.Send(\"d\");\r\n");
}

TEST_F(MacroRecorderTest, BytesAreWrittenInTheNotationAndQuotesStayInside) {
    recorder.Start();
    recorder.Record("\x85\\\"<^\x1b\x01");
    EXPECT_EQ(recorder.Stop(), "term.Send(\"\\x85\\\\\\x22\\<\\^<ESC>^A\");\r\n");
}

TEST_F(MacroRecorderTest, NothingSentGivesNothingAndSendsOutsideRecordingAreIgnored) {
    recorder.Record("x");
    recorder.Start();
    EXPECT_EQ(recorder.Stop(), "");
    recorder.Start();
    recorder.Record("y");
    recorder.Start(); // already recording: keeps what it has
    EXPECT_EQ(recorder.Stop(), "term.Send(\"y\");\r\n");
    EXPECT_EQ(recorder.Stop(), "");
}

} // namespace
} // namespace tamsivane

namespace tamsivane {
namespace {

TEST(MacroTargets, KeyNamesAndTheKeyOfACharacter) {
    const auto names = MacroKeyNames();
    ASSERT_EQ(names.size(), 46u);
    EXPECT_STREQ(names[0], "Character");
    EXPECT_STREQ(names.back(), "Numpad Enter");
    // The key that types the character, not the character's code.
    EXPECT_EQ(MacroKeyCode(0, 'a'), 0x41);
    EXPECT_EQ(MacroKeyCode(0, 'A'), 0x41);
    EXPECT_EQ(MacroKeyCode(0, '!'), 0x31);
    EXPECT_EQ(MacroKeyCode(0, '/'), 0xBF);
    EXPECT_EQ(MacroKeyCode(0, '?'), 0xBF);
    EXPECT_EQ(MacroKeyCode(0, ' '), 0x20);
    EXPECT_EQ(MacroKeyCode(1, 'x'), 0x70);              // F1
    EXPECT_EQ(MacroKeyCode(names.size() - 1, 0), 0x2B); // Numpad Enter
    for (size_t i = 1; i < names.size(); ++i) EXPECT_NE(MacroKeyCode(i, 0), 0) << names[i];
}

TEST(MacroTargets, ButtonsAndKeysRunTheScriptText) {
    SettingsStore settings;
    SaveMacroToButton(settings, 4, "Login", "term.Send(\"x\");\r\n");
    EXPECT_EQ(settings.GetArrayString(P::ButtonCaption, 4), "Login");
    EXPECT_EQ(settings.GetArrayNumber(P::ButtonAction, 4), 1);
    EXPECT_EQ(settings.GetArrayString(P::ButtonString, 4), "term.Send(\"x\");\r\n");
    KeyMap keys;
    ASSERT_TRUE(SaveMacroToKey(keys, 0x41, 2, "term.Send(\"y\");"));
    const KeyLookup lookup = keys.LookUp(0x41, 2);
    EXPECT_EQ(lookup.action, 253);
    EXPECT_EQ(lookup.text, "term.Send(\"y\");");
}

} // namespace
} // namespace tamsivane
