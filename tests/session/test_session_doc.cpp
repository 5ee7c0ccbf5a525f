// The session document on loop-back and Telnet connections: opening from a
// template or a setup file, titles, the disconnect questions, reconnecting,
// capture files and the history commands.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "SessionFixture.h"
#include "TestPeers.h"
#include "config/SetupFile.h"

namespace tamsivane::testing {
namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Writes a setup file with the given settings on top of the defaults.
template <typename Change>
void WriteSetupFile(const std::string& path, Change change) {
    SettingsStore settings;
    change(settings);
    ASSERT_TRUE(SaveSetupFile(path, settings, KeyMap()).ok);
}

TEST_F(SessionTest, NewSessionTakesTheDefaultTemplateThenTheConnection) {
    WriteSetupFile(folder.File("default.qzv"), [](SettingsStore& s) {
        s.SetPageGeometry(132, 24, 1);
        s.SetString(P::HostName, "template-host");
    });
    session.LoadNewSession(Templates({{folder.Path()}, folder.Path()}),
                           {static_cast<int32_t>(TransportType::Local), "", 23});
    ASSERT_TRUE(session.OpenConnection(CVT420Doc::Connect::Now));
    EXPECT_EQ(session.Title(), "New Connection to Echo");
    EXPECT_EQ(view.Titles(), std::vector<std::string>{"New Connection to Echo"});
    ASSERT_TRUE(WaitForState(TransportState::Connected));
    {
        const SessionLock locked = session.Locked();
        EXPECT_EQ(locked.Settings().GetNumber(P::Columns), 132);
        EXPECT_EQ(locked.Settings().GetString(P::HostName), "");
    }
    // What is sent comes back through the emulator.
    ASSERT_TRUE(session.Send("typed\r\n\x1b[2Cback"));
    EXPECT_TRUE(WaitForScreen("typed\n  back")) << ScreenText();
    EXPECT_EQ(view.Sent(), "typed\r\n\x1b[2Cback");
    EXPECT_TRUE(user.Messages().empty());
}

TEST_F(SessionTest, NewSessionWithoutTemplateSaysSoAndKeepsTheDefaults) {
    session.LoadNewSession(Templates({{folder.Path()}, folder.Path()}),
                           {static_cast<int32_t>(TransportType::Telnet), "far.example", 2323});
    EXPECT_EQ(user.Messages(), std::vector<std::string>{"Cannot load settings from template."});
    const SessionLock locked = session.Locked();
    const SettingsStore& settings = locked.Settings();
    EXPECT_EQ(settings.GetNumber(P::Columns), 80);
    EXPECT_EQ(settings.GetString(P::HostName), "far.example");
    EXPECT_EQ(settings.GetNumber(P::Port), 2323);
}

TEST_F(SessionTest, SetupFileOpensWithTheTitleRule) {
    const std::string path = folder.File("Lab Host.QZV");
    WriteSetupFile(path, [](SettingsStore& s) {
        s.SetNumber(P::HostType, 2);
        s.SetString(P::AnswerBack, "from file");
    });
    ASSERT_TRUE(session.LoadSetupFile(path));
    // Opened without connecting: the transport exists but stays idle, and
    // there is nothing to reconnect.
    ASSERT_TRUE(session.OpenConnection(CVT420Doc::Connect::Later));
    EXPECT_EQ(session.Title(), "Lab Host : Connection to Echo");
    EXPECT_EQ(session.PathName(), path);
    EXPECT_EQ(session.ConnectionState(), TransportState::Idle);
    EXPECT_FALSE(session.CanReconnect());
    EXPECT_FALSE(session.Reconnect());
    const SessionLock locked = session.Locked();
    EXPECT_EQ(locked.Settings().GetString(P::AnswerBack), "from file");
}

TEST_F(SessionTest, BrokenSetupFileIsReportedAndChangesNothing) {
    const std::string path = folder.File("broken.qzv");
    std::ofstream(path) << "QZV V3.00 Setup File, or so it says";
    Configure([](SettingsStore& s) { s.SetString(P::AnswerBack, "kept"); });
    EXPECT_FALSE(session.LoadSetupFile(path));
    ASSERT_EQ(user.Messages().size(), 1u);
    EXPECT_NE(user.Messages()[0].find(path), std::string::npos) << user.Messages()[0];
    EXPECT_EQ(session.PathName(), "");
    const SessionLock locked = session.Locked();
    EXPECT_EQ(locked.Settings().GetString(P::AnswerBack), "kept");
}

// A program's stream scrolling by: the page ends on its last lines and the
// history holds the SaveLines lines before them, none lost or doubled.
TEST_F(SessionTest, AProgramsStreamEndsOnItsLastLinesWithTheHistoryBehind) {
    constexpr int kCount = 20000;
    Configure([](SettingsStore& s) { s.SetNumber(P::HostType, 7); });
    session.SetProgram({"seq", "1", std::to_string(kCount)});
    ASSERT_TRUE(session.OpenConnection(CVT420Doc::Connect::Now));
    ASSERT_TRUE(WaitForState(TransportState::Closed));
    const SessionLock locked = session.Locked();
    const ScreenBuffer& screen = locked.Screen();
    const int saved = locked.Settings().GetNumber(P::SaveLines);
    ASSERT_EQ(screen.HistoryCount(), saved);
    // Every shown row, history first: the numbers up to kCount, then the
    // empty row the cursor stands on.
    const int rows = saved + screen.Lines();
    for (int row = 0; row < rows; ++row) {
        DisplayLine line;
        ASSERT_TRUE(screen.LineForDisplay(row, line));
        std::string text;
        for (int column = 0; column < 8 && line.codes[column] != ' '; ++column) {
            text += static_cast<char>(line.codes[column]);
        }
        const int number = kCount - rows + 2 + row;
        EXPECT_EQ(text, row + 1 < rows ? std::to_string(number) : "") << row;
    }
}

TEST_F(SessionTest, HostTypesWithoutTransportDoNotOpen) {
    // 5 (the address book's SSH2 entries) opens an SSH session.
    for (const int32_t hostType : {4, 6, 9, -1}) {
        Configure([&](SettingsStore& s) { s.SetNumber(P::HostType, hostType); });
        EXPECT_FALSE(session.OpenConnection(CVT420Doc::Connect::Now)) << hostType;
        EXPECT_EQ(session.ConnectionState(), TransportState::Idle);
    }
}

TEST_F(SessionTest, DisconnectAsksAboutTheLiveConnectionAndTheSettings) {
    OpenLoopback();
    const std::string title = session.Title();

    // No: nothing changes.
    user.WillAnswer({Answer::No});
    EXPECT_FALSE(session.Disconnect(CVT420Doc::Confirm::Ask));
    EXPECT_EQ(session.ConnectionState(), TransportState::Connected);

    // Yes, then No to saving the modified settings: the session goes, unsaved.
    session.SetModified(true);
    user.WillAnswer({Answer::Yes, Answer::No});
    EXPECT_TRUE(session.Disconnect(CVT420Doc::Confirm::Ask));
    EXPECT_EQ(session.ConnectionState(), TransportState::Closed);
    EXPECT_FALSE(session.IsModified());

    const std::vector<Question> questions = user.Questions();
    ASSERT_EQ(questions.size(), 3u);
    for (const Question& q : questions) EXPECT_EQ(q.caption, title);
    EXPECT_EQ(questions[0].text, ResourceString(Msg::DisconnectQuestion));
    EXPECT_EQ(questions[0].defaultAnswer, Answer::No);
    EXPECT_EQ(questions[1].text, ResourceString(Msg::DisconnectQuestion));
    EXPECT_EQ(questions[2].text, ResourceString(Msg::SaveSettingsQuestion));
}

TEST_F(SessionTest, SaveQuestionAloneOnceTheConnectionHasEnded) {
    OpenLoopback();
    ASSERT_TRUE(session.Disconnect(CVT420Doc::Confirm::Silently));
    const std::string path = folder.File("saved.qzv");
    user.WillChooseSaveFile(path);
    Configure([](SettingsStore& s) { s.SetString(P::AnswerBack, "changed"); });
    session.SetModified(true);
    user.WillAnswer({Answer::Yes});
    EXPECT_TRUE(session.Disconnect(CVT420Doc::Confirm::Ask));
    ASSERT_EQ(user.Questions().size(), 1u);
    EXPECT_EQ(user.Questions()[0].text, ResourceString(Msg::SaveSettingsQuestion));
    EXPECT_EQ(session.PathName(), path);

    SettingsStore reread;
    KeyMap keys;
    ASSERT_TRUE(LoadSetupFile(path, reread, keys).ok);
    EXPECT_EQ(reread.GetString(P::AnswerBack), "changed");
}

TEST_F(SessionTest, FailedSaveKeepsTheSessionAndItsChanges) {
    OpenLoopback();
    user.WillChooseSaveFile(folder.File("no-such-folder/saved.qzv"));
    session.SetModified(true);
    user.WillAnswer({Answer::Yes, Answer::Yes});
    EXPECT_FALSE(session.Disconnect(CVT420Doc::Confirm::Ask));
    EXPECT_TRUE(session.IsModified());
    EXPECT_EQ(session.ConnectionState(), TransportState::Connected);
    ASSERT_EQ(user.Messages().size(), 1u);
    EXPECT_NE(user.Messages()[0].find("no-such-folder"), std::string::npos);

    // Choosing no file cancels the same way.
    user.WillChooseSaveFile("");
    user.WillAnswer({Answer::Yes, Answer::Yes});
    EXPECT_FALSE(session.Disconnect(CVT420Doc::Confirm::Ask));
    EXPECT_TRUE(session.IsModified());

    // A script's disconnect asks nothing and drops the mark.
    EXPECT_TRUE(session.Disconnect(CVT420Doc::Confirm::Silently));
    EXPECT_FALSE(session.IsModified());
    EXPECT_EQ(session.ConnectionState(), TransportState::Closed);
    EXPECT_EQ(user.Questions().size(), 4u);
}

TEST_F(SessionTest, AbortingAConnectionStillBeingMade) {
    // A proxy that accepts but never greets keeps the session connecting.
    Listener proxy;
    Configure([&](SettingsStore& s) {
        s.SetNumber(P::HostType, 0);
        s.SetString(P::HostName, "far.example");
        s.SetString(P::Proxy, "127.0.0.1");
        s.SetNumber(P::Speed, proxy.Port());
    });
    ASSERT_TRUE(session.OpenConnection(CVT420Doc::Connect::Now));
    ASSERT_TRUE(proxy.Accept());
    EXPECT_EQ(session.Title(), "New Connection to far.example");
    user.WillAnswer({Answer::No, Answer::Yes});
    EXPECT_FALSE(session.Disconnect(CVT420Doc::Confirm::Ask));
    EXPECT_EQ(session.ConnectionState(), TransportState::Connecting);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(session.Disconnect(CVT420Doc::Confirm::Ask));
    EXPECT_LT(std::chrono::steady_clock::now() - start, kPromptLimit);
    EXPECT_EQ(session.ConnectionState(), TransportState::Closed);
    ASSERT_EQ(user.Questions().size(), 2u);
    EXPECT_EQ(user.Questions()[1].text, ResourceString(Msg::AbortConnectingQuestion));
    // Cancelled by the user: no "Cannot connect" message.
    EXPECT_TRUE(user.Messages().empty());
}

TEST_F(SessionTest, ReconnectAfterTheHostClosedKeepsTheScreen) {
    Listener host;
    ConnectTo(host);
    host.Write("first visit\r\n");
    ASSERT_TRUE(WaitForScreen("first visit"));
    host.CloseConnection();
    ASSERT_TRUE(WaitForState(TransportState::Closed));
    ASSERT_TRUE(WaitFor([&] { return view.DisconnectMarks() == std::vector{true}; }));
    EXPECT_TRUE(session.CanReconnect());

    ASSERT_TRUE(session.Reconnect());
    EXPECT_EQ(view.DisconnectMarks(), (std::vector{true, false}));
    ASSERT_TRUE(host.Accept());
    host.Write("second visit");
    EXPECT_TRUE(WaitForScreen("first visit\nsecond visit")) << ScreenText();
    ASSERT_TRUE(session.Send("hi"));
    EXPECT_NE(host.Read(2).find("hi"), std::string::npos);
    // Only an ended connection is replaced.
    EXPECT_FALSE(session.Reconnect());
    EXPECT_TRUE(user.Messages().empty());
}

TEST_F(SessionTest, RefusedConnectionIsReportedAndCanBeRetried) {
    const int port = UnusedPort();
    Configure([&](SettingsStore& s) {
        s.SetNumber(P::HostType, 0);
        s.SetString(P::HostName, "127.0.0.1");
        s.SetNumber(P::Port, port);
    });
    ASSERT_TRUE(session.OpenConnection(CVT420Doc::Connect::Now));
    ASSERT_TRUE(WaitForState(TransportState::Closed));
    ASSERT_TRUE(WaitFor([&] { return view.DisconnectMarks().size() == 1; }));
    EXPECT_EQ(user.Messages(),
              std::vector<std::string>{"Cannot connect to remote host.\n127.0.0.1 port " +
                                       std::to_string(port) + ": connection refused"});
    EXPECT_TRUE(session.Reconnect());
    EXPECT_TRUE(WaitFor([&] { return user.Messages().size() == 2; }));
}

TEST_F(SessionTest, CaptureFilesHoldWhatWasReceived) {
    OpenLoopback();
    const std::string path = folder.File("capture.txt");
    std::ofstream(path) << "old contents";
    ASSERT_TRUE(session.StartCapture(path));
    EXPECT_TRUE(session.IsCapturing());
    // Displayed text in the ANSI code page; CR and escape sequences leave nothing.
    ASSERT_TRUE(session.Send("caf\xe9\r\n\x1b[1mbold\x1b[m\tx\r\n"));
    ASSERT_TRUE(WaitForScreen("bold    x"));
    EXPECT_TRUE(session.StopCapture());
    EXPECT_FALSE(session.IsCapturing());
    EXPECT_EQ(ReadFile(path), "caf\xe9\nbold    x\n");

    // With CaptureDebug every byte, controls by name, appended this time.
    Configure([](SettingsStore& s) { s.SetNumber(P::CaptureDebug, 1); });
    ASSERT_TRUE(session.StartCapture(path, "a"));
    ASSERT_TRUE(session.Send("\x1b[7mA\x9b" "1m\r\n"));
    ASSERT_TRUE(WaitForScreen("\nA"));
    EXPECT_TRUE(session.StopCapture());
    EXPECT_EQ(ReadFile(path), "caf\xe9\nbold    x\n<ESC>[7mA<CSI>1m<CR><LF>");

    // Nothing more is written once it is closed.
    ASSERT_TRUE(session.Send("after"));
    ASSERT_TRUE(WaitForScreen("after"));
    EXPECT_EQ(ReadFile(path).find("after"), std::string::npos);
    EXPECT_TRUE(user.Messages().empty());
}

TEST_F(SessionTest, CaptureThatCannotBeCreatedStaysOff) {
    OpenLoopback();
    EXPECT_FALSE(session.StartCapture(folder.File("missing/capture.txt")));
    EXPECT_FALSE(session.IsCapturing());
    EXPECT_EQ(user.Messages(), std::vector<std::string>{"Cannot create the file."});
    // Only writing modes are taken.
    EXPECT_FALSE(session.StartCapture(folder.File("capture.txt"), "r"));
    EXPECT_FALSE(session.IsCapturing());
}

TEST_F(SessionTest, TelnetOptionTraceGoesToTheDebugCapture) {
    Listener host;
    Configure([&](SettingsStore& s) {
        s.SetNumber(P::HostType, 0);
        s.SetString(P::HostName, "127.0.0.1");
        s.SetNumber(P::Port, host.Port());
        s.SetNumber(P::CaptureDebug, 1);
    });
    const std::string path = folder.File("trace.txt");
    ASSERT_TRUE(session.StartCapture(path));
    ASSERT_TRUE(session.OpenConnection(CVT420Doc::Connect::Now));
    ASSERT_TRUE(host.Accept());
    host.Write("\xff\xfd\x18" "ok");
    ASSERT_TRUE(WaitForScreen("ok"));
    ASSERT_TRUE(session.StopCapture());
    EXPECT_EQ(ReadFile(path), "<OP 253 24>ok");
}

TEST_F(SessionTest, HistoryCommands) {
    Configure([](SettingsStore& s) {
        s.SetNumber(P::History, 1);
        s.SetNumber(P::SaveLines, 100);
    });
    OpenLoopback();
    std::string lines;
    for (int i = 0; i < 30; ++i) lines += "line " + std::to_string(i) + "\r\n";
    ASSERT_TRUE(session.Send(lines));
    ASSERT_TRUE(WaitForScreen("line 29"));
    EXPECT_TRUE(session.HistoryOn());
    EXPECT_TRUE(session.CanClearHistory());

    const int relayouts = view.Relayouts();
    session.ClearHistory();
    EXPECT_FALSE(session.CanClearHistory());
    EXPECT_GT(view.Relayouts(), relayouts);
    EXPECT_NE(ScreenText().find("line 29"), std::string::npos);

    // Switching the history off clears it; on again keeps new lines.
    ASSERT_TRUE(session.Send(lines));
    ASSERT_TRUE(WaitFor([&] { return session.CanClearHistory(); }));
    session.ToggleHistory();
    EXPECT_FALSE(session.HistoryOn());
    EXPECT_FALSE(session.CanClearHistory());
    session.ToggleHistory();
    EXPECT_TRUE(session.HistoryOn());

    // Clear All empties the display and the history; the cursor goes home.
    ASSERT_TRUE(session.Send(lines));
    ASSERT_TRUE(WaitFor([&] { return session.CanClearHistory(); }));
    session.ClearAll();
    EXPECT_FALSE(session.CanClearHistory());
    EXPECT_EQ(ScreenText().find_first_not_of('\n'), std::string::npos);
    EXPECT_EQ(session.CursorPositionText(), "1:1");
}

TEST_F(SessionTest, ResetAndClearDisplayKeepTheConnection) {
    OpenLoopback();
    ASSERT_TRUE(session.Send("\x1b[1mtext\x1b[3;5H"));
    ASSERT_TRUE(WaitFor([&] { return session.CursorPositionText() == "3:5"; }));
    session.ResetTerminal();
    {
        const SessionLock locked = session.Locked();
        EXPECT_EQ(locked.Emulator().CurrentAttribute(), CellAttribute());
    }
    session.ClearDisplay();
    EXPECT_EQ(ScreenText().find("text"), std::string::npos);
    EXPECT_EQ(session.CursorPositionText(), "1:1");
    EXPECT_EQ(session.ConnectionState(), TransportState::Connected);
}

TEST_F(SessionTest, ClosingWhileReceivingStopsTheThreadFirst) {
    // The document goes while its I/O thread is busy delivering and a
    // capture file is open; the sanitizers watch the order.
    auto doc = std::make_unique<CVT420Doc>(user);
    {
        const SessionLock locked = doc->Locked();
        locked.Settings().SetNumber(P::HostType, 2);
    }
    const std::string path = folder.File("busy.txt");
    ASSERT_TRUE(doc->StartCapture(path));
    ASSERT_TRUE(doc->OpenConnection(CVT420Doc::Connect::Now));
    ASSERT_TRUE(WaitFor([&] { return doc->ConnectionState() == TransportState::Connected; }));
    for (int i = 0; i < 50; ++i) doc->Send(std::string(200, 'x') + "\r\n");
    doc.reset();
    // The capture file was closed with what had been displayed: whole lines,
    // and the line the stop cut short (received blocks do not end at lines).
    const std::string captured = ReadFile(path);
    EXPECT_EQ(captured.find_first_not_of("x\n"), std::string::npos);
    size_t start = 0;
    for (size_t end; (end = captured.find('\n', start)) != std::string::npos; start = end + 1)
        EXPECT_EQ(end - start, 200u);
    EXPECT_LE(captured.size() - start, 200u);
}

} // namespace
} // namespace tamsivane::testing
