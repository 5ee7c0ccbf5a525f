// Runs the built tamsivane-cli on small host streams and checks its dumps,
// replies and exit statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "RunCli.h"

namespace {

using RunResult = CliResult;

// A host stream in a temporary file, removed at the end of the test.
class StreamFile {
public:
    explicit StreamFile(const std::string& bytes) {
        char name[] = "/tmp/tamsivane-replay-XXXXXX";
        const int fd = mkstemp(name);
        EXPECT_GE(fd, 0);
        path_ = name;
        if (fd >= 0) {
            EXPECT_EQ(write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
            close(fd);
        }
    }
    ~StreamFile() { unlink(path_.c_str()); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// Runs tamsivane-cli with the arguments (already quoted for the shell);
// standard error is discarded.
RunResult RunCliQuietly(const std::string& arguments) { return RunCli(arguments + " 2>/dev/null"); }

RunResult Replay(const std::string& bytes, const std::string& options = "--dump json") {
    const StreamFile file(bytes);
    return RunCliQuietly("replay " + options + " " + file.Path());
}

TEST(Replay, TextDumpShowsEveryRowWithoutTrailingBlanks) {
    const RunResult result = Replay("Hello   \r\n\x1b[3;5HWorld", "");
    ASSERT_EQ(result.status, 0);
    std::string expected = "Hello\n\n    World\n";
    for (int row = 3; row < 24; ++row) expected += "\n";
    EXPECT_EQ(result.output, expected);
}

TEST(Replay, StandardInputAndDumpNone) {
    const StreamFile file("abc");
    const RunResult fromStdin = RunCliQuietly("replay - < " + file.Path());
    EXPECT_EQ(fromStdin.status, 0);
    EXPECT_EQ(fromStdin.output.substr(0, 4), "abc\n");
    const RunResult none = RunCliQuietly("replay --dump none " + file.Path());
    EXPECT_EQ(none.status, 0);
    EXPECT_EQ(none.output, "");
}

TEST(Replay, JsonDumpDescribesPageCursorAndAttributes) {
    const RunResult result = Replay("ab\x1b[4mC\x1b[0m\r\n\x1b#6wide\x1b[2;3H");
    ASSERT_EQ(result.status, 0);
    const std::string& json = result.output;
    EXPECT_NE(json.find("\"columns\":80,\"lines\":24,"), std::string::npos) << json;
    EXPECT_NE(json.find("\"cursor\":[1,2]"), std::string::npos);
    EXPECT_NE(json.find("{\"text\":\"abC\",\"size\":0,\"attrs\":[1792,1792,1794,1792,"),
              std::string::npos);
    EXPECT_NE(json.find("{\"text\":\"wide\",\"size\":1,"), std::string::npos);
    EXPECT_NE(json.find("\"status\":{\"text\":\"\",\"attrs\":[1792,"), std::string::npos);
    EXPECT_NE(json.find("\"pages\":6"), std::string::npos);
    EXPECT_EQ(json.back(), '\n');
}

TEST(Replay, RepliesAreCollectedInControlNotation) {
    const RunResult result = Replay("\x1b[c");
    ASSERT_EQ(result.status, 0);
    EXPECT_NE(result.output.find("\"replies\":\"<ESC>[?62;1;2;6;7;8;9c\""), std::string::npos)
        << result.output;
}

TEST(Replay, HistoryListsScrolledLinesOldestFirst) {
    std::string stream;
    for (int i = 0; i < 30; ++i) stream += "line " + std::to_string(i) + "\r\n";
    const RunResult result = Replay(stream);
    ASSERT_EQ(result.status, 0);
    EXPECT_NE(result.output.find("\"history\":[\n\"line 0\",\n\"line 1\",\n"), std::string::npos)
        << result.output;
    EXPECT_NE(result.output.find("\"line 6\"]}"), std::string::npos);
    EXPECT_NE(result.output.find("{\"text\":\"line 7\""), std::string::npos);
}

TEST(Replay, ByteByByteChunkingGivesTheSameScreen) {
    const std::string stream =
        "\x1b[2J\x1b[1;31mred\x1b[0m\r\n\x1b(0lqk\x1b(B \x1b[5;10H\x9b"
        "7mX\x1b[m\x1b[c"
        "\x1bP$qm\x1b\\\x1b#3big\r\n\x1b#4big\xc3\xa9\x1b[?25l\x1b[6n";
    const RunResult whole = Replay(stream);
    const RunResult single = Replay(stream, "--chunk 1 --dump json");
    const RunResult odd = Replay(stream, "--chunk=7 --dump=json");
    ASSERT_EQ(whole.status, 0);
    EXPECT_EQ(single.status, 0);
    EXPECT_EQ(whole.output, single.output);
    EXPECT_EQ(whole.output, odd.output);
}

TEST(Replay, SettingsApplyBeforeTheSessionStarts) {
    const RunResult wide = Replay("x", "--set Columns=132 --set=Lines=36 --dump json");
    ASSERT_EQ(wide.status, 0);
    EXPECT_NE(wide.output.find("\"columns\":132,\"lines\":36,"), std::string::npos);

    const RunResult answer = Replay("\x05", "--set 'AnswerBack=hi<CR>\\x80' --dump json");
    ASSERT_EQ(answer.status, 0);
    EXPECT_NE(answer.output.find("\"replies\":\"hi<CR><80>\""), std::string::npos) << answer.output;
}

TEST(Replay, BadArgumentsExitWithStatusTwo) {
    const StreamFile file("x");
    const std::string path = " " + file.Path();
    for (const char* options :
         {"--set NoSuchKey=1", "--set Columns=8x", "--set Columns=", "--set Columns=100",
          "--set Lines=99999999999", "--set AnswerBack=\\\\x4", "--set Columns", "--set TabList=1",
          "--chunk 0", "--chunk -3", "--chunk x", "--dump html", "--bogus"}) {
        EXPECT_EQ(RunCliQuietly(std::string("replay ") + options + path).status, 2) << options;
    }
    EXPECT_EQ(RunCliQuietly("replay /nonexistent/stream.vt").status, 2);
    EXPECT_EQ(RunCliQuietly("replay /tmp").status, 2);
    EXPECT_EQ(RunCliQuietly("replay" + path + path).status, 2);
    EXPECT_EQ(RunCliQuietly("nonsense").status, 2);
}

} // namespace
