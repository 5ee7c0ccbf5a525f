#include "app/DesktopStartup.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/CNewConnectionDlg.h"
#include "app/DesktopUser.h"
#include "app/ToolBarIcons.h"
#include "app/QSettingsProfile.h"
#include "config/RecentList.h"
#include "config/ResourceStrings.h"
#include "config/Templates.h"
#include "emulator/LineText.h"
#include "platform/DefaultHandlers.h"
#include "platform/FaultHandler.h"
#include "platform/Paths.h"
#include "platform/SafeFile.h"
#include "platform/UserLocale.h"
#include "session/CVT420Doc.h"
#include "platform/Terminfo.h"
#include "session/StartupArgs.h"
#include "session/SessionObserver.h"
#include "view/CVT420View.h"

namespace tamsivane {

const char* const kNoDisplayMessage =
    "tamsivane: no display to show windows on (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM "
    "are not set).\nUse tamsivane-cli to run sessions without windows, e.g. "
    "\"tamsivane-cli run telnet://HOST\".\n";

namespace {

constexpr const char* kDesktopEntry = "tamsivane.desktop";
constexpr size_t kMaxReportSize = 64 * 1024;
constexpr size_t kMaxReplaySize = 4 * 1024 * 1024;
constexpr int kMaxQuitAfterSeconds = 24 * 24 * 3600; // within a timer's milliseconds

QString FromLocal(const std::string& path) { return QFile::decodeName(path.c_str()); }
std::string ToLocal(const QString& path) { return QFile::encodeName(path).toStdString(); }

// Faults are reported on standard error, into the user's data folder, and in
// a box shown by a second start of this program, unless no one could see
// the box (the offscreen platform), where it would wait for ever.
void InstallFaultReporting() {
    FaultHandlerSetup setup;
    const std::string folder = UserDataFolder();
    if (MakeFolders(folder)) setup.reportFile = folder + "/fault-report.txt";
    const std::string program = ProgramFolder() + "/tamsivane";
    if (RegularFileExists(program) && QGuiApplication::platformName() != "offscreen") {
        setup.showProgram = program;
    }
    InstallFaultHandlers(setup);
}

void ShowRecentFiles(CMainFrame& frame, AppProfile& profile) {
    QStringList paths;
    for (const std::string& path : RecentFiles(profile).Load()) paths << FromLocal(path);
    frame.SetRecentFiles(paths);
}

// A local-shell session running the command line's program, its window
// filling the main window.  The program's words are its title and, should
// the user save the session, its command line.
CChildFrame* OpenProgram(CMainFrame& frame, const Templates& templates,
                         const std::vector<std::string>& program) {
    std::shared_ptr<CVT420Doc> doc = frame.CreateDocument();
    doc->LoadNewSession(templates, ConnectionValues{static_cast<int32_t>(TransportType::Shell),
                                                    ShellQuoted(program), 0});
    doc->SetProgram(program);
    CChildFrame* opened = frame.OpenPreparedSession(std::move(doc));
    if (opened != nullptr) opened->showMaximized();
    return opened;
}

// The session the command line asks for; the session of a setup file, whose
// window state the main window takes, or nullptr.
CVT420Doc* OpenRequested(CMainFrame& frame, const Templates& templates,
                         const StartupRequest& request) {
    CChildFrame* opened = nullptr;
    switch (request.open) {
    case StartupRequest::Open::Nothing: return nullptr;
    case StartupRequest::Open::SetupFile:
        frame.SetOpenWithoutConnecting(request.noConnect);
        opened = frame.OpenSetupFile(FromLocal(request.setupFile));
        break;
    case StartupRequest::Open::Telnet:
        opened = frame.OpenNewSession(
            ConnectionValues{static_cast<int32_t>(TransportType::Telnet), request.host,
                             request.port});
        break;
    case StartupRequest::Open::Program:
        opened = OpenProgram(frame, templates, request.program);
        break;
    }
    CVT420Doc* doc = opened != nullptr ? frame.ActiveDocument() : nullptr;
    if (doc == nullptr) return nullptr;
    if (!request.script.empty()) frame.RunScript(*doc, ScriptRequest{true, request.script});
    return request.open == StartupRequest::Open::SetupFile ? doc : nullptr;
}

// A loop-back session that shows the host bytes of a file.
void OpenReplay(CMainFrame& frame, UserNotifier& user, const std::string& path) {
    std::string bytes;
    std::string error;
    if (!ReadWholeFile(path, kMaxReplaySize, bytes, error)) {
        user.ShowMessage(Msg::FileNotRead, FormatResource(Msg::FileNotRead, {path, error}));
        return;
    }
    if (frame.OpenNewSession(ConnectionValues{static_cast<int32_t>(TransportType::Local), "", 0}) ==
        nullptr) {
        return;
    }
    if (CVT420Doc* doc = frame.ActiveDocument()) doc->Send(bytes);
}

// Calls quit on the GUI thread once the session's connection has ended,
// also when it ended before the watch began.
class EndWatch final : public SessionObserver {
public:
    EndWatch(std::shared_ptr<CVT420Doc> doc, QObject& context, std::function<void()> quit)
        : doc_(std::move(doc)), context_(context), quit_(std::move(quit)) {
        doc_->AddObserver(this);
        if (doc_->ConnectionState() == TransportState::Closed) DisconnectedChanged(true);
    }
    ~EndWatch() override { doc_->RemoveObserver(this); }
    EndWatch(const EndWatch&) = delete;
    EndWatch& operator=(const EndWatch&) = delete;

    void DisconnectedChanged(bool disconnected) override {
        if (disconnected) QMetaObject::invokeMethod(&context_, quit_, Qt::QueuedConnection);
    }

private:
    std::shared_ptr<CVT420Doc> doc_;
    QObject& context_;
    std::function<void()> quit_;
};

// The screenshot and the page dump; 0, or 1 when one could not be written.
int TakeSupportOutputs(CMainFrame& frame, const DesktopOptions& options) {
    int status = 0;
    if (!options.screenshot.empty() && !frame.grab().save(FromLocal(options.screenshot), "PNG")) {
        status = 1;
    }
    if (!options.dumpText.empty()) {
        std::string page;
        if (CVT420Doc* doc = frame.ActiveDocument()) {
            const SessionLock locked = doc->Locked();
            page = TextDump(locked.Emulator());
        }
        std::string error;
        if (!ReplaceFile(options.dumpText, page, error)) status = 1;
    }
    return status;
}

} // namespace

int ShowFaultReport(const std::string& path) {
    std::string text;
    std::string error;
    if (!ReadWholeFile(path, kMaxReportSize, text, error)) {
        text = FormatResource(Msg::FaultReportUnreadable, {error});
    }
    QMessageBox box(QMessageBox::Critical, kAppCaption, QString::fromUtf8(text.c_str()),
                    QMessageBox::Ok);
    box.exec();
    return 0;
}

bool HaveDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && value[0] != '\0') return true;
    }
    return false;
}

int RunDesktop(const QStringList& arguments, std::span<const std::string> programWords) {
    std::vector<std::string> words;
    for (const QString& argument : arguments) words.push_back(ToLocal(argument));
    words.insert(words.end(), programWords.begin(), programWords.end());
    const StartupCommandLine line = ParseStartupWords(words, RegularFileExists);
    if (!line.desktop.faultReport.empty()) return ShowFaultReport(line.desktop.faultReport);
    InstallFaultReporting();
    // New sessions read and write text as the user's other programs do.
    SetUtf8ByDefault(UserLocaleIsUtf8());

    // Desktops without a full icon theme of their own still have the common
    // one for the tool bar; pictures of the program's own stand in last.
    QIcon::setFallbackThemeName("Adwaita");
    QApplication::setWindowIcon(ProgramIcon());

    QSettingsProfile profile;
    DesktopUser user;
    Templates templates(DiscoverTemplateFolders());
    CMainFrame frame(profile, user, templates);
    user.SetOwner(&frame);
    user.SetScriptRequests({[&frame](int command) { frame.PostCommand(command); },
                            [&frame](const QString& path) { frame.RequestOpenSetupFile(path); }});

    ShowRecentFiles(frame, profile);
    QObject::connect(&frame, &CMainFrame::setupFileUsed, &frame, [&](const QString& path) {
        RecentFiles(profile).Add(ToLocal(path));
        ShowRecentFiles(frame, profile);
    });
    frame.SetNewConnectionHandler([&] { RunNewConnection(frame, templates); });
    DefaultHandlers(XdgFolders::FromEnvironment())
        .ClaimUnset(kDesktopEntry, {"application/x-tamsivane-setup", "x-scheme-handler/telnet"});
    // Started from the build tree: the terminal description goes where
    // curses programs find it, in and out of our sessions.
    InstallOwnTerminfoForUser();

    if (line.error) user.Notify(Msg::CommandLineError);
    frame.ShowAsProfileSays();
    // From the event loop, so that a question about the file and the
    // support options' timer work as at any other time.
    int status = 0;
    bool taken = false;
    const auto takeOutputs = [&] {
        if (taken) return;
        taken = true;
        status = TakeSupportOutputs(frame, line.desktop);
    };
    // The last screen is painted now (a paint may wait for the next
    // frame), then the outputs are taken from it.
    const auto quitAtEnd = [&] {
        if (CVT420View* view = frame.ActiveView()) {
            view->TakeWaitingUpdate();
            view->viewport()->repaint();
        }
        takeOutputs();
        QApplication::exit(0);
    };
    std::optional<EndWatch> endWatch;
    QTimer::singleShot(0, &frame, [&] {
        // A setup file brings its own window state, where it stored one.
        if (CVT420Doc* setupSession = OpenRequested(frame, templates, line.request)) {
            frame.ApplySessionWindowState(*setupSession);
        }
        if (!line.desktop.replay.empty()) OpenReplay(frame, user, line.desktop.replay);
        CChildFrame* session = frame.ActiveFrame();
        if (line.desktop.quitAtEnd && session != nullptr) {
            endWatch.emplace(session->SharedDocument(), frame, quitAtEnd);
        }
    });
    if (line.desktop.quitAfterSeconds >= 0) {
        const int seconds = std::min(line.desktop.quitAfterSeconds, kMaxQuitAfterSeconds);
        QTimer::singleShot(seconds * 1000, &frame, [&] {
            takeOutputs();
            // Ends the event loop without closing the windows, which would
            // ask before dropping connections.
            QApplication::exit(0);
        });
    }
    const int loop = QApplication::exec();
    takeOutputs();
    return status != 0 ? status : loop;
}

} // namespace tamsivane
