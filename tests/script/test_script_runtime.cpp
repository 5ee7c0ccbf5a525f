// The interpreter around the corpus: reports, texts without a final line
// end, waits on bytes that arrive later, and cancelling a running script.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "ScriptTestHost.h"
#include "script/CScript.h"
#include "script/ScriptList.h"
#include "script/WaitMatcher.h"

namespace tamsivane {
namespace {

using namespace std::chrono_literals;

TEST(ScriptReport, ErrorTextWithAndWithoutDetail) {
    ScriptTestHost host;
    CScript failing("x = 1;\ny = z;\n", "/tmp/a.wbq", ScriptOrigin::User, host);
    ASSERT_EQ(failing.Run(), CScript::Outcome::Failed);
    EXPECT_EQ(failing.Error()->Report(),
              "Script Error:\n\n/tmp/a.wbq (Line 2) : E1053 Variable not found: \"z\"");
    CScript noDetail("x = 1;\n\n\nq = x.Left(1);", kNoScriptName, ScriptOrigin::User, host);
    ASSERT_EQ(noDetail.Run(), CScript::Outcome::Failed);
    EXPECT_EQ(noDetail.Error()->Report(),
              "Script Error:\n\n<No Name> (Line 4) : E1050 Invalid object type: \"x\"");
    EXPECT_EQ(CScriptException(ScriptErr::InvalidGetLength).CallbackReport(),
              "Script error in OnRecv routine: term.Get: invalid length.");
    EXPECT_EQ(ScriptErrorMessage(4242), "Other error");
}

TEST(ScriptText, LastLineWithoutLineEnd) {
    ScriptTestHost host;
    EXPECT_EQ(CScript("send(\"a\"); // done", kNoScriptName, ScriptOrigin::User, host).Run(),
              CScript::Outcome::Finished);
    EXPECT_EQ(CScript("send(\"b\");", kNoScriptName, ScriptOrigin::User, host).Run(),
              CScript::Outcome::Finished);
    // Text after a NUL is not read.
    EXPECT_EQ(CScript(std::string("send(\"c\");\0 #", 13), kNoScriptName, ScriptOrigin::User, host).Run(),
              CScript::Outcome::Finished);
    EXPECT_EQ(host.sent, "abc");
}

TEST(WaitMatcherTest, FindsPatternsAfterPartialMatchesInWrittenOrder) {
    WaitMatcher matcher("aab|ab||");
    const std::string* found = nullptr;
    for (char c : std::string("aaab")) found = matcher.Feed(c);
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(*found, "aab");
    WaitMatcher caseSensitive("name:|NAME:|login:|LOGIN:");
    for (char c : std::string("Login:")) found = caseSensitive.Feed(c);
    EXPECT_EQ(found, nullptr);
}

// Runs a script on a thread of its own, as a session does.
struct RunningScript {
    RunningScript(ScriptTestHost& host, std::string text)
        : script(std::move(text), kNoScriptName, ScriptOrigin::User, host),
          outcome(std::async(std::launch::async, [this] { return script.Run(); })) {}
    CScript script;
    std::future<CScript::Outcome> outcome;
};

TEST(ScriptWait, BytesArrivingLaterMatchAndTheRestStaysBuffered) {
    ScriptTestHost host;
    RunningScript running(host, "r = term.Wait(\"login:\"); s = term.Get(3); send(r + s);");
    for (char c : std::string("xx login:abcdef"))
        running.script.Input().Push(static_cast<uint8_t>(c));
    ASSERT_EQ(running.outcome.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(running.outcome.get(), CScript::Outcome::Finished);
    EXPECT_EQ(host.sent, "login:abc");
    EXPECT_EQ(running.script.Input().Buffered(), 3u);
}

TEST(ScriptWait, TimeOutGivesEmptyAndLaterBytesAreKept) {
    ScriptTestHost host;
    RunningScript running(host,
                          "r = term.Wait(\"ok\", 1); send(\"[\" + r + \"]\"); send(term.Get(2));");
    // The wait has timed out once its empty result was sent.
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
        {
            std::lock_guard lock(host.mutex);
            if (host.sent == "[]") break;
        }
        std::this_thread::sleep_for(1ms);
    }
    running.script.Input().Push('o');
    running.script.Input().Push('k');
    ASSERT_EQ(running.outcome.wait_for(10s), std::future_status::ready);
    EXPECT_EQ(host.sent, "[]ok");
}

TEST(ScriptBuffer, AFullBufferDropsItsOldestBytes) {
    ScriptInput input;
    for (size_t i = 0; i < ScriptInput::kCapacity + 10; ++i) input.Push(static_cast<uint8_t>(i));
    EXPECT_EQ(input.Buffered(), ScriptInput::kCapacity);
    uint8_t first = 0;
    ASSERT_EQ(input.Take(first, std::nullopt), ScriptInput::Taken::Byte);
    EXPECT_EQ(first, 10);
}

class ScriptCancel : public testing::TestWithParam<const char*> {};

// Cancelling ends the script promptly; the bound is generous for loaded
// machines and sanitizer builds, and far below what the blocked call would take.
TEST_P(ScriptCancel, EndsPromptly) {
    ScriptTestHost host;
    RunningScript running(host, GetParam());
    std::this_thread::sleep_for(50ms);
    const auto start = std::chrono::steady_clock::now();
    running.script.Cancel();
    ASSERT_EQ(running.outcome.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(running.outcome.get(), CScript::Outcome::Cancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
}

INSTANTIATE_TEST_SUITE_P(Blocked, ScriptCancel,
                         testing::Values("term.Wait(\"never\");", "sys.Sleep(100000);",
                                         "Sleep(100000);", "while (1) {}", "term.Get(5);",
                                         "sys.System(\"sleep 100\");",
                                         "function f() { while (1) { x = 1; } } f();"));

// A script the host started has a small memory bound and a time limit of
// its own; both end it with a message.  The user's scripts have neither.
TEST(HostScriptBounds, MemoryAndTimeAreBoundedAndReported) {
    ScriptTestHost host;
    ScriptList list(host);
    list.SetHostTimeLimit(300ms);
    const auto ended = [](const std::shared_ptr<ScriptRun>& run) {
        return run->WaitUntilEnded(std::chrono::steady_clock::now() + 20s);
    };
    const std::shared_ptr<ScriptRun> greedy =
        list.RunText("s = 'abcdefgh'; while (1) s = s + s;", ScriptOrigin::Host);
    ASSERT_TRUE(ended(greedy));
    EXPECT_EQ(greedy->Result(), ScriptRun::State::Failed);
    EXPECT_NE(greedy->ErrorReport().find("script memory above 8 MiB"), std::string::npos)
        << greedy->ErrorReport();

    const std::shared_ptr<ScriptRun> mine = list.RunText("term.Wait('go'); send('mine');", ScriptOrigin::User);
    const std::shared_ptr<ScriptRun> waiting = list.RunText("term.Wait('never');", ScriptOrigin::Host);
    EXPECT_TRUE(list.HostScriptRunning());
    ASSERT_TRUE(ended(waiting));
    EXPECT_EQ(waiting->Result(), ScriptRun::State::Cancelled);
    EXPECT_FALSE(list.HostScriptRunning());
    for (const char c : std::string("go")) list.Offer(static_cast<uint8_t>(c));
    ASSERT_TRUE(ended(mine));
    EXPECT_EQ(mine->Result(), ScriptRun::State::Finished);
    std::lock_guard lock(host.mutex);
    EXPECT_EQ(host.messages.back(), "The host's script ran out of time and was stopped.");
    EXPECT_EQ(host.sent, "mine");
}

} // namespace
} // namespace tamsivane
