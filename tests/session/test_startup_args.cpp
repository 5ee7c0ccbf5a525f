#include <gtest/gtest.h>

#include <set>

#include "session/StartupArgs.h"

namespace tamsivane {
namespace {

using Open = StartupRequest::Open;

struct Case {
    const char* line;
    bool error;
    Open open;
    const char* target; // setup file or host
    int port;
    bool noConnect;
    const char* script;
};

// Files that exist for the table: "session.qzv", "site.QZV", "notes" and
// setup files named like links.
const std::set<std::string> kFiles = {"session.qzv", "site.QZV", "notes", "telnet:evil.qzv",
                                      "TELNET:evil"};

const Case kCases[] = {
    {"", false, Open::Nothing, "", 23, false, ""},
    {"-E", false, Open::Nothing, "", 23, true, ""},
    {"myhost", false, Open::Telnet, "myhost", 23, false, ""},
    {"myhost 2323", false, Open::Telnet, "myhost", 2323, false, ""},
    {"telnet://myhost:2323/", false, Open::Telnet, "myhost", 2323, false, ""},
    {"TELNET://myhost/", false, Open::Telnet, "myhost", 23, false, ""},
    {"Telnet:myhost:7", false, Open::Telnet, "myhost", 7, false, ""},
    {"telnet:evil", false, Open::Telnet, "evil", 23, false, ""},
    {"TELNET:evil", false, Open::Telnet, "evil", 23, false, ""},
    {"telnet://[::1]:2323/", false, Open::Telnet, "::1", 2323, false, ""},
    {"-H myhost 2323 -S login.scr", false, Open::Telnet, "myhost", 2323, false, "login.scr"},
    {"-h myhost", false, Open::Telnet, "myhost", 23, false, ""},
    {"-h session.qzv", false, Open::Telnet, "session.qzv", 23, false, ""},
    {"-p -H myhost", false, Open::Telnet, "myhost", 23, false, ""},
    {"-F session 23", true, Open::Nothing, "", 23, false, ""},
    {"-f anything", false, Open::SetupFile, "anything", 23, false, ""},
    {"-E session.qzv", false, Open::SetupFile, "session.qzv", 23, true, ""},
    {"site", false, Open::SetupFile, "site.QZV", 23, false, ""},
    {"session", false, Open::SetupFile, "session.qzv", 23, false, ""},
    {"notes", false, Open::SetupFile, "notes", 23, false, ""},
    {"\"session.qzv\" -s \"my script.scr\"", false, Open::SetupFile, "session.qzv", 23, false,
     "my script.scr"},
    {"file:///home/u/my%20site.qzv", false, Open::SetupFile, "/home/u/my site.qzv", 23, false,
     ""},
    {"file://localhost/tmp/a.qzv", false, Open::SetupFile, "/tmp/a.qzv", 23, false, ""},
    {"file://elsewhere/tmp/a.qzv", true, Open::Nothing, "", 23, false, ""},
    {"file:///tmp/a%2", true, Open::Nothing, "", 23, false, ""},
    // Errors: unknown options, an option letter apart from its dash, three
    // targets, a script without name, ports that are no port.
    {"-X", true, Open::Nothing, "", 23, false, ""},
    {"- H myhost", true, Open::Nothing, "", 23, false, ""},
    {"a b c", true, Open::Nothing, "", 23, false, ""},
    {"myhost -S", true, Open::Nothing, "", 23, false, ""},
    {"-H myhost 0", true, Open::Nothing, "", 23, false, ""},
    {"-H myhost 65536", true, Open::Nothing, "", 23, false, ""},
    {"myhost x23", true, Open::Nothing, "", 23, false, ""},
    {"telnet://myhost:abc/", true, Open::Nothing, "", 23, false, ""},
    {"telnet:///", true, Open::Nothing, "", 23, false, ""},
    {"session.qzv 23", true, Open::Nothing, "", 23, false, ""},
    {"--unknown myhost", true, Open::Nothing, "", 23, false, ""},
};

TEST(StartupArgsTest, ReadsTheCommandLineTable) {
    const auto isFile = [](const std::string& name) { return kFiles.count(name) > 0; };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.line);
        const auto words = SplitCommandLine(c.line);
        const StartupCommandLine parsed = ParseStartupWords(words, isFile);
        EXPECT_EQ(parsed.error, c.error);
        const StartupRequest& r = parsed.request;
        EXPECT_EQ(r.open, c.open);
        if (c.open == Open::SetupFile) {
            EXPECT_EQ(r.setupFile, c.target);
        }
        if (c.open == Open::Telnet) {
            EXPECT_EQ(r.host, c.target);
            EXPECT_EQ(r.port, c.port);
        }
        EXPECT_EQ(r.noConnect, c.noConnect);
        EXPECT_EQ(r.script, c.script);
    }
}

TEST(StartupArgsTest, SplitsOnBlanksAndTabsWithQuotedWords) {
    EXPECT_EQ(SplitCommandLine("  a\t\"b c\"d  \"e"),
              (std::vector<std::string>{"a", "b c", "d", "e"}));
    EXPECT_TRUE(SplitCommandLine(" \t ").empty());
}

TEST(StartupArgsTest, TakesTheDesktopOptionsOutFirst) {
    const auto none = [](const std::string&) { return false; };
    const std::vector<std::string> words = {"--screenshot", "s.png", "-H",
                                            "--dump-text=d.txt", "myhost",
                                            "--quit-after", "5", "2323", "--replay", "demo.vt"};
    const StartupCommandLine parsed = ParseStartupWords(words, none);
    ASSERT_FALSE(parsed.error);
    EXPECT_EQ(parsed.desktop.screenshot, "s.png");
    EXPECT_EQ(parsed.desktop.dumpText, "d.txt");
    EXPECT_EQ(parsed.desktop.quitAfterSeconds, 5);
    EXPECT_EQ(parsed.desktop.replay, "demo.vt");
    EXPECT_EQ(parsed.request.host, "myhost");
    EXPECT_EQ(parsed.request.port, 2323);

    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"--quit-after", "soon"}, {"--quit-after", "-1"},
          {"--screenshot"}, {"--dump-text="}}) {
        EXPECT_TRUE(ParseStartupWords(bad, none).error) << bad[0];
    }
    const std::vector<std::string> report = {"--fault-report", "/tmp/r.txt"};
    EXPECT_EQ(ParseStartupWords(report, none).desktop.faultReport, "/tmp/r.txt");
    EXPECT_TRUE(ParseStartupWords(std::vector<std::string>{"--quit-at-end"}, none).desktop.quitAtEnd);
    EXPECT_TRUE(ParseStartupWords(std::vector<std::string>{"--quit-at-end=1"}, none).error);
}

// "-e" takes every word after it as they are; before a setup file, a link,
// an option or nothing it keeps meaning "-E".
TEST(StartupArgsTest, ProgramWordsFollowTheLowerCaseE) {
    const auto isFile = [](const std::string& name) { return kFiles.count(name) > 0; };
    using Words = std::vector<std::string>;
    const struct {
        Words words;
        size_t at; // where "-e" begins the program, or words.size()
        bool error;
    } cases[] = {
        {{"-e", "sh", "-c", "--replay x", "-S", "a b"}, 0, false},
        {{"--quit-at-end", "-S", "s.scr", "-e", "printf", "--quit-after"}, 3, false},
        {{"--dump-text", "-e", "-e", "cat"}, 2, false},
        {{"-e", "session.qzv"}, 2, false},
        {{"-e", "session"}, 2, false},
        {{"-e", "x.QZV"}, 2, false},
        {{"-e", "telnet:host"}, 2, false},
        {{"-e", "-S", "s.scr"}, 3, false},
        {{"-e"}, 1, false},
        {{"-E", "cat"}, 2, false},
        {{"myhost", "-e", "cat"}, 1, true},
        {{"--bad", "-e", "cat"}, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(ShellQuoted(c.words));
        EXPECT_EQ(ProgramOptionAt(c.words, isFile), c.at);
        const StartupCommandLine parsed = ParseStartupWords(c.words, isFile);
        EXPECT_EQ(parsed.error, c.error);
        if (c.at == c.words.size() || c.error) {
            EXPECT_TRUE(parsed.request.program.empty());
            continue;
        }
        EXPECT_EQ(parsed.request.open, Open::Program);
        EXPECT_EQ(parsed.request.program, Words(c.words.begin() + c.at + 1, c.words.end()));
    }
    EXPECT_EQ(ParseStartupWords(Words{"-S", "s.scr", "-e", "cat"}, isFile).request.script, "s.scr");
    EXPECT_EQ(ShellQuoted(Words{"printf", "a b", "it's", "", "x=1,%d"}),
              "printf 'a b' 'it'\\''s' '' x=1,%d");
}

} // namespace
} // namespace tamsivane
