// What a session prints, through "replay --print-to": the printer
// controller's end-sequence detector, form feeds per destination, pages
// broken as on paper, the media-copy requests; and the options' checks.
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "RunCli.h"
#include "TempFolder.h"
#include "emulator/ControlNames.h"

namespace tamsivane {
namespace {

using testing::TempFolder;

struct PrintCase {
    std::string name;
    std::string options;
    std::string host;     // bytes
    std::string expected; // bytes
};

// The next field of a line whose fields are separated by "|", without the
// blanks around it.
std::string Field(const std::string& line, size_t& at) {
    const size_t bar = std::min(line.find('|', at), line.size());
    std::string field = line.substr(at, bar - at);
    at = std::min(bar + 1, line.size());
    const size_t first = field.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return field.substr(first, field.find_last_not_of(' ') - first + 1);
}

std::vector<PrintCase> LoadCases() {
    std::ifstream in(std::string(TAMSIVANE_TEST_DATA) + "/print_cases.txt");
    std::vector<PrintCase> cases;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        size_t at = 0;
        PrintCase c;
        c.name = Field(line, at);
        c.options = Field(line, at);
        EXPECT_TRUE(DecodeNotation(Field(line, at), c.host)) << line;
        EXPECT_TRUE(DecodeNotation(Field(line, at), c.expected)) << line;
        cases.push_back(std::move(c));
    }
    return cases;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST(PrintTo, CasesFromTheDataFile) {
    const std::vector<PrintCase> cases = LoadCases();
    ASSERT_GE(cases.size(), 10u);
    TempFolder folder;
    for (const PrintCase& c : cases) {
        WriteFile(folder.File("host"), c.host);
        const std::string printed = folder.File("printed");
        const CliResult result = RunCli("replay --dump none --print-to " + printed + " " +
                                        c.options + " " + folder.File("host") + " 2>&1");
        EXPECT_EQ(result.status, 0) << c.name << ": " << result.output;
        EXPECT_EQ(result.output, "") << c.name;
        EXPECT_EQ(EncodeNotation(ReadFile(printed)), EncodeNotation(c.expected)) << c.name;
    }
}

TEST(PrintTo, TheScreenKeepsWhatIsNotPrinted) {
    TempFolder folder;
    WriteFile(folder.File("host"), "a\x1b[5ihidden\x1b[4ib");
    const CliResult result =
        RunCli("replay --print-to " + folder.File("out") + " " + folder.File("host"));
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(result.output.substr(0, 3), "ab\n");
}

TEST(PrintTo, BadOptionsAndFilesAreUsageErrors) {
    TempFolder folder;
    WriteFile(folder.File("host"), "x");
    for (const std::string page : {"0x80", "60", "60x0", "60x1025", "x80", "60x80x1"}) {
        const CliResult result = RunCli("replay --print-to " + folder.File("out") +
                                        " --print-page " + page + " " + folder.File("host") +
                                        " 2>&1");
        EXPECT_EQ(result.status, 2) << page;
        EXPECT_NE(result.output.find("--print-page"), std::string::npos) << result.output;
    }
    const CliResult noFolder = RunCli("replay --print-to " + folder.File("none/out") + " " +
                                      folder.File("host") + " 2>&1");
    EXPECT_EQ(noFolder.status, 2);
    EXPECT_NE(noFolder.output.find("cannot create"), std::string::npos);
}

TEST(PrintTo, AFullDeviceIsAFailedPrintOutput) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    TempFolder folder;
    WriteFile(folder.File("host"), "\x1b[5iabc\x1b[4i");
    const CliResult result = RunCli("replay --dump none --set PrintTo=2 --print-to /dev/full " +
                                    folder.File("host") + " 2>&1");
    EXPECT_EQ(result.status, 1) << result.output;
    EXPECT_NE(result.output.find("cannot write all of \"/dev/full\""), std::string::npos)
        << result.output;
}

TEST(PrintTo, RunPrintsTheHostsStreamOfALoopBackSession) {
    TempFolder folder;
    const CliResult result = RunCli(
        "run --loopback --timeout 1 --dump none --set PrintTo=0 --set FFNeeded=1 --print-to " +
        folder.File("out") + " --send '<ESC>[5iloop<ESC>[4i' 2>&1");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(ReadFile(folder.File("out")), "loop\f");
}

} // namespace
} // namespace tamsivane
