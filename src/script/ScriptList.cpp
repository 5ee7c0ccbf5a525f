#include "script/ScriptList.h"

#include <algorithm>

#include "config/ResourceStrings.h"
#include "platform/SafeFile.h"
#include "script/ScriptHost.h"

namespace tamsivane {

bool ScriptRun::WaitUntilEnded(std::chrono::steady_clock::time_point deadline) const {
    std::unique_lock lock(mutex_);
    return ended_.wait_until(lock, deadline, [this] { return state_ != State::Running; });
}

ScriptRun::State ScriptRun::Result() const {
    std::lock_guard lock(mutex_);
    return state_;
}

std::string ScriptRun::ErrorReport() const {
    std::lock_guard lock(mutex_);
    return report_;
}

void ScriptRun::End(State state, std::string report) {
    {
        std::lock_guard lock(mutex_);
        state_ = state;
        report_ = std::move(report);
    }
    ended_.notify_all();
}

std::optional<std::string> ReadScriptFile(const std::string& path, size_t limit) {
    std::string text, reason;
    if (!ReadWholeFile(path, limit, text, reason)) return std::nullopt;
    return text;
}

ScriptList::~ScriptList() { CancelAll(); }

std::shared_ptr<ScriptRun> ScriptList::RunText(std::string text, ScriptOrigin origin) {
    auto entry = std::make_unique<Entry>(kNoScriptName, origin, host_);
    entry->script.SetSource(std::move(text));
    return Start(std::move(entry));
}

std::shared_ptr<ScriptRun> ScriptList::RunFile(std::string path, ScriptOrigin origin) {
    auto entry = std::make_unique<Entry>(path, origin, host_);
    entry->path = std::move(path);
    return Start(std::move(entry));
}

std::shared_ptr<ScriptRun> ScriptList::Start(std::unique_ptr<Entry> entry) {
    std::shared_ptr<ScriptRun> run = entry->run;
    if (entry->script.FromHost()) {
        entry->script.Input().SetTimeLimit(std::chrono::steady_clock::now() + hostTimeLimit_);
    }
    std::lock_guard lock(mutex_);
    Entry& started = *entry;
    entries_.push_back(std::move(entry));
    started.thread = std::thread([this, &started] { Body(started); });
    return run;
}

void ScriptList::Body(Entry& entry) {
    ReapFinished();
    bool loaded = true;
    if (entry.path) {
        const size_t limit =
            entry.script.FromHost() ? kMaxHostScriptFile : CScriptValue::kMaxStringLength;
        std::optional<std::string> text = ReadScriptFile(*entry.path, limit);
        loaded = text.has_value();
        if (loaded) entry.script.SetSource(std::move(*text));
    }
    CScript& script = entry.script;
    ScriptRun::State state = ScriptRun::State::NotLoaded;
    int messageId = 0; // what the user is told of the end, if anything
    std::string message;
    if (!loaded) {
        messageId = Msg::CannotLoadScript;
        message = ResourceString(messageId);
    } else {
        switch (script.Run()) {
        case CScript::Outcome::Finished:
            state = ScriptRun::State::Finished;
            break;
        case CScript::Outcome::Cancelled:
            state = ScriptRun::State::Cancelled;
            if (script.Input().TimedOut()) {
                messageId = Msg::HostScriptTimeLimit;
                message = ResourceString(messageId);
            }
            break;
        case CScript::Outcome::Failed:
            state = ScriptRun::State::Failed;
            messageId = Msg::ScriptErrorReport;
            message = script.Error()->Report();
            break;
        }
    }
    {
        // Before the message, so that a host that hears of the end may start
        // the next script at once.  The entry lives until its thread is joined.
        std::lock_guard lock(mutex_);
        entry.finished = true;
    }
    if (messageId != 0) script.Report(messageId, message);
    entry.run->End(state, state == ScriptRun::State::Failed ? std::move(message) : std::string());
}

void ScriptList::ReapFinished() {
    std::vector<std::unique_ptr<Entry>> finished;
    {
        std::lock_guard lock(mutex_);
        for (auto it = entries_.begin(); it != entries_.end();) {
            if ((*it)->finished && (*it)->thread.get_id() != std::this_thread::get_id()) {
                finished.push_back(std::move(*it));
                it = entries_.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto& entry : finished) entry->thread.join();
}

bool ScriptList::Offer(uint8_t byte) {
    std::lock_guard lock(mutex_);
    bool any = false;
    for (const auto& entry : entries_) {
        if (entry->finished) continue;
        entry->script.Input().Push(byte);
        any = true;
    }
    return any;
}

bool ScriptList::HostScriptRunning() {
    std::lock_guard lock(mutex_);
    return std::any_of(entries_.begin(), entries_.end(), [](const auto& entry) {
        return entry->script.FromHost() && !entry->finished;
    });
}

void ScriptList::CancelAll() {
    std::vector<std::unique_ptr<Entry>> all;
    {
        std::lock_guard lock(mutex_);
        for (const auto& entry : entries_) entry->script.Cancel();
        all = std::move(entries_);
        entries_.clear();
    }
    for (auto& entry : all) entry->thread.join();
}

} // namespace tamsivane
