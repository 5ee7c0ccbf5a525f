// A session document for the tests, with a user whose answers are scripted
// and a view that records what the session tells it.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "TempFolder.h"
#include "TestPeers.h"
#include "config/Templates.h"
#include "session/CVT420Doc.h"

namespace tamsivane::testing {

using namespace std::chrono_literals;

struct Question {
    std::string caption;
    std::string text;
    Answer defaultAnswer;
};

class ScriptedUser final : public UserInteraction {
public:
    // The answers given to the next questions, in order; an unexpected
    // question fails the test and is answered No.
    void WillAnswer(std::initializer_list<Answer> answers) {
        std::lock_guard lock(mutex_);
        answers_.insert(answers_.end(), answers);
    }
    void WillChooseSaveFile(std::string path) { savePath_ = std::move(path); }

    std::vector<Question> Questions() {
        std::lock_guard lock(mutex_);
        return questions_;
    }
    std::vector<std::string> Messages() {
        std::lock_guard lock(mutex_);
        return messages_;
    }

    void ShowMessage(int, std::string_view text) override {
        std::lock_guard lock(mutex_);
        messages_.emplace_back(text);
    }
    Answer Ask(std::string_view caption, std::string_view question, Answer def) override {
        std::lock_guard lock(mutex_);
        questions_.push_back({std::string(caption), std::string(question), def});
        EXPECT_FALSE(answers_.empty()) << "unexpected question: " << question;
        if (answers_.empty()) return Answer::No;
        const Answer answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    std::string ChooseSaveFile(std::string_view) override { return savePath_; }

private:
    std::mutex mutex_;
    std::deque<Answer> answers_;
    std::vector<Question> questions_;
    std::vector<std::string> messages_;
    std::string savePath_;
};

class RecordingView final : public SessionObserver {
public:
    void ScreenChanged(int, int, bool historyChanged) override {
        std::lock_guard lock(mutex_);
        ++screenChanges_;
        if (historyChanged) ++relayouts_;
    }
    void DisconnectedChanged(bool disconnected) override {
        std::lock_guard lock(mutex_);
        disconnectMarks_.push_back(disconnected);
    }
    void TitleChanged(std::string_view title) override {
        std::lock_guard lock(mutex_);
        titles_.emplace_back(title);
    }
    void SentToHost(std::string_view bytes) override {
        std::lock_guard lock(mutex_);
        sent_ += bytes;
    }

    int Relayouts() {
        std::lock_guard lock(mutex_);
        return relayouts_;
    }
    std::vector<bool> DisconnectMarks() {
        std::lock_guard lock(mutex_);
        return disconnectMarks_;
    }
    std::vector<std::string> Titles() {
        std::lock_guard lock(mutex_);
        return titles_;
    }
    std::string Sent() {
        std::lock_guard lock(mutex_);
        return sent_;
    }

private:
    std::mutex mutex_;
    int screenChanges_ = 0;
    int relayouts_ = 0;
    std::vector<bool> disconnectMarks_;
    std::vector<std::string> titles_;
    std::string sent_;
};

// A folder of its own for each test, removed afterwards.
class SessionTest : public ::testing::Test {
protected:
    SessionTest() { session.AddObserver(&view); }
    ~SessionTest() override { session.RemoveObserver(&view); }

    // The displayed page, rows joined by "\n", trailing blanks removed.
    std::string ScreenText() {
        const SessionLock locked = session.Locked();
        return PageText(locked.Screen());
    }
    static bool WaitFor(const std::function<bool()>& condition,
                        std::chrono::milliseconds limit = 20s) {
        return WaitUntil(condition, limit);
    }
    bool WaitForScreen(std::string_view text) {
        return WaitFor([&] { return ScreenText().find(text) != std::string::npos; });
    }
    bool WaitForState(TransportState state) {
        return WaitFor([&] { return session.ConnectionState() == state; });
    }
    // Settings changed before the session connects.
    template <typename Change>
    void Configure(Change change) {
        const SessionLock locked = session.Locked();
        change(locked.Settings());
    }
    // A Telnet session to a listener of the test's, accepted.
    void ConnectTo(Listener& host) {
        Configure([&](SettingsStore& s) {
            s.SetNumber(P::HostType, 0);
            s.SetString(P::HostName, "127.0.0.1");
            s.SetNumber(P::Port, host.Port());
        });
        ASSERT_TRUE(session.OpenConnection(CVT420Doc::Connect::Now));
        ASSERT_TRUE(host.Accept());
    }
    // A loop-back session, connected.
    void OpenLoopback() {
        Configure([](SettingsStore& s) { s.SetNumber(P::HostType, 2); });
        ASSERT_TRUE(session.OpenConnection(CVT420Doc::Connect::Now));
        ASSERT_TRUE(WaitForState(TransportState::Connected));
    }

    TempFolder folder;
    ScriptedUser user;
    RecordingView view;
    CVT420Doc session{user};
};

} // namespace tamsivane::testing
