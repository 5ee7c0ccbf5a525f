// tamsivane-cli keys: what keys send, from the default template, a setup
// file and the command line.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "RunCli.h"
#include "config/SettingsStore.h"
#include "config/SetupFile.h"
#include "keyboard/KeyMap.h"

namespace tamsivane::testing {
namespace {

TEST(KeysCommand, PrintsOneLinePerKey) {
    const CliResult result =
        RunCli("keys Up Shift+F1 'Ctrl+Page Down' 'Numpad 5' F1 F4 F5 'Shift+Tab' Ctrl+c 2>&1");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output,
              "<ESC>[A\n<ESC>[23~\ncommand 104\n5\n<ESC>OP\n<ESC>OS\n<ESC>[15~\n<ESC>[Z\n^C\n");
}

TEST(KeysCommand, SettingsFromTheCommandLineComeLast) {
    const CliResult result = RunCli(
        "keys --set CursorKeys=0 --set 8BitChars=1 --set FKeys=1,2,0 --set NumLock=1 "
        "Up F1 F2 F3 'Num Lock' 'Numpad 5' 2>&1");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "\\x8fA\n<CSI>11~\n\ncommand 32771\n\n\\x8fu\n");
}

TEST(KeysCommand, SetupFileGivesSettingsAndKeyMap) {
    char name[] = "/tmp/tamsivane-keys-XXXXXX.qzv";
    const int fd = mkstemps(name, 4);
    ASSERT_GE(fd, 0);
    close(fd);
    SettingsStore settings;
    settings.SetNumber(P::BackArrow, 0);
    KeyMap keys;
    ASSERT_TRUE(keys.ApplyTemplate(3));
    ASSERT_TRUE(keys.SetEntry(0x41, Modifier::Alt, KeyAction::Send,
                              "\x9b"
                              "5n"));
    ASSERT_TRUE(SaveSetupFile(name, settings, keys).ok);
    const CliResult result = RunCli(std::string("keys --setup ") + name +
                                    " --set NewLine=0 Shift+Tab Alt+A Enter F1 2>&1");
    unlink(name);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "^]\n<ESC>[5n\n<CR>\n<ESC>OP\n");
}

TEST(KeysCommand, UnknownKeysAndBadUsage) {
    CliResult result = RunCli("keys Up 'Ctrl+Pagedown' 2>&1");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.output.find("unknown key \"Ctrl+Pagedown\""), std::string::npos)
        << result.output;
    EXPECT_EQ(result.output.find("<ESC>"), std::string::npos); // nothing printed first
    EXPECT_EQ(RunCli("keys 2>&1").status, 2);
    EXPECT_EQ(RunCli("keys --set NoSuchSetting=1 Up 2>&1").status, 2);
    EXPECT_EQ(RunCli("keys --set FKeys=1,x Up 2>&1").status, 2);
    EXPECT_EQ(RunCli("keys --setup 2>&1").status, 2);
    result = RunCli("keys --setup /nonexistent/x.qzv Up 2>&1");
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.output.find("x.qzv"), std::string::npos) << result.output;
}

} // namespace
} // namespace tamsivane::testing
