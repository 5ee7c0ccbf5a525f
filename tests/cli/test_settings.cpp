// tamsivane-cli settings and keys with --setup: the setup file's parameters
// and key map (the rest of both commands is in cases/*.cli).
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "RunCli.h"
#include "config/SettingsStore.h"
#include "config/SetupFile.h"
#include "keyboard/KeyMap.h"

namespace tamsivane::testing {
namespace {

// Runs tamsivane-cli with --setup naming a file saved from settings and keys.
CliResult RunWithSetup(const std::string& command, const SettingsStore& settings,
                       const KeyMap& keys, const std::string& arguments = {}) {
    char name[] = "/tmp/tamsivane-setup-XXXXXX.qzv";
    const int fd = mkstemps(name, 4);
    if (fd < 0) return {};
    close(fd);
    if (!SaveSetupFile(name, settings, keys).ok) {
        unlink(name);
        return {};
    }
    CliResult result = RunCli(command + " --setup " + name + arguments + " 2>&1");
    unlink(name);
    return result;
}

TEST(SettingsCommand, EveryParameterOfASetupFile) {
    SettingsStore settings;
    settings.SetNumber(P::DBCS, 1);
    settings.SetNumber(P::DBCSSet, 3);
    settings.SetString(P::AnswerBack, "hi\r\x1b");
    settings.SetArrayString(P::ButtonCaption, 1, "Two");
    const CliResult result = RunWithSetup("settings", settings, KeyMap());
    EXPECT_EQ(result.status, 0);
    int lines = 0;
    for (char c : result.output) lines += c == '\n';
    EXPECT_EQ(lines, kParameterCount);
    for (const char* line : {"68\tDBCS\t1\t0\t0 off, 1 on\n", "69\tDBCSSet\t3\t0\t",
                             "29\tAnswerBack\t\"hi<CR><ESC>\"\t\"\"\t",
                             "90\tButtonCaption\t\"\",\"Two\"\tnone\t"}) {
        EXPECT_NE(result.output.find(line), std::string::npos) << line << result.output;
    }
}

TEST(KeysCommand, SetupFileGivesSettingsAndKeyMap) {
    SettingsStore settings;
    settings.SetNumber(P::BackArrow, 0);
    KeyMap keys;
    ASSERT_TRUE(keys.ApplyTemplate(3));
    ASSERT_TRUE(keys.SetEntry(0x41, Modifier::Alt, KeyAction::Send,
                              "\x9b"
                              "5n"));
    const CliResult result =
        RunWithSetup("keys", settings, keys, " --set NewLine=0 Shift+Tab Alt+A Enter F1");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "^]\n<ESC>[5n\n<CR>\n<ESC>OP\n");
}

} // namespace
} // namespace tamsivane::testing
