// One open session: its emulator with the settings and key map, its
// transport and the views that watch it.  Carries the session commands that
// need no window: connecting and reconnecting, disconnecting with the user's
// consent, the title, saving, capture to a file, the history and the screen.
//
// Threads: the operations below run on the thread that drives the session
// (the GUI thread, or a script thread where noted) without the session lock
// held, unless they say otherwise.  The I/O thread reaches the session
// through TransportHost and EmulatorHost, taking the session lock around the
// emulator.  The transport is made under the session lock and stopped and
// joined without it; the emulator outlives every transport.
#pragma once

#include <functional>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "emulator/VtEmulator.h"
#include "print/PrintingHost.h"
#include "script/MacroRecorder.h"
#include "script/ScriptList.h"
#include "session/CaptureFile.h"
#include "session/HostNotice.h"
#include "session/HostScriptGate.h"
#include "session/SessionLock.h"
#include "session/SessionObserver.h"
#include "session/SessionScriptHost.h"
#include "session/UserInteraction.h"
#include "transfer/CZModemTransfer.h"
#include "transfer/TransferLink.h"
#include "transport/CTransport.h"
#include "keyboard/KeyActions.h"
#include "keyboard/KeyMap.h"
#include "keyboard/KeyboardInput.h"
#include "keyboard/PcKeys.h"

namespace tamsivane {

class Templates;

// What a new connection sets on top of the "default" template.
struct ConnectionValues {
    int32_t hostType = static_cast<int32_t>(TransportType::Telnet);
    std::string hostName;
    int port = 23;
};

class CVT420Doc final : public TransportHost, public PrintingHost, private TransferLink {
public:
    explicit CVT420Doc(UserInteraction& user);
    // Stops and joins the transport, then closes the capture file; the
    // emulator goes last.
    ~CVT420Doc() override;
    CVT420Doc(const CVT420Doc&) = delete;
    CVT420Doc& operator=(const CVT420Doc&) = delete;

    // --- opening: load the settings (a caller may adjust them), then connect.
    // Loading is for a session that has not connected yet.
    //
    // Reads a setup file; an invalid one is reported to the user (naming the
    // file) and changes nothing.
    bool LoadSetupFile(const std::string& path);
    // The "default" template ("Cannot load settings from template." and the
    // built-in settings when it cannot be read), then the connection values.
    void LoadNewSession(const Templates& templates, const ConnectionValues& values);
    // Whether a new transport starts connecting at once or waits (a session
    // opened without connecting).
    enum class Connect : uint8_t { Now, Later };
    // Creates the transport with the emulator reset and, with Connect::Now,
    // starts it (and, with LoginScript set, the login script); then titles
    // the session: after a setup file by the title rule, otherwise "New
    // Connection to <peer>".  False when HostType has no transport.
    bool OpenConnection(Connect connect);

    // Makes the transport HostType asks for (false when there is none),
    // optionally resets the emulator and, with Connect::Now, starts it.
    bool CreateTransport(bool resetEmulator, Connect connect);
    // Where the serial ports and modems are, for the transports made from now on.
    void SetLineDevices(LineDevices lines);
    // The terminal name every connection of the session tells the other end
    // (TERM, the Telnet terminal type, the SSH terminal); "" or a name that
    // is not a plain word lets each transport choose (and returns false).
    bool SetTerminalName(std::string_view name);
    // The program a local-shell session runs, with its argument vector as
    // given (no shell between), instead of HostName's command line; also on
    // reconnecting.  Before OpenConnection.
    void SetProgram(std::vector<std::string> arguments);
    // Only when the connection has ended: a new transport on the same screen.
    bool Reconnect();
    bool CanReconnect() const { return ConnectionState() == TransportState::Closed; }
    // Whether Disconnect asks the user first.
    enum class Confirm : uint8_t { Ask, Silently };
    // With Confirm::Ask, the user confirms dropping a live connection and
    // saving modified settings; false leaves everything as it was.  Then the
    // transport is stopped.
    bool Disconnect(Confirm confirm);
    // Stops the transport and nothing else: modified settings stay marked,
    // so closing still asks to save them (a script's Disconnect).
    void StopConnection();
    TransportState ConnectionState() const;
    // Without the session lock: until everything received or echoed so far
    // is on the screen (and in the capture), or the connection has ended;
    // false at the deadline.
    bool WaitUntilShown(std::chrono::steady_clock::time_point deadline) const;

    // --- title and file
    // The title rule: "<given> : Connection to <peer>" while a transport exists.
    void SetTitle(std::string_view given);
    const std::string& Title() const { return title_; }
    const std::string& PathName() const { return path_; }
    // What the transport calls its peer; empty without a transport.
    std::string PeerName() const;
    void SetModified(bool modified) { modified_.store(modified); }
    bool IsModified() const { return modified_.load(); }
    // Saves to the session's file, asking for a name when it has none;
    // failures are reported to the user.
    bool Save();
    bool SaveAs(const std::string& path);
    // Called with the path after every successful save (the desktop program
    // remembers the files it wrote).
    void SetSavedListener(std::function<void(const std::string& path)> listener) {
        savedListener_ = std::move(listener);
    }
    bool SaveAsTemplate(const Templates& templates, std::string_view name);
    // A settings dialog's result: the settings and the key map take the
    // edited values; a change marks the session modified and the emulator
    // acts on it (the transport is told of communication changes).  The
    // change set is what the views act on.
    ChangeSet ApplySettings(const SettingsStore& settings, const KeyMap& keys);

    // --- to the host (any thread but the I/O thread)
    // What the user sends (keys, paste, buttons, chat line): recorded while a
    // macro is recorded.
    bool Send(std::string_view bytes);
    // What a script sends: never recorded.  Cut into pieces, each queued
    // once the connection has written what waited before it, so a slow host
    // holds the script up rather than losing its text; false when the
    // connection refused a piece or stop() turned true while waiting.
    bool SendFromScript(std::string_view bytes, const std::function<bool()>& stop);
    void EchoLocally(std::string_view bytes);
    // Bytes shown and offered to the scripts as if the host had sent them.
    void ReceiveLocally(std::string_view bytes);
    bool SendBreak();
    // Pasted text, sent once as the emulator's PasteBytes gives it.  False
    // when nothing could be sent.
    bool PasteText(std::u16string_view text);
    // Hold Screen: received data waits in the transport while held.
    void SetHold(bool on);
    bool IsHeld() const;
    // Bytes received (or echoed) that wait to be shown, as while held.
    size_t WaitingBytes() const;
    // Keeps an idle connection open (KeepSession); nothing without a transport.
    void KeepAlive();

    // --- file transfer (the thread that drives the session or a script
    // thread; no lock held).  One transfer at a time; while it runs, typed
    // bytes are dropped and received ones go to it.
    //
    // Receives into RecvDir; false when a transfer runs or there is no transport.
    bool StartReceive();
    // Types ZModemInit, then sends the files as one batch.  A file that
    // cannot be read gives "Cannot open file for sending." and no transfer.
    bool StartSend(const std::vector<std::string>& paths);
    // The user's abort: the cancel sequence, then the end.
    void AbortTransfer();
    bool TransferActive() const;
    // Ends a running transfer and waits for it (before the connection goes).
    void CloseTransfer();
    // Transfers of this session that failed, were cancelled or were cut.
    int FailedTransfers() const { return failedTransfers_.load(); }
    // The repeat interval and the end after an abort of the transfers
    // started from now on.
    void SetTransferTiming(const TransferTiming& timing);

    // --- capture (also from script threads)
    // Closes any capture file, then opens path ("w" truncates, "a" appends);
    // "Cannot create the file." when it cannot be opened (false, with errno
    // saying why).
    bool StartCapture(const std::string& path, std::string_view mode = "w");
    // False when not everything captured could be written.
    bool StopCapture();
    bool IsCapturing() const;

    // --- history and screen
    void ToggleHistory();
    bool HistoryOn() const;
    bool CanClearHistory() const;
    void ClearHistory();
    void ClearDisplay();
    void ClearAll();
    void ResetTerminal();
    // The status bar's cursor pane: "row:column", both from 1.
    std::string CursorPositionText() const;

    // --- printing (the thread that drives the session, session lock not
    // held); the printer works on its own thread and shows failures to the
    // user.  The media copy requests of the host and the printer controller
    // print through the same printer.
    //
    // Where output goes: a printer driver's documents and the system's
    // spooler and ports, or a file.
    void SetPrintBackend(std::shared_ptr<PrintBackend> backend) {
        Printer().SetBackend(std::move(backend));
    }
    std::shared_ptr<PrintBackend> PrintBackendInUse() const { return Printer().Backend(); }
    PrintMode PrintingMode() const { return Printer().Mode(); }
    // The rows of the page (Print Page), every shown row with the history
    // (Print All), or display lines first..last (history first).
    void PrintScreenPage();
    void PrintAllLines();
    void PrintLines(int first, int last);
    // Until everything asked of the printer so far has been printed (or has
    // failed); false at the deadline.
    bool WaitUntilPrinted(std::chrono::steady_clock::time_point deadline) const {
        return Printer().WaitUntilPrinted(deadline);
    }
    // Printing Mode: starts auto print unless it is on, otherwise ends it.
    void TogglePrintingMode();

    // --- keyboard (GUI thread, session lock not held)
    // A key going down: the key map's action, sent to the host as typed or
    // handed to actions.  A key the map leaves alone lets the characters it
    // types through KeyCharacter until the next key goes down.
    void KeyDown(const PcKeyPress& press, KeyActions& actions);
    // A character typed by the last key, sent in the host's character set.
    void KeyCharacter(char32_t character, KeyActions& actions);
    // Text an input method composed, sent as typed characters.
    void ComposedText(std::u32string_view text, KeyActions& actions);
    // What a PC key code (normalised) with a modifier state does, with the
    // session's state following: the pending character, a Num Lock keypad
    // mode.  Takes the session lock.
    KeyOutcome TranslateKey(uint8_t key, uint8_t modifiers, std::optional<bool> numLockOn = {});
    // A click on the on-screen VT keyboard: VT key 1-108 with a modifier
    // state, its bytes sent as they are (no 7-bit or 8-bit conversion) or
    // its local function handed to actions.
    void PressVtKey(int vtKey, uint8_t modifiers, KeyActions& actions);

    // --- macro recording (GUI thread)
    void StartMacro() { recorder_.Start(); }
    // The recorded script; empty when nothing was sent.
    std::string StopMacro() { return recorder_.Stop(); }
    bool RecordingMacro() const { return recorder_.IsRecording(); }

    // --- scripts (any thread but the I/O thread, session lock not held)
    // Starts a script text ("<No Name>") or a script file, read on the
    // script's thread; both run until they end or the session closes.
    std::shared_ptr<ScriptRun> RunScriptText(std::string text);
    std::shared_ptr<ScriptRun> RunScriptFile(std::string path);
    // Cancels every running script and waits for it to end.
    void CancelScripts() { scripts_.CancelAll(); }

    // --- what the host starts and causes (any thread, session lock not held)
    //
    // What becomes of the scripts the host asks to run; a new session
    // refuses them.
    void SetHostScriptPolicy(HostScriptPolicy policy);
    // The request that waits for the user's answer, if any.
    std::optional<HostScriptGate::Question> PendingHostScript() const;
    // The user's answer to it; running answers start it.
    void AnswerHostScript(HostScriptAnswer answer);
    // For the scripts the host starts from now on.
    void SetHostScriptTimeLimit(std::chrono::milliseconds limit) {
        scripts_.SetHostTimeLimit(limit);
    }
    // A message the host's bytes caused: merged into the session's notice
    // (HostNotice), which a view shows; without one, each distinct text is
    // shown to the user once.
    void ReportFromHost(int stringId, std::string_view text);
    std::string HostNoticeText() const { return hostNotice_.Text(); }
    void DismissHostNotice();

    // --- views
    void AddObserver(SessionObserver* observer);
    // After it returns, the observer is called no more.
    void RemoveObserver(SessionObserver* observer);

    // --- the session lock
    // Waits for the lock and holds it while the result lives; the emulator,
    // its screen and settings and the key map are reached through it.
    SessionLock Locked() { return SessionLock(std::unique_lock(lock_), emulator_, keys_); }
    // The lock if it is free now.
    std::optional<SessionLock> TryLocked() {
        std::unique_lock lock(lock_, std::try_to_lock);
        if (!lock.owns_lock()) return std::nullopt;
        return SessionLock(std::move(lock), emulator_, keys_);
    }

    // TransportHost
    bool TransferRunning() const override; // session lock held
    void TransferReceive(const uint8_t* data, size_t length) override;
    UserNotifier& Notifier() override { return user_; }
    bool ConfirmHostKey(std::string_view question,
                        const std::function<bool()>& cancelled) override {
        return user_.ConfirmHostKey(question, cancelled);
    }
    std::optional<std::string> AskPassword(std::string_view prompt,
                                           const std::function<bool()>& cancelled) override {
        return user_.AskPassword(prompt, cancelled);
    }
    LineDevices Lines() const override { return lines_; }
    std::string TerminalName() const override { return terminalName_; }
    void SentBytes(const uint8_t* data, size_t length) override;
    void OutputDrained() override;
    bool InputWaits() const override { return Printer().Behind(); }
    void StateChanged(TransportState state) override;
    void ConnectionEnded() override;
    // TransportHost and EmulatorHost: capture output, session lock held.
    void Capture(std::string_view text) override;

    // EmulatorHost (session lock held)
    void SendToHost(std::string_view bytes) override;
    void Bell() override;
    void ScreenChanged(int firstRow, int lastRow, bool historyChanged) override;
    void LayoutChanged() override;
    void RunHostScript(std::string_view data, bool isFileName) override;
    bool OfferToScripts(uint8_t byte) override;
    void CommunicationChanged() override;
    void PageSizeChanged(int columns, int lines) override;
    bool StartFileReceive(const uint8_t* following, size_t n) override;

private:
    // TransportHost: the I/O thread's way to the emulator and the lock.
    VtEmulator& Emulator() override { return emulator_; }
    std::mutex& Lock() override { return lock_; }

    // TransferLink
    bool WriteToHost(const uint8_t* bytes, size_t n) override;
    void HoldingScreen(const std::function<void()>& work) override;
    void ShowReceived(const uint8_t* bytes, size_t n) override; // session lock held
    void ReportStatus(const TransferStatus& status) override;

    // Session lock held: starts the transfer make() gives, unless one runs.
    template <typename Make>
    bool StartTransferLocked(Make make, bool sending);
    bool StartReceiveLocked();

    bool CreateTransportLocked(bool resetEmulator, Connect connect); // control mutex held
    std::shared_ptr<CTransport> CurrentTransport() const;
    void HistoryCleared(); // session lock held
    // Until the transport has written what waited; false when stop() turned
    // true or the connection ended first.
    bool WaitForOutputRoom(const CTransport& transport, const std::function<bool()>& stop);
    // Sets the title and tells the views.
    void PublishTitle(std::string title);
    KeyboardModes CurrentKeyboardModes() const; // session lock held
    // Sends typed text in the host's character set; with onlyAfterUnmappedKey
    // only when the last key down was left to its characters.
    void SendTyped(std::u32string_view text, bool onlyAfterUnmappedKey, KeyActions& actions);
    void DeliverKey(const KeyOutcome& outcome, KeyActions& actions);
    template <typename Call>
    void ForEachObserver(Call call) {
        std::lock_guard lock(observersMutex_);
        for (SessionObserver* observer : observers_) call(*observer);
    }
    // Starts a script and has the emulator offer it the host's bytes.
    template <typename Start>
    std::shared_ptr<ScriptRun> StartScript(Start start);
    void StartHostScript(HostScriptRequest request); // session lock held

    UserInteraction& user_;
    mutable std::mutex lock_; // the session lock
    VtEmulator emulator_;  // session lock
    KeyMap keys_;          // session lock
    LineDevices lines_;    // session lock
    std::string terminalName_; // session lock: the user's choice, "" automatic
    std::vector<std::string> program_; // session lock: a local shell's program, or none
    bool pendingCharacter_ = false; // session lock: the last key down was left to its character
    bool pendingEscape_ = false;    // session lock: and its character goes after an ESC (Alt)
    CaptureFile capture_;  // session lock
    // Replaced under the session lock; copies keep a transport alive while it
    // is stopped outside the lock.
    std::shared_ptr<CTransport> transport_;
    std::mutex controlMutex_; // one transport change at a time
    // Replaced under the session lock.  Finished transfers wait in retired_
    // until their workers are over or a thread that may join them (never
    // their own) takes them out.
    std::shared_ptr<CZModemTransfer> transfer_;
    std::vector<std::shared_ptr<CZModemTransfer>> retired_;
    std::atomic<int> failedTransfers_{0};
    TransferTiming transferTiming_; // session lock

    std::string title_;
    std::string path_;
    std::function<void(const std::string&)> savedListener_;
    std::atomic<bool> modified_{false};

    // Wakes scripts that wait for the connection to write what waits.
    std::mutex drainMutex_;
    std::condition_variable drained_;

    std::mutex observersMutex_;
    std::vector<SessionObserver*> observers_;

    MacroRecorder recorder_;
    HostScriptGate hostScripts_; // session lock
    HostNotice hostNotice_;

    // Last, so that the scripts go first: they reach everything above.
    SessionScriptHost scriptHost_{*this, user_};
    ScriptList scripts_{scriptHost_};
};

} // namespace tamsivane
