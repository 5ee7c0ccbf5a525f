// The program's terminal description against the program itself: every key
// it lists is what that key sends, every other capability is exercised by
// the emulator's cases, and its page size is a new session's.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "RunCli.h"
#include "TerminfoEntry.h"
#include "config/SettingsStore.h"
#include "emulator/ControlNames.h"

namespace tamsivane::testing {
namespace {

// The key capabilities and the PC keys that send them.
const std::map<std::string, std::string> kKeys = {
    {"kbs", "Backspace"},     {"kcbt", "Shift+Tab"},       {"kcuu1", "Up"},
    {"kcud1", "Down"},        {"kcuf1", "Right"},          {"kcub1", "Left"},
    {"khome", "Home"},        {"kich1", "Insert"},         {"kdch1", "Delete"},
    {"kend", "End"},          {"kpp", "Page Up"},          {"knp", "Page Down"},
    {"kf1", "F1"},            {"kf2", "F2"},               {"kf3", "F3"},
    {"kf4", "F4"},            {"kf5", "F5"},               {"kf6", "F6"},
    {"kf7", "F7"},            {"kf8", "F8"},               {"kf9", "F9"},
    {"kf10", "F10"},          {"kf11", "F11"},             {"kf12", "F12"},
    {"kf13", "Shift+F3"},     {"kf14", "Shift+F4"},        {"kf15", "Shift+F5"},
    {"kf16", "Shift+F6"},     {"kf17", "Shift+F7"},        {"kf18", "Shift+F8"},
    {"kf19", "Shift+F9"},     {"kf20", "Shift+F10"},       {"kLFT", "Shift+Left"},
    {"kRIT", "Shift+Right"},  {"kri", "Shift+Up"},         {"kind", "Shift+Down"},
    {"kHOM", "Shift+Home"},   {"kEND", "Shift+End"},       {"kDC", "Shift+Delete"},
    {"kUP3", "Alt+Up"},       {"kDN3", "Alt+Down"},        {"kRIT3", "Alt+Right"},
    {"kLFT3", "Alt+Left"},    {"kUP5", "Ctrl+Up"},         {"kDN5", "Ctrl+Down"},
    {"kRIT5", "Ctrl+Right"},  {"kLFT5", "Ctrl+Left"},      {"kHOM3", "Alt+Home"},
    {"kEND3", "Alt+End"},     {"kPRV3", "Alt+Page Up"},    {"kNXT3", "Alt+Page Down"},
    {"kDC5", "Ctrl+Delete"},  {"kIC5", "Ctrl+Insert"},
};

bool IsKey(const std::string& name) { return kKeys.contains(name) || name.rfind("kf", 0) == 0; }

TEST(TerminfoTest, EveryKeyIsWhatTheKeySends) {
    std::string keys;
    std::string expected;
    for (const std::string& name : CapabilityNames()) {
        if (!IsKey(name)) continue;
        const auto key = kKeys.find(name);
        ASSERT_NE(key, kKeys.end()) << name << " names no key here";
        const std::optional<std::string> bytes = CapabilityString(name);
        ASSERT_TRUE(bytes) << name;
        keys += " '" + key->second + "'";
        expected += EncodeNotation(*bytes) + "\n";
    }
    ASSERT_FALSE(keys.empty());
    // As after smkx: the application cursor keys.
    const CliResult result = RunCli("keys --set CursorKeys=0" + keys + " 2>&1");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, expected);
}

TEST(TerminfoTest, EveryOtherCapabilityIsExercisedByTheEmulatorCases) {
    std::ifstream in(std::string(TAMSIVANE_TEST_DATA) + "/../emulator/cases/terminfo.vtc");
    std::stringstream cases;
    cases << in.rdbuf();
    const std::string text = cases.str();
    ASSERT_FALSE(text.empty());
    int checked = 0;
    for (const std::string& name : CapabilityNames()) {
        if (IsKey(name)) continue;
        ++checked;
        // Sent by a cap directive, or named in a case title (flags, numbers).
        const std::regex named("(cap|capreply) " + name + "\\b|===.*\\b" + name + "\\b");
        EXPECT_TRUE(std::regex_search(text, named)) << name << " is in no emulator case";
    }
    EXPECT_GT(checked, 30);
    const SettingsStore defaults;
    EXPECT_EQ(CapabilityString("cols"), std::to_string(defaults.GetNumber(P::Columns)) + "\n");
    EXPECT_EQ(CapabilityString("lines"), std::to_string(defaults.GetNumber(P::Lines)) + "\n");
}

} // namespace
} // namespace tamsivane::testing
