// A session's running scripts, one thread each.  Host bytes are offered to
// every running script (under the session lock: offering only queues); a
// script file is read on its script's thread.  Every thread is joined: a
// new script's thread joins those that have finished, and the list joins
// the rest when it is cancelled or destroyed.  A script the host started
// runs with a small memory bound and a time limit of its own; the session
// decides how many of them run.
#pragma once

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "script/CScript.h"

namespace tamsivane {

class ScriptHost;

// How one started script ended, for whoever started it.
class ScriptRun {
public:
    enum class State { Running, Finished, Failed, Cancelled, NotLoaded };

    // Until the script has ended; false at the deadline.
    bool WaitUntilEnded(std::chrono::steady_clock::time_point deadline) const;
    State Result() const;
    // The "Script Error:" text of a failed script.
    std::string ErrorReport() const;

private:
    friend class ScriptList;
    void End(State state, std::string report = {});

    mutable std::mutex mutex_;
    mutable std::condition_variable ended_;
    State state_ = State::Running;
    std::string report_;
};

class ScriptList {
public:
    // Host-started script files are regular files of at most this size.
    static constexpr size_t kMaxHostScriptFile = 1 << 20;
    // A script the host started ends, reported, after this long.
    static constexpr std::chrono::seconds kHostTimeLimit{300};

    explicit ScriptList(ScriptHost& host) : host_(host) {}
    // Cancels and joins every script.
    ~ScriptList();
    ScriptList(const ScriptList&) = delete;
    ScriptList& operator=(const ScriptList&) = delete;

    // Any thread, the session lock may be held: starts the script's thread.
    std::shared_ptr<ScriptRun> RunText(std::string text, ScriptOrigin origin);
    // The file is read on the script's thread; one that cannot be read shows
    // "Cannot load script file.".  From the host: only a regular file of at
    // most kMaxHostScriptFile bytes.
    std::shared_ptr<ScriptRun> RunFile(std::string path, ScriptOrigin origin);

    // A host byte for every running script; false when none runs.
    bool Offer(uint8_t byte);
    // Whether a script the host started is still running.
    bool HostScriptRunning();
    // For the scripts the host starts from now on.
    void SetHostTimeLimit(std::chrono::milliseconds limit) { hostTimeLimit_ = limit; }
    // Session lock not held: cancels every script and joins the threads.
    void CancelAll();

private:
    struct Entry {
        CScript script;
        std::shared_ptr<ScriptRun> run;
        std::optional<std::string> path; // a file still to read
        std::thread thread;
        bool finished = false; // list mutex

        Entry(std::string name, ScriptOrigin origin, ScriptHost& host)
            : script({}, std::move(name), origin, host), run(std::make_shared<ScriptRun>()) {}
    };

    std::shared_ptr<ScriptRun> Start(std::unique_ptr<Entry> entry);
    void Body(Entry& entry);
    // Joins the threads of finished scripts (never the caller's own).
    void ReapFinished();

    ScriptHost& host_;
    std::chrono::milliseconds hostTimeLimit_ = kHostTimeLimit;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Entry>> entries_;
};

// Reads a whole script file: a regular file of at most limit bytes.
std::optional<std::string> ReadScriptFile(const std::string& path, size_t limit);

} // namespace tamsivane
