// The transfer engine against the real sz and rz, both directions, through a
// socket standing where the connection stands.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "LrzszRuns.h"
#include "PeerProgram.h"
#include "TempFolder.h"
#include "transfer/CZModemReceiver.h"
#include "transfer/CZModemSender.h"

namespace tamsivane::testing {
namespace {

class Sizes : public ::testing::TestWithParam<size_t> {};

TEST_P(Sizes, ReceivedFromSzByteForByte) {
    Folders folders;
    const std::string bytes = AwkwardBytes(GetParam());
    WriteFile(folders.host + "/data.bin", bytes);
    const Reception result = ReceiveFrom(folders, {"sz", "data.bin"});
    EXPECT_EQ(result.outcome, Outcome::Completed);
    EXPECT_EQ(result.peerExit, 0);
    EXPECT_EQ(result.finished, std::vector<std::string>{"data.bin"});
    EXPECT_TRUE(ReadFile(folders.received + "/data.bin") == bytes);
}

TEST_P(Sizes, SentToRzByteForByte) {
    Folders folders;
    const std::string bytes = AwkwardBytes(GetParam());
    const std::string path = folders.root.File("out.bin");
    WriteFile(path, bytes);
    const Reception result = SendTo(folders, {path});
    EXPECT_EQ(result.outcome, Outcome::Completed);
    EXPECT_EQ(result.peerExit, 0);
    EXPECT_EQ(result.finished, std::vector<std::string>{"out.bin"});
    EXPECT_TRUE(ReadFile(folders.host + "/out.bin") == bytes);
}

INSTANTIATE_TEST_SUITE_P(Lrzsz, Sizes, ::testing::Values(0, 1, 1024, 1025, 1 << 20));

TEST(LrzszBatch, ThreeFilesFromSzThenToRz) {
    Folders folders;
    const std::vector<std::string> names = {"a", "b", "c"};
    for (size_t i = 0; i < names.size(); ++i) {
        WriteFile(folders.host + "/" + names[i], AwkwardBytes(3000 * i + 7));
    }
    // The sender's modification time and permission bits come along, never
    // a set-user bit.
    const std::string a = folders.host + "/a";
    ASSERT_EQ(::chmod(a.c_str(), 04751), 0);
    const timespec when[2] = {{0, UTIME_OMIT}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, a.c_str(), when, 0), 0);
    const Reception in = ReceiveFrom(folders, {"sz", "a", "b", "c"});
    EXPECT_EQ(in.outcome, Outcome::Completed);
    EXPECT_EQ(in.finished, names);
    struct stat got {};
    ASSERT_EQ(::stat((folders.received + "/a").c_str(), &got), 0);
    EXPECT_EQ(got.st_mtim.tv_sec, 1000000000);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    EXPECT_EQ(got.st_mode & 07777, 0751 & ~mask);

    // What arrived goes back out as one batch.
    Folders back;
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back(folders.received + "/" + name);
    const Reception out = SendTo(back, paths);
    EXPECT_EQ(out.outcome, Outcome::Completed);
    EXPECT_EQ(out.peerExit, 0);
    EXPECT_EQ(out.finished, names);
    for (const std::string& name : names) {
        EXPECT_EQ(ReadFile(back.host + "/" + name), ReadFile(folders.host + "/" + name));
    }
    ASSERT_EQ(::stat((back.host + "/a").c_str(), &got), 0);
    EXPECT_EQ(got.st_mtim.tv_sec, 1000000000);
}

// rz -r keeps what an interrupted transfer left (to a whole block) and asks
// for the rest: the data goes on from there, the kept part is not sent again.
TEST(LrzszResume, RzResumesFromWhatItHas) {
    Folders folders;
    const std::string bytes = AwkwardBytes(300000);
    const std::string path = folders.root.File("data");
    WriteFile(path, bytes);
    const std::string kept(100000, 'k');
    WriteFile(folders.host + "/data", kept);
    const Reception result = SendTo(folders, {path}, {"rz", "-r"});
    EXPECT_EQ(result.outcome, Outcome::Completed);
    EXPECT_EQ(result.peerExit, 0);
    const std::string got = ReadFile(folders.host + "/data");
    const size_t resumed = got.find_first_not_of('k');
    ASSERT_GT(resumed, kept.size() / 2);
    ASSERT_LE(resumed, kept.size());
    EXPECT_TRUE(got == kept.substr(0, resumed) + bytes.substr(resumed));
}

// The sender's management option: sz -+ adds to the file we have (never
// through a link); sz -p, and sz's own replace, never replace it.
TEST(LrzszManagement, AppendAddsProtectAndReplaceKeep) {
    Folders folders;
    ::mkdir(folders.received.c_str(), 0700);
    WriteFile(folders.received + "/log", "old;");
    WriteFile(folders.root.File("target"), "keep");
    ::symlink(folders.root.File("target").c_str(), (folders.received + "/linked").c_str());
    WriteFile(folders.host + "/log", "new");
    WriteFile(folders.host + "/linked", "new");
    EXPECT_EQ(ReceiveFrom(folders, {"sz", "-+", "log", "linked"}).outcome, Outcome::Completed);
    EXPECT_EQ(ReadFile(folders.received + "/log"), "old;new");
    EXPECT_EQ(ReadFile(folders.root.File("target")), "keep");
    EXPECT_EQ(ReadFile(folders.received + "/linked.1"), "new");
    for (const char* option : {"-p", "-y"}) {
        EXPECT_EQ(ReceiveFrom(folders, {"sz", option, "log"}).finished,
                  std::vector<std::string>{std::string("log.") + (option[1] == 'p' ? "1" : "2")});
    }
    EXPECT_EQ(ReadFile(folders.received + "/log"), "old;new");
}

// sz -8 sends 8 KiB subpackets, -e escapes every control character after
// ZSINIT, -w asks for acknowledgements within a window.
class SzOptions : public ::testing::TestWithParam<std::vector<std::string>> {};

TEST_P(SzOptions, ReceivedByteForByte) {
    Folders folders;
    const std::string bytes = AwkwardBytes(300000);
    WriteFile(folders.host + "/opt.bin", bytes);
    std::vector<std::string> arguments = {"sz"};
    for (const std::string& option : GetParam()) arguments.push_back(option);
    arguments.push_back("opt.bin");
    const Reception result = ReceiveFrom(folders, arguments);
    EXPECT_EQ(result.outcome, Outcome::Completed);
    EXPECT_EQ(result.peerExit, 0);
    EXPECT_TRUE(ReadFile(folders.received + "/opt.bin") == bytes);
}

INSTANTIATE_TEST_SUITE_P(Lrzsz, SzOptions,
                         ::testing::Values(std::vector<std::string>{"-8"},
                                           std::vector<std::string>{"-e"},
                                           std::vector<std::string>{"-w", "4096"}));

} // namespace
} // namespace tamsivane::testing
