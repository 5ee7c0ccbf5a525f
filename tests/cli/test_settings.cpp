// tamsivane-cli settings: parameters with their values, defaults and the
// values they accept; refused --set values say what is accepted.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "RunCli.h"
#include "config/SettingsStore.h"
#include "config/SetupFile.h"
#include "keyboard/KeyMap.h"

namespace tamsivane::testing {
namespace {

TEST(SettingsCommand, NamedParametersWithValueDefaultAndAcceptedValues) {
    const CliResult result = RunCli(
        "settings --set TermID=0 --set FKeys=3,4 TermID DBCSSet Lines SaveLines LocalEcho "
        "DarkScreen TabList Palette FKeys ButtonCaption AnswerBack 2>&1");
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output,
              "28\tTermID\t0\t2\t0 VT420, 1 VT320, 2 VT220, 3 VT102, 4 VT101, 5 VT100\n"
              "70\tDBCSSet\t0\t0\t0 the ANSI code page (1252), 1 code page 936 (Chinese "
              "Simplified, GBK), 2 code page 950 (Chinese Traditional, Big5), 3 code page 932 "
              "(Japanese, Shift-JIS), 4 code page 949 (Korean), 5 code page 65001 (UTF-8)\n"
              "32\tLines\t24\t24\t24, 25, 36, 48, 72 or 144\n"
              "34\tSaveLines\t800\t800\t0-100000\n"
              "58\tLocalEcho\t0\t0\t0 off, 1 on\n"
              "2\tDarkScreen\t1\t1\t0 light screen, 1 dark screen\n"
              "39\tTabList\t8,16,24,32,40,48,56,64,72,80,88,96,104,112,120,128\t"
              "8,16,24,32,40,48,56,64,72,80,88,96,104,112,120,128\t"
              "not settable from the command line\n"
              "71\tPalette\t#000000,#800000,#008000,#000080,#808000,#800080,#008080,#c0c0c0,"
              "#808080,#ff0000,#00ff00,#0000ff,#ffff00,#ff00ff,#00ffff,#ffffff\t"
              "#000000,#800000,#008000,#000080,#808000,#800080,#008080,#c0c0c0,"
              "#808080,#ff0000,#00ff00,#0000ff,#ffff00,#ff00ff,#00ffff,#ffffff\t"
              "not settable from the command line\n"
              "48\tFKeys\t3,4,3,3,1\t3,3,3,3,1\t5 numbers, V0,V1,... from the first on\n"
              "91\tButtonCaption\tnone\tnone\tnot settable from the command line\n"
              "29\tAnswerBack\t\"\"\t\"\"\ttext (<CR>, <ESC>, \\xNN ... for controls)\n");
}

TEST(SettingsCommand, EveryParameterOfASetupFile) {
    char name[] = "/tmp/tamsivane-settings-XXXXXX.qzv";
    const int fd = mkstemps(name, 4);
    ASSERT_GE(fd, 0);
    close(fd);
    SettingsStore settings;
    settings.SetNumber(P::DBCS, 1);
    settings.SetNumber(P::DBCSSet, 3);
    settings.SetString(P::AnswerBack, "hi\r\x1b");
    settings.SetArrayString(P::ButtonCaption, 1, "Two");
    ASSERT_TRUE(SaveSetupFile(name, settings, KeyMap()).ok);
    const CliResult result = RunCli(std::string("settings --setup ") + name + " 2>&1");
    unlink(name);
    EXPECT_EQ(result.status, 0);
    int lines = 0;
    for (char c : result.output) lines += c == '\n';
    EXPECT_EQ(lines, kParameterCount);
    for (const char* line : {"69\tDBCS\t1\t0\t0 off, 1 on\n", "70\tDBCSSet\t3\t0\t",
                             "29\tAnswerBack\t\"hi<CR><ESC>\"\t\"\"\t",
                             "91\tButtonCaption\t\"\",\"Two\"\tnone\t"}) {
        EXPECT_NE(result.output.find(line), std::string::npos) << line << result.output;
    }
}

TEST(SettingsCommand, RefusedValuesSayWhatIsAccepted) {
    struct Case {
        const char* arguments;
        const char* message;
    };
    const Case cases[] = {
        {"settings --set TermID=6",
         "value refused: \"TermID=6\"; TermID accepts 0 VT420, 1 VT320, 2 VT220, 3 VT102, "
         "4 VT101, 5 VT100\n"},
        {"settings --set Columns=100", "Columns accepts 80 or 132\n"},
        {"settings --set DBCSSet=x", "value refused: \"DBCSSet=x\"; DBCSSet accepts 0 the ANSI"},
        {"settings --set FKeys=1,y", "FKeys accepts 5 numbers, V0,V1,... from the first on\n"},
        {"run --loopback --set NRC=15", "NRC accepts 0 United States (ASCII), 1 ISO United"},
        {"keys --set HostScript=1 Up", "\"HostScript\" cannot be set from the command line\n"},
        {"settings NoSuchKey", "unknown setting \"NoSuchKey\"\n"},
    };
    for (const Case& c : cases) {
        const CliResult result = RunCli(std::string(c.arguments) + " 2>&1 </dev/null");
        EXPECT_EQ(result.status, 2) << c.arguments;
        EXPECT_NE(result.output.find(c.message), std::string::npos)
            << c.arguments << ": " << result.output;
    }
}

} // namespace
} // namespace tamsivane::testing
