#include "session/CVT420Doc.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <limits>
#include <utility>

#include "config/ResourceStrings.h"
#include "config/SetupFile.h"
#include "config/Templates.h"
#include "session/TransportFactory.h"
#include "transport/CShellTransport.h"

namespace tamsivane {
namespace {

// The title of a setup file: its name without the folder and the ".qzv".
std::string FileTitle(std::string_view path) {
    const size_t slash = path.rfind('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    constexpr std::string_view kExtension = ".qzv";
    if (name.size() > kExtension.size()) {
        const std::string_view tail = name.substr(name.size() - kExtension.size());
        if (std::equal(tail.begin(), tail.end(), kExtension.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == b;
            })) {
            name.remove_suffix(kExtension.size());
        }
    }
    return std::string(name);
}

// A script's text goes to the connection this much at a time.
constexpr size_t kScriptSendPiece = 64 * 1024;
// How often a script waiting for the connection looks whether to stop.
constexpr std::chrono::milliseconds kDrainTick{50};

const uint8_t* Bytes(std::string_view text) {
    return reinterpret_cast<const uint8_t*>(text.data());
}

} // namespace

CVT420Doc::CVT420Doc(UserInteraction& user)
    : PrintingHost([&user](int id, std::string_view text) { user.ShowMessage(id, text); }),
      user_(user),
      emulator_(this) {
    PrintFrom(emulator_);
}

CVT420Doc::~CVT420Doc() {
    scripts_.CancelAll();
    CloseTransfer();
    std::shared_ptr<CTransport> transport;
    {
        std::lock_guard lock(lock_);
        transport = std::move(transport_);
    }
    if (transport) transport->Stop();
    transport.reset(); // joins the I/O thread
    std::lock_guard lock(lock_);
    emulator_.SetCaptureOpen(false);
    capture_.Close();
}

// --- opening ----------------------------------------------------------------

bool CVT420Doc::LoadSetupFile(const std::string& path) {
    SetupFileResult result;
    {
        std::lock_guard lock(lock_);
        result = tamsivane::LoadSetupFile(path, emulator_.Settings(), keys_);
    }
    if (!result.ok) {
        user_.ShowMessage(result.stringId, result.message);
        return false;
    }
    path_ = path;
    return true;
}

void CVT420Doc::LoadNewSession(const Templates& templates, const ConnectionValues& values) {
    bool loaded;
    {
        std::lock_guard lock(lock_);
        loaded = templates.Load(kDefaultTemplate, emulator_.Settings(), keys_);
        SettingsStore& settings = emulator_.Settings();
        settings.SetNumber(P::HostType, values.hostType);
        settings.SetString(P::HostName, values.hostName);
        settings.SetNumber(P::Port, values.port);
    }
    if (!loaded) user_.Notify(Msg::CannotLoadTemplate);
    path_.clear();
}

bool CVT420Doc::OpenConnection(Connect connect) {
    if (!CreateTransport(true, connect)) return false;
    if (path_.empty()) {
        PublishTitle(FormatResource(Msg::NewConnectionTitle, {PeerName()}));
    } else {
        SetTitle(FileTitle(path_));
    }
    return true;
}

bool CVT420Doc::CreateTransport(bool resetEmulator, Connect connect) {
    std::lock_guard control(controlMutex_);
    return CreateTransportLocked(resetEmulator, connect);
}

bool CVT420Doc::CreateTransportLocked(bool resetEmulator, Connect connect) {
    std::shared_ptr<CTransport> created;
    std::shared_ptr<CTransport> replaced;
    {
        std::lock_guard lock(lock_);
        SettingsStore& settings = emulator_.Settings();
        const int32_t hostType = settings.GetNumber(P::HostType);
        created = MakeTransport(hostType, *this);
        if (!created) return false;
        if (auto* shell = dynamic_cast<CShellTransport*>(created.get()); shell && !program_.empty()) {
            shell->RunProgram(program_);
        }
        // A local shell and an SSH channel end at a terminal line that makes
        // a new line of CR itself: there the automatic new-line mode, which
        // sends CR LF until the host's first CR, would give an extra line.
        if (IsTerminalLine(hostType) && settings.GetNumber(P::NewLine) == 2) {
            settings.SetNumber(P::NewLine, 0);
        }
        if (resetEmulator && !emulator_.Start()) return false;
        replaced = std::exchange(transport_, created);
    }
    if (replaced) replaced->Stop();
    replaced.reset();
    if (connect == Connect::Later) return true;
    created->Start();
    std::string loginScript;
    {
        std::lock_guard lock(lock_);
        const SettingsStore& settings = emulator_.Settings();
        if (settings.GetNumber(P::LoginScript) == 0) return true;
        loginScript = settings.GetString(P::Script);
    }
    RunScriptText(std::move(loginScript));
    return true;
}

void CVT420Doc::SetLineDevices(LineDevices lines) {
    std::lock_guard lock(lock_);
    lines_ = std::move(lines);
}

void CVT420Doc::SetProgram(std::vector<std::string> arguments) {
    std::lock_guard lock(lock_);
    program_ = std::move(arguments);
}

bool CVT420Doc::SetTerminalName(std::string_view name) {
    // Letters, digits and "-._+": what terminal names are made of, and
    // nothing a Telnet subnegotiation or an environment would misread.
    const bool plain = name.size() <= 64 && std::all_of(name.begin(), name.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) ||
               std::string_view("-._+").find(c) != std::string_view::npos;
    });
    std::lock_guard lock(lock_);
    terminalName_ = plain ? std::string(name) : std::string();
    return plain;
}

bool CVT420Doc::Reconnect() {
    std::lock_guard control(controlMutex_);
    std::shared_ptr<CTransport> old;
    {
        std::lock_guard lock(lock_);
        if (!transport_ || transport_->State() != TransportState::Closed) return false;
        old = std::move(transport_);
    }
    old.reset(); // its I/O thread has ended; this joins it
    if (!CreateTransportLocked(false, Connect::Now)) return false;
    ForEachObserver([](SessionObserver& o) { o.DisconnectedChanged(false); });
    return true;
}

bool CVT420Doc::Disconnect(Confirm confirm) {
    const std::shared_ptr<CTransport> transport = CurrentTransport();
    if (confirm == Confirm::Ask) {
        const TransportState state = transport ? transport->State() : TransportState::Idle;
        const int question = state == TransportState::Connecting  ? Msg::AbortConnectingQuestion
                             : state == TransportState::Connected ? Msg::DisconnectQuestion
                                                                  : 0;
        if (question && user_.Ask(title_, ResourceString(question), Answer::No) != Answer::Yes)
            return false;
        // A save that fails or is cancelled keeps the session, so the
        // modified settings are not lost.
        if (modified_.load() &&
            user_.Ask(title_, ResourceString(Msg::SaveSettingsQuestion), Answer::Yes) ==
                Answer::Yes &&
            !Save()) {
            return false;
        }
    }
    modified_.store(false);
    CloseTransfer();
    if (transport) transport->Stop();
    return true;
}

void CVT420Doc::StopConnection() {
    if (const std::shared_ptr<CTransport> transport = CurrentTransport()) transport->Stop();
}

bool CVT420Doc::WaitUntilShown(std::chrono::steady_clock::time_point deadline) const {
    const std::shared_ptr<CTransport> transport = CurrentTransport();
    return !transport || transport->WaitUntilDelivered(deadline);
}

TransportState CVT420Doc::ConnectionState() const {
    const std::shared_ptr<CTransport> transport = CurrentTransport();
    return transport ? transport->State() : TransportState::Idle;
}

void CVT420Doc::SetHold(bool on) {
    if (const std::shared_ptr<CTransport> transport = CurrentTransport()) transport->SetHold(on);
}

bool CVT420Doc::IsHeld() const {
    const std::shared_ptr<CTransport> transport = CurrentTransport();
    return transport && transport->IsHeld();
}

size_t CVT420Doc::WaitingBytes() const {
    const std::shared_ptr<CTransport> transport = CurrentTransport();
    return transport ? transport->Waiting() : 0;
}

void CVT420Doc::KeepAlive() {
    if (const std::shared_ptr<CTransport> transport = CurrentTransport()) transport->KeepAlive();
}

std::shared_ptr<CTransport> CVT420Doc::CurrentTransport() const {
    std::lock_guard lock(lock_);
    return transport_;
}

std::string CVT420Doc::PeerName() const {
    std::lock_guard lock(lock_);
    return transport_ ? transport_->GetName(emulator_.Settings()) : std::string();
}

// --- title and file -----------------------------------------------------------

void CVT420Doc::SetTitle(std::string_view given) {
    const std::string peer = PeerName();
    PublishTitle(CurrentTransport() ? FormatResource(Msg::ConnectionTitle, {given, peer})
                                    : std::string(given));
}

void CVT420Doc::PublishTitle(std::string title) {
    title_ = std::move(title);
    {
        std::lock_guard lock(lock_);
        SetPrintTitle(title_);
    }
    ForEachObserver([&](SessionObserver& o) { o.TitleChanged(title_); });
}

bool CVT420Doc::Save() {
    std::string path = path_;
    if (path.empty()) path = user_.ChooseSaveFile(title_);
    return !path.empty() && SaveAs(path);
}

bool CVT420Doc::SaveAs(const std::string& path) {
    // Written from copies, so the I/O thread is not held up by the disk.
    SettingsStore settings;
    KeyMap keys;
    {
        std::lock_guard lock(lock_);
        settings.CopyFrom(emulator_.Settings());
        keys = keys_;
    }
    const SetupFileResult result = SaveSetupFile(path, settings, keys);
    if (!result.ok) {
        user_.ShowMessage(result.stringId, result.message);
        return false;
    }
    path_ = path;
    modified_.store(false);
    if (savedListener_) savedListener_(path);
    return true;
}

bool CVT420Doc::SaveAsTemplate(const Templates& templates, std::string_view name) {
    SettingsStore settings;
    KeyMap keys;
    {
        std::lock_guard lock(lock_);
        settings.CopyFrom(emulator_.Settings());
        keys = keys_;
    }
    if (templates.Save(name, settings, keys)) return true;
    user_.Notify(Msg::CannotSaveTemplate);
    return false;
}

ChangeSet CVT420Doc::ApplySettings(const SettingsStore& settings, const KeyMap& keys) {
    ChangeSet changes;
    std::lock_guard lock(lock_);
    const bool settingsChanged = emulator_.Settings().CompareAndApply(settings, &changes);
    const bool keysChanged = !(keys_ == keys);
    if (keysChanged) keys_ = keys;
    if (!settingsChanged && !keysChanged) return changes;
    modified_.store(true);
    emulator_.ApplyChangeSet(changes);
    emulator_.UpdateViews();
    return changes;
}

// --- to the host ----------------------------------------------------------------

bool CVT420Doc::Send(std::string_view bytes) {
    recorder_.Record(bytes);
    std::lock_guard lock(lock_);
    return transport_ && transport_->Send(Bytes(bytes), bytes.size());
}

bool CVT420Doc::SendFromScript(std::string_view bytes, const std::function<bool()>& stop) {
    while (!bytes.empty()) {
        const std::shared_ptr<CTransport> transport = CurrentTransport();
        if (!transport || !WaitForOutputRoom(*transport, stop)) return false;
        const std::string_view piece = bytes.substr(0, kScriptSendPiece);
        {
            std::lock_guard lock(lock_);
            if (transport_ != transport || !transport->Send(Bytes(piece), piece.size()))
                return false;
        }
        bytes.remove_prefix(piece.size());
    }
    return true;
}

bool CVT420Doc::WaitForOutputRoom(const CTransport& transport, const std::function<bool()>& stop) {
    // OutputDrained takes the mutex before it wakes the waiter, so no wake-up
    // falls between the test and the wait; the tick looks at stop() and
    // the connection's end.
    std::unique_lock lock(drainMutex_);
    while (transport.OutputWaiting()) {
        if (stop() || transport.State() == TransportState::Closed) return false;
        drained_.wait_for(lock, kDrainTick);
    }
    return true;
}

void CVT420Doc::OutputDrained() {
    { std::lock_guard lock(drainMutex_); }
    drained_.notify_all();
}

void CVT420Doc::EchoLocally(std::string_view bytes) {
    std::lock_guard lock(lock_);
    if (transport_) transport_->EchoLocally(Bytes(bytes), bytes.size());
}

void CVT420Doc::ReceiveLocally(std::string_view bytes) {
    std::lock_guard lock(lock_);
    emulator_.ReceiveBlock(bytes);
}

bool CVT420Doc::SendBreak() {
    const std::shared_ptr<CTransport> transport = CurrentTransport();
    return transport && transport->SendBreak();
}

// --- capture ------------------------------------------------------------------

bool CVT420Doc::StartCapture(const std::string& path, std::string_view mode) {
    StopCapture();
    // Opened without the lock: the I/O thread does not wait for the disk.
    CaptureFile file;
    if (!file.Open(path, mode)) {
        // Kept across the message, whose output may change it.
        const int error = errno;
        user_.Notify(Msg::CannotCreateFile);
        errno = error;
        return false;
    }
    std::lock_guard lock(lock_);
    capture_ = std::move(file);
    emulator_.SetCaptureOpen(true);
    return true;
}

bool CVT420Doc::StopCapture() {
    CaptureFile file;
    {
        std::lock_guard lock(lock_);
        emulator_.SetCaptureOpen(false);
        file = std::move(capture_);
    }
    return file.Close();
}

bool CVT420Doc::IsCapturing() const {
    std::lock_guard lock(lock_);
    return capture_.IsOpen();
}

// --- history and screen ---------------------------------------------------------

void CVT420Doc::ToggleHistory() {
    std::lock_guard lock(lock_);
    SettingsStore& settings = emulator_.Settings();
    const bool wasOn = settings.GetNumber(P::History) != 0;
    settings.SetNumber(P::History, wasOn ? 0 : 1);
    if (wasOn) HistoryCleared();
}

bool CVT420Doc::HistoryOn() const {
    std::lock_guard lock(lock_);
    return emulator_.Settings().GetNumber(P::History) != 0;
}

bool CVT420Doc::CanClearHistory() const {
    std::lock_guard lock(lock_);
    return emulator_.Settings().GetNumber(P::History) != 0 &&
           emulator_.Screen().HistoryCount() > 0;
}

void CVT420Doc::ClearHistory() {
    std::lock_guard lock(lock_);
    HistoryCleared();
}

void CVT420Doc::HistoryCleared() {
    emulator_.Screen().ClearHistory();
    ForEachObserver([](SessionObserver& o) { o.ScreenChanged(-1, -1, true); });
}

void CVT420Doc::ClearDisplay() {
    std::lock_guard lock(lock_);
    emulator_.ClearScreen();
}

void CVT420Doc::ClearAll() {
    std::lock_guard lock(lock_);
    emulator_.ClearScreen();
    HistoryCleared();
}

void CVT420Doc::ResetTerminal() {
    std::lock_guard lock(lock_);
    emulator_.Screen().MarkAllChanged();
    emulator_.SoftReset();
}

std::string CVT420Doc::CursorPositionText() const {
    std::lock_guard lock(lock_);
    const CursorPosition cursor = emulator_.Cursor();
    return std::to_string(cursor.row + 1) + ":" + std::to_string(cursor.column + 1);
}

// --- printing -----------------------------------------------------------------

void CVT420Doc::PrintScreenPage() {
    int first, last;
    {
        std::lock_guard lock(lock_);
        first = PageFirstLine();
        last = first + emulator_.Screen().Lines() - 1;
    }
    PrintLines(first, last);
}

void CVT420Doc::PrintAllLines() { PrintLines(0, std::numeric_limits<int>::max()); }

void CVT420Doc::PrintLines(int first, int last) {
    PrintRequest request;
    {
        std::lock_guard lock(lock_);
        request = RequestLines(first, last);
    }
    Printer().PrintLines(std::move(request.settings), std::move(request.title),
                         std::move(request.lines));
}

void CVT420Doc::TogglePrintingMode() {
    std::lock_guard lock(lock_);
    ChangeSet changes;
    if (Printer().Mode() == PrintMode::AutoPrint) {
        changes.printModeOff = 1;
    } else {
        changes.printModeOn = 1;
    }
    emulator_.ApplyChangeSet(changes);
}

// --- scripts ------------------------------------------------------------------

template <typename Start>
std::shared_ptr<ScriptRun> CVT420Doc::StartScript(Start start) {
    // Started and watched under the lock, so that no received byte falls
    // between the two.
    std::shared_ptr<ScriptRun> run = start();
    emulator_.SetScriptWatch(true);
    return run;
}

std::shared_ptr<ScriptRun> CVT420Doc::RunScriptText(std::string text) {
    std::lock_guard lock(lock_);
    return StartScript([&] { return scripts_.RunText(std::move(text), ScriptOrigin::User); });
}

std::shared_ptr<ScriptRun> CVT420Doc::RunScriptFile(std::string path) {
    std::lock_guard lock(lock_);
    return StartScript([&] { return scripts_.RunFile(std::move(path), ScriptOrigin::User); });
}

void CVT420Doc::RunHostScript(std::string_view data, bool isFileName) {
    HostScriptRequest request{std::string(data), isFileName};
    switch (hostScripts_.Request(request, scripts_.HostScriptRunning())) {
    case HostScriptGate::Verdict::Run:
        StartHostScript(std::move(request));
        break;
    case HostScriptGate::Verdict::Ask:
    case HostScriptGate::Verdict::Dropped:
        ForEachObserver([](SessionObserver& o) { o.HostScriptQuestionChanged(); });
        break;
    case HostScriptGate::Verdict::Refused:
        ReportFromHost(Msg::HostScriptRefused, ResourceString(Msg::HostScriptRefused));
        break;
    case HostScriptGate::Verdict::Busy:
        ReportFromHost(Msg::HostScriptBusy, ResourceString(Msg::HostScriptBusy));
        break;
    }
}

void CVT420Doc::StartHostScript(HostScriptRequest request) {
    StartScript([&] {
        return request.isFileName ? scripts_.RunFile(std::move(request.data), ScriptOrigin::Host)
                                  : scripts_.RunText(std::move(request.data), ScriptOrigin::Host);
    });
}

void CVT420Doc::SetHostScriptPolicy(HostScriptPolicy policy) {
    std::lock_guard lock(lock_);
    hostScripts_.SetPolicy(policy);
}

std::optional<HostScriptGate::Question> CVT420Doc::PendingHostScript() const {
    std::lock_guard lock(lock_);
    return hostScripts_.Pending();
}

void CVT420Doc::AnswerHostScript(HostScriptAnswer answer) {
    std::lock_guard lock(lock_);
    std::optional<HostScriptRequest> request = hostScripts_.Answer(answer);
    ForEachObserver([](SessionObserver& o) { o.HostScriptQuestionChanged(); });
    // No host script runs while one waits for an answer.
    if (request) StartHostScript(std::move(*request));
}

void CVT420Doc::DismissHostNotice() {
    hostNotice_.Clear();
    ForEachObserver([](SessionObserver& o) { o.HostNoticeChanged(); });
}

void CVT420Doc::ReportFromHost(int stringId, std::string_view text) {
    const int count = hostNotice_.Add(text);
    bool shown = false;
    ForEachObserver([&](SessionObserver& o) { shown = o.HostNoticeChanged() || shown; });
    if (!shown && count == 1) user_.ShowMessage(stringId, text);
}

bool CVT420Doc::OfferToScripts(uint8_t byte) { return scripts_.Offer(byte); }

// --- views ----------------------------------------------------------------------

void CVT420Doc::AddObserver(SessionObserver* observer) {
    std::lock_guard lock(observersMutex_);
    if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
        observers_.push_back(observer);
    }
}

void CVT420Doc::RemoveObserver(SessionObserver* observer) {
    std::lock_guard lock(observersMutex_);
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer),
                     observers_.end());
}

// --- what the transport and the emulator ask of the session ---------------------

void CVT420Doc::SentBytes(const uint8_t* data, size_t length) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), length);
    ForEachObserver([&](SessionObserver& o) { o.SentToHost(bytes); });
}

void CVT420Doc::StateChanged(TransportState state) {
    ForEachObserver([&](SessionObserver& o) { o.StateChanged(state); });
}

void CVT420Doc::ConnectionEnded() {
    {
        std::lock_guard lock(lock_);
        if (transfer_) transfer_->ConnectionLost();
    }
    ForEachObserver([](SessionObserver& o) { o.DisconnectedChanged(true); });
}

void CVT420Doc::Capture(std::string_view text) { capture_.Write(text); }

void CVT420Doc::SendToHost(std::string_view bytes) {
    if (transport_) transport_->Send(Bytes(bytes), bytes.size());
}

void CVT420Doc::Bell() {
    ForEachObserver([](SessionObserver& o) { o.Bell(); });
}

void CVT420Doc::ScreenChanged(int firstRow, int lastRow, bool historyChanged) {
    ForEachObserver(
        [&](SessionObserver& o) { o.ScreenChanged(firstRow, lastRow, historyChanged); });
}

void CVT420Doc::LayoutChanged() {
    ForEachObserver([](SessionObserver& o) { o.LayoutChanged(); });
}

void CVT420Doc::CommunicationChanged() {
    if (transport_) transport_->ApplySettings(emulator_.Settings());
}

void CVT420Doc::PageSizeChanged(int, int) {
    if (transport_) transport_->UpdateWindowSize();
}

} // namespace tamsivane
