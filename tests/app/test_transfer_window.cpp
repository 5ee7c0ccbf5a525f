// The "File Transfer Status" window over whole sessions against the Telnet
// server, whose shell runs sz or rz: what it shows, "Abort Transfer", the
// end by force after an abort, "Error!" kept on view until closed, the
// keyboard left with the terminal, the receive folder opened afterwards, and
// the Receive and Send commands.
#include <QDesktopServices>
#include <QFileDialog>
#include <QLineEdit>
#include <QTimer>

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <fstream>
#include <iterator>

#include "FrameFixture.h"
#include "ScopedVariable.h"
#include "UrlCatcher.h"
#include "app/CommandActions.h"
#include "app/TransferMonitor.h"
#include "view/CVT420View.h"

namespace tamsivane::testing {
namespace {

using Field = CTransferStatusDlg::Field;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Pattern(size_t n) {
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>((i * 7) ^ (i >> 9));
    return bytes;
}

// Holds a process stopped until it goes out of scope, so that a transfer
// to it cannot end before the test lets it.
class HeldProcess {
public:
    explicit HeldProcess(pid_t pid) : pid_(pid), held_(pid > 0 && kill(pid, SIGSTOP) == 0) {}
    ~HeldProcess() { Release(); }
    HeldProcess(const HeldProcess&) = delete;
    HeldProcess& operator=(const HeldProcess&) = delete;
    bool Held() const { return held_; }
    void Release() {
        if (held_) kill(pid_, SIGCONT);
        held_ = false;
    }

private:
    pid_t pid_;
    bool held_;
};

// What the status window showed, one line per change: "file|bytes|size".
class WindowWatch {
public:
    explicit WindowWatch(TransferMonitor& monitor) {
        QObject::connect(&monitor, &TransferMonitor::windowOpened, &context_,
                         [this](CTransferStatusDlg* window) {
                             ++opened;
                             protocol = window->FieldText(Field::Protocol);
                             title = window->windowTitle();
                             QObject::connect(window, &CTransferStatusDlg::changed, &context_,
                                              [this, window] {
                                                  shown << window->FieldText(Field::File) + "|" +
                                                               window->FieldText(Field::Bytes) +
                                                               "|" + window->FieldText(Field::Size);
                                              });
                         });
    }

    // The "Bytes Transfered:" texts shown, in order.
    QStringList Bytes() const {
        QStringList bytes;
        for (const QString& line : shown) bytes << line.section('|', 1, 1);
        return bytes;
    }

    int opened = 0;
    QString protocol;
    QString title;
    QStringList shown;

private:
    QObject context_;
};

class TransferWindowTest : public FrameTest {
protected:
    void SetUp() override {
        ASSERT_EQ(access(TAMSIVANE_TELNETD, X_OK), 0) << "the Telnet server is not installed";
        ASSERT_EQ(access("/usr/bin/sz", X_OK), 0) << "lrzsz is not installed";
        ::mkdir(host.c_str(), 0700);
        QDesktopServices::setUrlHandler("file", &opener, "Open");
    }
    void TearDown() override { QDesktopServices::unsetUrlHandler("file"); }

    // A session on a fresh Telnet server running a shell, changed by
    // configure before it connects.
    template <typename Configure>
    CChildFrame* OpenShell(Configure configure) {
        server = std::make_unique<ListeningProgram>(
            std::vector<std::string>{TAMSIVANE_ACCEPT_EXEC, TAMSIVANE_TELNETD, "-E", "/bin/sh"});
        EXPECT_GT(server->Port(), 0);
        frame->show();
        std::shared_ptr<CVT420Doc> doc = frame->CreateDocument();
        doc->LoadNewSession(ShippedTemplates(folder.Path()),
                            ConnectionValues{static_cast<int32_t>(TransportType::Telnet),
                                             "127.0.0.1", server->Port()});
        {
            const SessionLock locked = doc->Locked();
            SettingsStore& s = locked.Settings();
            s.SetNumber(P::AutoRecv, 1);
            s.SetString(P::RecvDir, received);
            s.SetNumber(P::XferOpenRecv, 1);
            s.SetString(P::ZModemInit, "cd " + host + " && rz<CR>");
            s.SetNumber(P::XferInitPause, 0);
            configure(s);
        }
        CChildFrame* child = frame->OpenPreparedSession(doc);
        EXPECT_NE(child, nullptr);
        if (child == nullptr) return nullptr;
        watch = std::make_unique<WindowWatch>(*child->Transfers());
        EXPECT_TRUE(QTest::qWaitFor(
            [&] { return doc->ConnectionState() == TransportState::Connected; }, 10000));
        return child;
    }
    CChildFrame* OpenShell() {
        return OpenShell([](SettingsStore&) {});
    }
    static bool WaitForEnd(CChildFrame& child, int limit = 30000) {
        return QTest::qWaitFor(
            [&] {
                return !child.Document().TransferActive() && child.Transfers()->Window() == nullptr;
            },
            limit);
    }

    // Starts rz on the host so that the test can hold it: it tells its
    // process number, and the shell, without job control, neither notices
    // the stop nor takes the terminal back.
    std::string HeldRzCommand() const {
        return "set +m; cd " + host + " && sh -c 'echo $$ >rz.pid; exec rz'<CR>";
    }

    // The process number of the host's rz once it has started; 0 if it did not.
    pid_t RzStarted() const {
        pid_t pid = 0;
        const bool started = QTest::qWaitFor(
            [&] {
                pid = std::atoi(Slurp(host + "/rz.pid").c_str());
                return pid > 0;
            },
            20000);
        return started ? pid : 0;
    }

    std::string host = folder.File("host");
    std::string received = folder.File("received");
    UrlCatcher opener;
    std::unique_ptr<ListeningProgram> server;
    std::unique_ptr<WindowWatch> watch;
};

TEST_F(TransferWindowTest, AReceiveFromSzLandsInTheDownloadsShowsItsBytesThenOpensTheFolder) {
    const std::string data = Pattern(300000);
    std::ofstream(host + "/data.bin", std::ios::binary) << data;
    // The default folder: "Tamsivane" in the user's downloads.
    const ScopedVariable downloads("XDG_DOWNLOAD_DIR", folder.File("downloads"));
    received = folder.File("downloads/Tamsivane");
    CChildFrame* child = OpenShell([](SettingsStore& s) { s.SetString(P::RecvDir, "Received"); });
    ASSERT_NE(child, nullptr);
    EXPECT_TRUE(frame->Commands().IsEnabled(Command::ReceiveZModem));
    EXPECT_TRUE(frame->Commands().IsEnabled(Command::SendZModem));

    child->Document().Send("cd " + host + " && sz data.bin\r");
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch->opened == 1; }, 20000));
    ASSERT_TRUE(WaitForEnd(*child));

    EXPECT_EQ(watch->title, "File Transfer Status");
    EXPECT_EQ(watch->protocol, "ZModem");
    ASSERT_GE(watch->shown.size(), 3);
    EXPECT_EQ(watch->shown.front(), "data.bin|0|");
    EXPECT_TRUE(watch->shown.contains("data.bin|0|300000"));
    EXPECT_TRUE(watch->shown.contains("data.bin|300000|300000"));
    EXPECT_EQ(watch->shown.back(), "data.bin|Finished|300000");
    EXPECT_TRUE(Slurp(received + "/data.bin") == data);
    EXPECT_EQ(child->Document().FailedTransfers(), 0);
    EXPECT_EQ(opener.opened, QList<QUrl>({QUrl::fromLocalFile(QString::fromStdString(received))}));
    EXPECT_EQ(QApplication::focusWidget(), child->View());
    EXPECT_TRUE(frame->Commands().IsEnabled(Command::ReceiveZModem));
}

TEST_F(TransferWindowTest, AbortTransferStopsASendToRz) {
    const std::string path = folder.File("big");
    std::ofstream(path, std::ios::binary) << Pattern(64 << 20);
    // The test holds the host's rz once it has started, so that the send
    // cannot end before the abort, however fast the machine.
    CChildFrame* child = OpenShell([&](SettingsStore& s) {
        s.SetString(P::ZModemInit, HeldRzCommand());
    });
    ASSERT_NE(child, nullptr);
    child->Document().SetTransferTiming(TransferTiming{std::chrono::milliseconds(10000),
                                                       std::chrono::milliseconds(300),
                                                       std::chrono::milliseconds(10000)});
    ASSERT_TRUE(child->Document().StartSend({path}));
    HeldProcess rz(RzStarted());
    ASSERT_TRUE(rz.Held());
    ASSERT_TRUE(QTest::qWaitFor([&] { return child->Transfers()->Window() != nullptr; }, 10000));
    CTransferStatusDlg* window = child->Transfers()->Window();
    // The window beside the terminal leaves the keyboard where it was.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return QApplication::activeWindow() == frame.get(); }, 5000));
    EXPECT_EQ(QApplication::focusWidget(), child->View());
    // Closing it by hand or with Esc does not stop the transfer.
    window->close();
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(window->isVisible());
    // One transfer at a time: both commands wait for this one to end.
    EXPECT_FALSE(frame->Commands().IsEnabled(Command::ReceiveZModem));
    EXPECT_FALSE(frame->Commands().IsEnabled(Command::SendZModem));
    QTest::mouseClick(window->AbortButton(), Qt::LeftButton);
    rz.Release();
    ASSERT_TRUE(WaitForEnd(*child));
    EXPECT_TRUE(frame->Commands().IsEnabled(Command::SendZModem));
    EXPECT_EQ(watch->Bytes().back(), "Aborting ...");
    EXPECT_FALSE(watch->Bytes().contains("Finished"));
    EXPECT_EQ(child->Document().FailedTransfers(), 1);
    // An abort is no error to report, and a send opens no folder.
    EXPECT_TRUE(opener.opened.isEmpty());
}

// On a desktop with a window manager (run on a virtual X display): after a
// window change the keyboard goes back to the terminal, never stays with the
// status window or with no window at all.
TEST_F(TransferWindowTest, UnderAWindowManagerTheKeyboardStaysWithTheTerminal) {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs an X window manager";
    const std::string path = folder.File("big");
    std::ofstream(path, std::ios::binary) << Pattern(64 << 20);
    CChildFrame* child = OpenShell([&](SettingsStore& s) {
        s.SetString(P::ZModemInit, HeldRzCommand());
    });
    ASSERT_NE(child, nullptr);
    const auto terminalHasKeyboard = [&] {
        return QTest::qWaitFor(
            [&] {
                return QApplication::activeWindow() == frame.get() &&
                       QApplication::focusWidget() == child->View();
            },
            10000);
    };
    frame->activateWindow();
    ASSERT_TRUE(terminalHasKeyboard());
    ASSERT_TRUE(child->Document().StartSend({path}));
    HeldProcess rz(RzStarted());
    ASSERT_TRUE(rz.Held());
    ASSERT_TRUE(QTest::qWaitFor([&] { return child->Transfers()->Window() != nullptr; }, 10000));
    CTransferStatusDlg* window = child->Transfers()->Window();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_TRUE(terminalHasKeyboard());

    // Another window takes the keyboard and closes: the window manager hands
    // it on, and it lands with the terminal.
    QWidget other;
    other.resize(200, 100);
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == &other; }, 10000));
    other.close();
    EXPECT_TRUE(terminalHasKeyboard()) << "active: " << QApplication::activeWindow();
    EXPECT_NE(QApplication::activeWindow(), window);

    QTest::mouseClick(window->AbortButton(), Qt::LeftButton);
    rz.Release();
    ASSERT_TRUE(WaitForEnd(*child));
    EXPECT_TRUE(terminalHasKeyboard());
}

TEST_F(TransferWindowTest, AnAbortTheHostIgnoresEndsByForce) {
    // The host never answers and never falls quiet: only the bound after
    // the abort can end the transfer.
    const std::string path = folder.File("small");
    std::ofstream(path, std::ios::binary) << "x";
    CChildFrame* child = OpenShell([](SettingsStore& s) {
        s.SetString(P::ZModemInit, "while :; do echo busy; sleep 0.05; done<CR>");
    });
    ASSERT_NE(child, nullptr);
    child->Document().SetTransferTiming(TransferTiming{std::chrono::milliseconds(60000),
                                                       std::chrono::milliseconds(60000),
                                                       std::chrono::milliseconds(500)});
    ASSERT_TRUE(child->Document().StartSend({path}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return child->Transfers()->Window() != nullptr; }, 10000));
    QTest::mouseClick(child->Transfers()->Window()->AbortButton(), Qt::LeftButton);
    ASSERT_TRUE(WaitForEnd(*child, 20000));
    EXPECT_EQ(watch->Bytes().back(), "Aborting ...");
    EXPECT_EQ(child->Document().FailedTransfers(), 1);
}

TEST_F(TransferWindowTest, AFailedTransferKeepsItsWindowUntilClosed) {
    std::ofstream(host + "/data", std::ios::binary) << "payload";
    std::ofstream(folder.File("plain"), std::ios::binary) << "";
    CChildFrame* child = OpenShell([&](SettingsStore& s) {
        s.SetNumber(P::AutoRecv, 0);
        s.SetString(P::RecvDir, folder.File("plain") + "/inside");
    });
    ASSERT_NE(child, nullptr);
    int round = 0;
    const auto failOnce = [&] {
        // sz starts once the receive runs: the test makes the file the
        // host's shell waits for only then.
        const std::string go = host + "/go" + std::to_string(++round);
        child->Document().Send("cd " + host + " && stty -echo && while [ ! -e " + go +
                               " ]; do sleep 0.05; done && sz data\r");
        EXPECT_TRUE(frame->Execute(Command::ReceiveZModem));
        std::ofstream(go) << "";
        const bool over = QTest::qWaitFor(
            [&] {
                CTransferStatusDlg* window = child->Transfers()->Window();
                return !child->Document().TransferActive() && window != nullptr &&
                       window->TransferOver();
            },
            30000);
        if (!over) {
            const SessionLock locked = child->Document().Locked();
            ADD_FAILURE() << PageText(locked.Screen()) << "\nwatch: "
                          << watch->shown.join(", ").toStdString() << " active "
                          << child->Document().TransferActive();
        }
        return over;
    };
    ASSERT_TRUE(failOnce());
    QPointer<CTransferStatusDlg> window = child->Transfers()->Window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->MessageText().startsWith("Error! ")) << window->MessageText().toStdString();
    EXPECT_EQ(window->AbortButton()->text(), "Close");
    EXPECT_TRUE(opener.opened.isEmpty());
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 5000));

    // The next failure's window goes with its session; however many
    // transfers fail, one window tells of the last.
    ASSERT_TRUE(failOnce());
    window = child->Transfers()->Window();
    EXPECT_EQ(frame->findChildren<CTransferStatusDlg*>().size(), 1u);
    child->CloseApproved();
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 5000));
}

TEST_F(TransferWindowTest, SendFileTakesSeveralFilesFromItsDialog) {
    std::ofstream(folder.File("one"), std::ios::binary) << "first file";
    std::ofstream(folder.File("two"), std::ios::binary) << Pattern(5000);
    CChildFrame* child = OpenShell();
    ASSERT_NE(child, nullptr);
    QString title;
    QTimer watcher;
    watcher.callOnTimeout([&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr) return;
        watcher.stop();
        title = dialog->windowTitle();
        dialog->setDirectory(QString::fromStdString(folder.Path()));
        dialog->findChild<QLineEdit*>("fileNameEdit")->setText("\"one\" \"two\"");
        static_cast<QDialog*>(dialog)->accept();
    });
    watcher.start(10);
    EXPECT_TRUE(frame->Execute(Command::SendZModem));
    EXPECT_EQ(title, "Send File");
    ASSERT_TRUE(QTest::qWaitFor([&] { return watch->opened == 1; }, 5000));
    ASSERT_TRUE(WaitForEnd(*child));
    EXPECT_EQ(Slurp(host + "/one"), "first file");
    EXPECT_TRUE(Slurp(host + "/two") == Pattern(5000));
    EXPECT_EQ(watch->shown.back(), "two|Finished|5000");
    EXPECT_EQ(child->Document().FailedTransfers(), 0);
}

} // namespace
} // namespace tamsivane::testing

