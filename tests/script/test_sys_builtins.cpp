// The built-ins that run programs and touch files: what a cancelled command
// leaves behind, sys.PlaySound's choice of player, and files that are not
// regular or are copied onto themselves (sys.System's status is a case).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <string>
#include <thread>

#include "ScopedVariable.h"
#include "ScriptTestHost.h"
#include "TempFolder.h"
#include "script/CScript.h"

namespace tamsivane {
namespace {

using namespace std::chrono_literals;
using testing::TempFolder;

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Polls the condition for at most limit.
bool Eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5s) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(5ms);
    }
    return true;
}

// Gone, or ended and waiting only for its parent to reap it.
bool ProcessEnded(const std::string& pid) {
    std::ifstream stat("/proc/" + pid + "/stat");
    std::string line;
    if (!std::getline(stat, line)) return true;
    const size_t name = line.rfind(')');
    return name != std::string::npos && name + 2 < line.size() && line[name + 2] == 'Z';
}

TEST(SysSystem, CancellingEndsEverythingTheCommandStarted) {
    TempFolder folder;
    const std::string pidFile = folder.File("pid");
    ScriptTestHost host;
    // The shell and its child ignore SIGTERM, so only the group's SIGKILL ends them.
    CScript script("sys.System(\"trap '' TERM; sleep 100 & echo $! > " + pidFile + "; wait\");",
                   kNoScriptName, ScriptOrigin::User, host);
    auto outcome = std::async(std::launch::async, [&] { return script.Run(); });
    ASSERT_TRUE(Eventually([&] { return Slurp(pidFile).find('\n') != std::string::npos; }));
    const std::string child = Slurp(pidFile).substr(0, Slurp(pidFile).find('\n'));

    const auto start = std::chrono::steady_clock::now();
    script.Cancel();
    ASSERT_EQ(outcome.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(outcome.get(), CScript::Outcome::Cancelled);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
    EXPECT_TRUE(Eventually([&] { return ProcessEnded(child); })) << "sleep " << child;
}

// Players on a PATH of the test's own, recording what they were given.
class SysPlaySound : public ::testing::Test {
protected:
    void Player(const std::string& name, const std::string& body) {
        const std::string path = folder_.File(name);
        std::ofstream(path) << "#!/bin/sh\necho \"$1\" >> " << folder_.File("played") << "\n"
                            << body << "\n";
        chmod(path.c_str(), 0700);
    }
    std::string Played() { return Slurp(folder_.File("played")); }

    TempFolder folder_;
    const testing::ScopedVariable path_{"PATH", folder_.Path()};
};

TEST_F(SysPlaySound, UsesTheFirstPlayerThatCanRun) {
    ScriptTestHost host;
    // A missing paplay (127) falls back to aplay; a player that fails for
    // another reason is not followed by the next.
    Player("aplay", "exit 0");
    EXPECT_EQ(
        CScript("sys.PlaySound('/sounds/bell.wav'); send('after');", kNoScriptName, ScriptOrigin::User, host)
            .Run(),
        CScript::Outcome::Finished);
    EXPECT_EQ(Played(), "/sounds/bell.wav\n");
    EXPECT_EQ(host.sent, "after");

    Player("paplay", "exit 1");
    EXPECT_EQ(CScript("sys.PlaySound('ding.wav');", kNoScriptName, ScriptOrigin::User, host).Run(),
              CScript::Outcome::Finished);
    EXPECT_EQ(Played(), "/sounds/bell.wav\nding.wav\n");
}

TEST_F(SysPlaySound, ALongSoundEndsWhenTheScriptIsCancelled) {
    Player("paplay", "exec /bin/sleep 100");
    ScriptTestHost host;
    CScript script("sys.PlaySound('long.wav');", kNoScriptName, ScriptOrigin::User, host);
    auto outcome = std::async(std::launch::async, [&] { return script.Run(); });
    ASSERT_TRUE(Eventually([&] { return Played() == "long.wav\n"; }));
    script.Cancel();
    ASSERT_EQ(outcome.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(outcome.get(), CScript::Outcome::Cancelled);
}

// Runs the script on a thread of its own; a script still running after the
// bound fails the test, and opening the FIFO both ways lets it go on.
CScript::Outcome RunBounded(CScript& script, const std::string& fifo) {
    auto outcome = std::async(std::launch::async, [&] { return script.Run(); });
    if (outcome.wait_for(5s) != std::future_status::ready) {
        ADD_FAILURE() << "the script is held by the FIFO";
        const int fd = open(fifo.c_str(), O_RDWR);
        std::this_thread::sleep_for(100ms);
        close(fd);
    }
    return outcome.get();
}

TEST(SysFiles, AFifoIsRefusedAtOnce) {
    TempFolder folder;
    const std::string fifo = folder.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ScriptTestHost host;
    CScript copy("send('' + sys.CopyFile('" + fifo + "', '" + folder.File("copy") +
                     "') + sys.CopyFile('" + fifo + "', '" + folder.File("copy") + "', 1));",
                 kNoScriptName, ScriptOrigin::User, host);
    EXPECT_EQ(RunBounded(copy, fifo), CScript::Outcome::Finished);
    EXPECT_EQ(host.sent, "00");
    for (const char* mode : {"r", "w", "a+"}) {
        CScript open("f = sys.OpenFile('" + fifo + "', '" + mode + "');", kNoScriptName,
                     ScriptOrigin::User, host);
        ASSERT_EQ(RunBounded(open, fifo), CScript::Outcome::Failed) << mode;
        EXPECT_EQ(open.Error()->Code(), ScriptErr::CannotOpenFile);
        EXPECT_EQ(open.Error()->Detail(), fifo);
    }
}

TEST(SysFiles, CopiesReplaceOrAppendButNeverOntoTheSource) {
    TempFolder folder;
    const std::string a = folder.File("a"), b = folder.File("b");
    std::ofstream(a) << "data";
    ScriptTestHost host;
    CScript script("send('' + sys.CopyFile('" + a + "', '" + a + "') + sys.CopyFile('" + a +
                       "', '" + a + "', 1) + sys.CopyFile('" + a + "', '" + b +
                       "') + sys.CopyFile('" + a + "', '" + b + "', 1));",
                   kNoScriptName, ScriptOrigin::User, host);
    EXPECT_EQ(script.Run(), CScript::Outcome::Finished);
    EXPECT_EQ(host.sent, "0010");
    EXPECT_EQ(Slurp(a), "data");
    EXPECT_EQ(Slurp(b), "datadata");
}

} // namespace
} // namespace tamsivane
