// Scripts in a whole session: started by the host (with and without
// HostScript), from files, as the login script against a login service on
// the Telnet server, and cancelled when the session closes.
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "SessionFixture.h"

namespace tamsivane::testing {
namespace {

std::string HostScriptText(std::string_view text) {
    return "\x1bP$t" + std::string(text) + "\x1b\\";
}
std::string HostScriptFile(std::string_view path) {
    return "\x1bP$s" + std::string(path) + "\x1b\\";
}

std::string ProtectedError(std::string_view name) {
    return "Script Error:\n\n<No Name> (Line 1) : E1091 Protected script function disabled: \"" +
           std::string(name) + "\"";
}

class SessionScriptTest : public SessionTest {
protected:
    SessionScriptTest() { session.SetHostScriptPolicy(HostScriptPolicy::Allow); }
    bool WaitForMessage(const std::string& text) {
        return WaitFor([&] {
            for (const std::string& message : user.Messages()) {
                if (message == text) return true;
            }
            return false;
        });
    }
    bool WaitForSent(const std::string& text) {
        return WaitFor([&] { return view.Sent().find(text) != std::string::npos; });
    }
};

struct Forbidden {
    const char* statement;
    const char* name;
};

// Everything but waiting, reading the screen, sending, sleeping and the date.
constexpr Forbidden kForbidden[] = {
    {"x = term.TermID;", "TermID"},
    {"term.Title = 'x';", "Title"},
    {"term.DoMenu('Window:Clear All');", "DoMenu"},
    {"term.MapKey(65, 2, 255, 'x');", "MapKey"},
    {"term.Capture('');", "Capture"},
    {"term.SendZModem('/dev/null');", "SendZModem"},
    {"sys.LoadSession('/dev/null');", "LoadSession"},
    {"term.Disconnect();", "Disconnect"},
    {"term.SendLocal('x');", "SendLocal"},
    {"term.SendBreak();", "SendBreak"},
    {"term.Clear();", "Clear"},
    {"sys.MessageBox('m');", "MessageBox"},
    {"sys.InputBox('p');", "InputBox"},
    {"sys.PlaySound('/nonexistent.wav');", "PlaySound"},
    {"sys.FileExists('/');", "FileExists"},
    {"f = sys.OpenFile('/etc/passwd', 'r');", "OpenFile"},
    {"sys.CopyFile('/dev/null', '/dev/null');", "CopyFile"},
    {"sys.DeleteFile('/nonexistent');", "DeleteFile"},
    {"sys.System('true');", "System"},
};

TEST_F(SessionScriptTest, HostScriptsUseOnlyTheHarmlessBuiltInsUnlessAllowed) {
    OpenLoopback();
    for (const Forbidden& forbidden : kForbidden) {
        SCOPED_TRACE(forbidden.statement);
        session.ReceiveLocally(HostScriptText(forbidden.statement));
        EXPECT_TRUE(WaitForMessage(ProtectedError(forbidden.name)));
    }
    // What stays allowed.
    session.ReceiveLocally(
        HostScriptText("r = $CursorRow + $CursorCol + $Connected; s = term.Screen(1, 1, 1, 3); "
                       "d = sys.FormatDate('%Y'); sys.Sleep(1); term.Send('allowed' + d.Length);"));
    EXPECT_TRUE(WaitForSent("allowed4"));

    const size_t refused = user.Messages().size();
    Configure([](SettingsStore& s) { s.SetNumber(P::HostScript, 1); });
    for (const Forbidden& forbidden : kForbidden) {
        if (std::string_view(forbidden.name) == "Disconnect") continue;
        SCOPED_TRACE(forbidden.statement);
        session.ReceiveLocally(HostScriptText(std::string(forbidden.statement) + "term.Send('ran" +
                                              forbidden.name + "');"));
        EXPECT_TRUE(WaitForSent(std::string("ran") + forbidden.name));
    }
    const std::vector<std::string> messages = user.Messages();
    for (size_t i = refused; i < messages.size(); ++i) {
        EXPECT_EQ(messages[i].find("E1091"), std::string::npos) << messages[i];
    }
}

TEST_F(SessionScriptTest, HostScriptFilesAreRegularFilesOfAtMostOneMebibyte) {
    OpenLoopback();
    const std::string fifo = folder.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = folder.File("big.wbq");
    {
        std::ofstream out(big, std::ios::binary);
        out << "term.Send('big');";
        out << std::string((2 << 20) - 17, ' ');
    }
    const std::string small = folder.File("small.wbq");
    std::ofstream(small) << "term.Send('small');";

    // One at a time; the failures merge into one notice, shown to a user
    // without windows once.
    int count = 0;
    for (const std::string& path : {fifo, big, folder.File("missing.wbq")}) {
        session.ReceiveLocally(HostScriptFile(path));
        const std::string expected =
            "Cannot load script file." +
            (++count == 1 ? std::string() : " (" + std::to_string(count) + " times)");
        EXPECT_TRUE(WaitFor([&] { return session.HostNoticeText() == expected; }))
            << session.HostNoticeText();
    }
    EXPECT_EQ(user.Messages(), std::vector<std::string>{"Cannot load script file."});
    session.ReceiveLocally(HostScriptFile(small));
    EXPECT_TRUE(WaitForSent("small"));
    EXPECT_EQ(view.Sent().find("big"), std::string::npos);
}

size_t ThreadCount() {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator("/proc/self/task"),
                                             std::filesystem::directory_iterator()));
}

// A host that asks and asks: one script runs, the others are dropped into
// one notice, and none of them gets a thread.
TEST_F(SessionScriptTest, OneHostScriptAtATime) {
    OpenLoopback();
    const size_t threads = ThreadCount();
    std::string flood;
    for (int i = 0; i < 3000; ++i) flood += HostScriptText("sys.Sleep(600000);");
    session.ReceiveLocally(flood);
    EXPECT_LE(ThreadCount(), threads + 1);
    EXPECT_EQ(session.HostNoticeText(),
              "The host asked to run a script while one was running; the request was dropped. "
              "(2999 times)");
    EXPECT_EQ(user.Messages().size(), 1u);
}

// With the user asked: one request waits for the answer, those that come
// meanwhile are counted and dropped, and the answer decides.
TEST_F(SessionScriptTest, AskedHostScriptsWaitForTheAnswer) {
    session.SetHostScriptPolicy(HostScriptPolicy::Ask);
    OpenLoopback();
    const auto ask = [&](const std::string& name) {
        session.ReceiveLocally(HostScriptText("\r\n  term.Send('" + name + "');\r\nx = 1;"));
        const std::optional<HostScriptGate::Question> question = session.PendingHostScript();
        EXPECT_TRUE(question && question->summary == "term.Send('" + name + "');");
    };
    ask("once");
    session.ReceiveLocally(HostScriptText("term.Send('dropped');") + HostScriptFile("/x"));
    EXPECT_EQ(session.PendingHostScript()->dropped, 2);
    session.AnswerHostScript(HostScriptAnswer::RunOnce);
    EXPECT_FALSE(session.PendingHostScript());
    EXPECT_TRUE(WaitForSent("once"));

    ask("refused");
    session.AnswerHostScript(HostScriptAnswer::Refuse);
    ask("session");
    session.AnswerHostScript(HostScriptAnswer::AllowSession);
    EXPECT_TRUE(WaitForSent("session"));
    session.ReceiveLocally(HostScriptText("term.Send('unasked');"));
    EXPECT_FALSE(session.PendingHostScript());
    EXPECT_TRUE(WaitForSent("unasked"));
    EXPECT_EQ(view.Sent().find("refused"), std::string::npos);
    EXPECT_EQ(view.Sent().find("dropped"), std::string::npos);

    EXPECT_EQ(HostScriptSummary({"/tmp/a\x1b]0;x\x07.wbq", true}), "/tmp/a\\x1B]0;x\\x07.wbq");
    EXPECT_EQ(HostScriptSummary({std::string(500, 'x'), false}).size(),
              HostScriptGate::kSummaryLimit + 3);
}

// A long text for a host that reads slowly arrives whole: the script waits
// for room rather than losing it.  A text the connection cannot take any
// more is a script error.
TEST_F(SessionScriptTest, SendWaitsForASlowReaderAndFailsLoudly) {
    Listener host;
    ConnectTo(host);
    const std::shared_ptr<ScriptRun> run = session.RunScriptText(
        "s = 'abcdefgh'; while (s.Length < 1048576) s = s + s;"
        "n = 0; while (n < 20) { term.Send(s); n = n + 1; } term.Send('END');");
    // The text, then "END"; before it only the Telnet options.
    const size_t expected = (20u << 20) + 3;
    size_t text = 0;
    std::string last;
    while (text < expected) {
        const std::string chunk = host.Read(std::min<size_t>(65536, expected - text));
        if (chunk.empty()) break;
        text += static_cast<size_t>(std::count_if(chunk.begin(), chunk.end(), [](char c) {
            return (c >= 'a' && c <= 'h') || c == 'E' || c == 'N' || c == 'D';
        }));
        last += chunk;
        if (last.size() > 4) last.erase(0, last.size() - 4);
        std::this_thread::sleep_for(1ms); // the reader's own pace
    }
    EXPECT_EQ(text, expected);
    EXPECT_EQ(last.substr(last.size() - 4), "hEND");
    ASSERT_TRUE(run->WaitUntilEnded(std::chrono::steady_clock::now() + 20s));
    EXPECT_EQ(run->Result(), ScriptRun::State::Finished);

    host.CloseConnection();
    ASSERT_TRUE(WaitForState(TransportState::Closed));
    const std::shared_ptr<ScriptRun> late = session.RunScriptText("term.Send('late');");
    ASSERT_TRUE(late->WaitUntilEnded(std::chrono::steady_clock::now() + 20s));
    EXPECT_NE(late->ErrorReport().find("E1084 term.Send: the host did not take the text"),
              std::string::npos)
        << late->ErrorReport();
}

TEST_F(SessionScriptTest, ScriptsSeeTheScreenAndWaitForHostText) {
    OpenLoopback();
    // The loop-back returns what is sent: the wait finds it, the screen shows it.
    session.RunScriptText(
        "term.Send('abc<CR><LF>');\n"
        "w = term.Wait('bc');\n"
        "term.Wait('<LF>');\n"
        "t = term.Screen(1, 1, 1, 5);\n"
        "term.Send(w + '[' + t + ']' + $CursorRow);");
    EXPECT_TRUE(WaitForSent("bc[abc  ]1"));
}

TEST_F(SessionScriptTest, AScriptErrorIsShownWithTheFileAndLine) {
    OpenLoopback();
    const std::string path = folder.File("bad.wbq");
    std::ofstream(path) << "x = 1;\n\nterm.Get(0);\n";
    const std::shared_ptr<ScriptRun> run = session.RunScriptFile(path);
    ASSERT_TRUE(run->WaitUntilEnded(std::chrono::steady_clock::now() + 20s));
    EXPECT_EQ(run->Result(), ScriptRun::State::Failed);
    EXPECT_EQ(user.Messages(),
              std::vector<std::string>{"Script Error:\n\n" + path +
                                       " (Line 3) : E1082 term.Get: invalid length"});
}

TEST_F(SessionScriptTest, DisconnectKeepsTheModifiedMark) {
    OpenLoopback();
    session.SetModified(true);
    session.RunScriptText("term.Disconnect();");
    EXPECT_TRUE(WaitForState(TransportState::Closed));
    EXPECT_TRUE(session.IsModified());
}

TEST_F(SessionScriptTest, ParametersAreReadAndChangedAtOnce) {
    OpenLoopback();
    session.RunScriptText(
        "term.TermID = 3; term.ButtonCaption[2] = 'Two'; x = term.Palette[1];"
        "term.Send('id' + term.TermID + term.ButtonCaption[2] + x);");
    EXPECT_TRUE(WaitForSent("id3Two"));
    const SessionLock locked = session.Locked();
    EXPECT_EQ(locked.Settings().GetNumber(P::TermID), 3);
}

TEST_F(SessionScriptTest, TheMacroRecordsOnlyWhatTheUserSends) {
    OpenLoopback();
    session.StartMacro();
    EXPECT_TRUE(session.RecordingMacro());
    session.Send("ls\r");
    // The terminal's reply to a device-attributes request is not the user's.
    session.ReceiveLocally("\x1b[c");
    const std::shared_ptr<ScriptRun> run = session.RunScriptText("term.Send('from script');");
    ASSERT_TRUE(run->WaitUntilEnded(std::chrono::steady_clock::now() + 20s));
    EXPECT_TRUE(WaitForSent("from script"));
    EXPECT_EQ(session.StopMacro(), "term.Send(\"ls<CR>\");\r\n");
}

class ScriptCancelOnClose : public ::testing::TestWithParam<const char*> {};

TEST_P(ScriptCancelOnClose, EndsWithinASecond) {
    ScriptedUser user;
    RecordingView view;
    auto session = std::make_unique<CVT420Doc>(user);
    session->AddObserver(&view);
    {
        const SessionLock locked = session->Locked();
        locked.Settings().SetNumber(P::HostType, 2);
    }
    ASSERT_TRUE(session->OpenConnection(CVT420Doc::Connect::Now));
    const std::shared_ptr<ScriptRun> run =
        session->RunScriptText(std::string("term.Send('ready');") + GetParam());
    ASSERT_TRUE(WaitUntil([&] { return view.Sent().find("ready") != std::string::npos; }));
    const auto start = std::chrono::steady_clock::now();
    session.reset();
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    EXPECT_EQ(run->Result(), ScriptRun::State::Cancelled);
}

INSTANTIATE_TEST_SUITE_P(Blocked, ScriptCancelOnClose,
                         ::testing::Values("term.Wait('never');", "sys.Sleep(600000);",
                                           "while (1) {}", "sys.System('sleep 100');"));

// term.SendZModem hands the file to the session's sender; rz in the Telnet
// server's shell receives it.
TEST_F(SessionScriptTest, SendZModemSendsTheFileToRz) {
    ASSERT_EQ(access(TAMSIVANE_TELNETD, X_OK), 0) << "the Telnet server is not installed";
    ASSERT_EQ(access("/usr/bin/rz", X_OK), 0) << "lrzsz is not installed";
    ListeningProgram server({TAMSIVANE_ACCEPT_EXEC, TAMSIVANE_TELNETD, "-E", "/bin/sh"});
    ASSERT_GT(server.Port(), 0);
    const std::string host = folder.File("host");
    ASSERT_EQ(mkdir(host.c_str(), 0700), 0);
    std::string data;
    for (int i = 0; i < 70000; ++i) data += static_cast<char>(i * 7);
    const std::string path = folder.File("data.bin");
    std::ofstream(path, std::ios::binary) << data;
    Configure([&](SettingsStore& s) {
        s.SetNumber(P::HostType, 0);
        s.SetString(P::HostName, "127.0.0.1");
        s.SetNumber(P::Port, server.Port());
        s.SetString(P::ZModemInit, "cd " + host + " && rz<CR>");
    });
    ASSERT_TRUE(session.OpenConnection(CVT420Doc::Connect::Now));
    ASSERT_TRUE(WaitForState(TransportState::Connected));

    const std::shared_ptr<ScriptRun> run =
        session.RunScriptText("term.SendZModem('" + path + "');");
    ASSERT_TRUE(run->WaitUntilEnded(std::chrono::steady_clock::now() + 20s));
    EXPECT_EQ(run->Result(), ScriptRun::State::Finished);
    EXPECT_TRUE(WaitFor([&] { return !session.TransferActive(); }, 60s));
    EXPECT_EQ(session.FailedTransfers(), 0);
    std::ifstream received(host + "/data.bin", std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(received), {}) == data);
    EXPECT_TRUE(user.Messages().empty());
}

// The default login script against a login service that reads the password
// without echo.
class LoginScriptTest : public SessionScriptTest {
protected:
    void Login(const std::string& password) {
        ASSERT_EQ(access(TAMSIVANE_TELNETD, X_OK), 0) << "the Telnet server is not installed";
        server_ = std::make_unique<ListeningProgram>(std::vector<std::string>{
            TAMSIVANE_ACCEPT_EXEC, TAMSIVANE_TELNETD, "-E", TAMSIVANE_FAKE_LOGIN});
        ASSERT_GT(server_->Port(), 0);
        const int port = server_->Port();
        Configure([&](SettingsStore& s) {
            s.SetNumber(P::HostType, 0);
            s.SetString(P::HostName, "127.0.0.1");
            s.SetNumber(P::Port, port);
            s.SetNumber(P::LoginScript, 1);
            s.SetString(P::UserID, "alice");
            s.SetString(P::Password, password);
        });
        ASSERT_TRUE(session.OpenConnection(CVT420Doc::Connect::Now));
    }

private:
    std::unique_ptr<ListeningProgram> server_;
};

TEST_F(LoginScriptTest, RightPasswordLogsIn) {
    Login("secret");
    EXPECT_TRUE(WaitForScreen("Welcome")) << ScreenText();
    EXPECT_EQ(ScreenText().find("secret"), std::string::npos);
}

TEST_F(LoginScriptTest, WrongPasswordIsRefused) {
    Login("guess");
    EXPECT_TRUE(WaitForScreen("Login incorrect")) << ScreenText();
}

TEST_F(LoginScriptTest, NoLoginScriptWithoutConnecting) {
    Configure([](SettingsStore& s) {
        s.SetNumber(P::HostType, 2);
        s.SetNumber(P::LoginScript, 1);
        s.SetString(P::Script, "sys.MessageBox('login');");
    });
    ASSERT_TRUE(session.OpenConnection(CVT420Doc::Connect::Later));
    EXPECT_FALSE(WaitFor([&] { return !user.Messages().empty(); }, 300ms));
    ASSERT_TRUE(session.Reconnect() || session.CreateTransport(false, CVT420Doc::Connect::Now));
    EXPECT_TRUE(WaitForMessage("login"));
}

} // namespace
} // namespace tamsivane::testing
