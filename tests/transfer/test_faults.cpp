// What the other end cannot make the engine do: write outside the receive
// folder, follow a planted link, report a damaged file as received, or wait
// forever.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "LrzszRuns.h"
#include "ScopedVariable.h"
#include "TempFolder.h"

namespace tamsivane::testing {
namespace {

namespace fs = std::filesystem;

bool HasError(const std::vector<TransferStatus>& statuses) {
    for (const TransferStatus& status : statuses) {
        if (status.code == TransferStatusCode::Error) return true;
    }
    return false;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

TEST(ReceiveFolderNames, KeepOnlyTheLastComponent) {
    EXPECT_EQ(ReceiveFolder::SafeName("../../etc/passwd"), "passwd");
    EXPECT_EQ(ReceiveFolder::SafeName("C:\\temp\\x.txt"), "x.txt");
    EXPECT_EQ(ReceiveFolder::SafeName("/abs/y"), "y");
    for (const char* refused : {"", ".", "..", "dir/", "a/..", "bad\nname", "del\x7f"}) {
        EXPECT_EQ(ReceiveFolder::SafeName(refused), "") << refused;
    }
}

TEST(ReceiveFolderSetting, SeparatorsHomeAndRelativeFolders) {
    ::setenv("HOME", "/home/someone", 1);
    EXPECT_EQ(ResolveReceiveFolder("~/in\\box"), "/home/someone/in/box");
    EXPECT_EQ(ResolveReceiveFolder("/srv\\files"), "/srv/files");
    // Relative folders lie in the home folder, never beside the program.
    EXPECT_EQ(ResolveReceiveFolder("in\\box"), "/home/someone/in/box");
    EXPECT_EQ(ResolveReceiveFolder("~"), "/home/someone");
}

TEST(ReceiveFolderSetting, TheDefaultIsAFolderInTheUsersDownloads) {
    TempFolder home;
    const ScopedVariable homeVariable("HOME", home.Path());
    const ScopedVariable config("XDG_CONFIG_HOME", std::nullopt);
    const ScopedVariable named("XDG_DOWNLOAD_DIR", std::nullopt);
    EXPECT_EQ(ResolveReceiveFolder("Received"), home.Path() + "/Downloads/Tamsivane");
    EXPECT_EQ(ResolveReceiveFolder(""), home.Path() + "/Downloads/Tamsivane");

    // The user's folder list names it as the desktop does.
    fs::create_directory(home.File(".config"));
    std::ofstream(home.File(".config/user-dirs.dirs"))
        << "# written by the desktop\nXDG_DESKTOP_DIR=\"$HOME/Desk\"\n"
           "XDG_DOWNLOAD_DIR=\"$HOME/Fetched\"\n";
    EXPECT_EQ(ResolveReceiveFolder("Received"), home.Path() + "/Fetched/Tamsivane");
    const ScopedVariable set("XDG_DOWNLOAD_DIR", "/srv/incoming");
    EXPECT_EQ(ResolveReceiveFolder("Received"), "/srv/incoming/Tamsivane");
}

// A name that exists as a file, a planted link or a FIFO is never replaced,
// followed or opened: each file arrives under the next free number.
TEST(LrzszNames, ExistingNamesAreNeverReplaced) {
    Folders folders;
    fs::create_directory(folders.received);
    WriteFile(folders.root.File("target"), "keep");
    WriteFile(folders.received + "/a", "old");
    WriteFile(folders.received + "/a.1", "older");
    fs::create_symlink(folders.root.File("target"), folders.received + "/b");
    ASSERT_EQ(mkfifo((folders.received + "/c").c_str(), 0600), 0);
    for (const char* name : {"a", "b", "c"}) WriteFile(folders.host + "/" + name, name);
    const Reception result = ReceiveFrom(folders, {"sz", "a", "b", "c"});
    EXPECT_EQ(result.outcome, Outcome::Completed);
    EXPECT_EQ(result.finished, (std::vector<std::string>{"a.2", "b.1", "c.1"}));
    EXPECT_EQ(ReadFile(folders.received + "/a"), "old");
    EXPECT_EQ(ReadFile(folders.received + "/a.1"), "older");
    EXPECT_EQ(ReadFile(folders.received + "/a.2"), "a");
    EXPECT_EQ(ReadFile(folders.received + "/b.1"), "b");
    EXPECT_EQ(ReadFile(folders.received + "/c.1"), "c");
    EXPECT_EQ(ReadFile(folders.root.File("target")), "keep");
    EXPECT_TRUE(fs::is_symlink(folders.received + "/b"));
    EXPECT_TRUE(fs::is_fifo(folders.received + "/c"));
}

// A sender that goes on past the size it announced is stopped a little
// beyond it; what arrived stays, and the transfer fails.
TEST(HostEnds, AFileGrowingPastItsSizeIsStopped) {
    Folders folders;
    zmodem::Encoder encoder;
    std::string frames;
    const std::string info = std::string("grows\0", 6) + "10" + std::string(1, '\0');
    encoder.AppendBinaryHeader(frames, zmodem::ZFILE, zmodem::FlagsData(zmodem::kFileBinary), true);
    encoder.AppendSubpacket(frames, reinterpret_cast<const uint8_t*>(info.data()), info.size(),
                            zmodem::kCrcW, true);
    encoder.AppendBinaryHeader(frames, zmodem::ZDATA, zmodem::PositionData(0), true);
    const std::string block(1024, 'g');
    for (int i = 0; i < 100; ++i) {
        encoder.AppendSubpacket(frames, reinterpret_cast<const uint8_t*>(block.data()),
                                block.size(), zmodem::kCrcG, true);
    }
    WriteFile(folders.host + "/frames", frames);
    const Reception result =
        ReceiveFrom(folders, {"sh", "-c", "cat frames; sleep 1"});
    EXPECT_EQ(result.outcome, Outcome::Failed);
    EXPECT_TRUE(HasError(result.statuses));
    EXPECT_TRUE(result.finished.empty());
    // The whole blocks that fit in the allowance.
    EXPECT_EQ(fs::file_size(folders.received + "/grows"), 64u * 1024);
}

TEST(LrzszNames, AFolderElementThatIsAFileRefusesTheFile) {
    Folders folders;
    WriteFile(folders.root.File("plain"), "");
    WriteFile(folders.host + "/data", "payload");
    PeerProgram peer({"sz", "data"}, folders.host);
    CZModemReceiver receiver(peer, folders.root.File("plain/inside"));
    peer.Run(receiver);
    ASSERT_TRUE(peer.WaitFinished());
    EXPECT_EQ(receiver.Result(), Outcome::Failed);
    EXPECT_TRUE(HasError(peer.Statuses()));
    EXPECT_NE(peer.WaitExit(), 0);
}

// A relay flips and drops bytes both ways with fixed seeds (rates per
// million): every run ends with the identical file reported, or with a
// failure, never with a damaged file reported as received or sent.  On a
// line that damages a byte in tens of thousands every run must succeed.
struct Damage {
    unsigned flips;
    unsigned drops;
    size_t size;
    bool everyRun;
    std::chrono::milliseconds retry;
};

// The sanitizers slow the engine several times over: fewer seeds there keep
// each case within seconds.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr unsigned kSeeds = 1;
#else
constexpr unsigned kSeeds = 3;
#endif

class DamagedLine : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedLine, NeverAWrongFileReportedAsDone) {
    const std::string bytes = AwkwardBytes(GetParam().size);
    const TransferTiming quick{GetParam().retry, std::chrono::milliseconds(500),
                               std::chrono::milliseconds(5000)};
    int completed = 0;
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        const std::vector<std::string> relay = {TAMSIVANE_ZMODEM_RELAY, std::to_string(seed),
                                                std::to_string(GetParam().flips),
                                                std::to_string(GetParam().drops)};
        Folders in;
        WriteFile(in.host + "/data", bytes);
        std::vector<std::string> sz = relay;
        sz.insert(sz.end(), {"sz", "data"});
        const Reception received = ReceiveFrom(in, sz, quick);
        if (!received.finished.empty()) {
            EXPECT_TRUE(ReadFile(in.received + "/data") == bytes) << "seed " << seed;
        }
        if (received.outcome == Outcome::Completed) {
            ++completed;
            EXPECT_EQ(received.finished, std::vector<std::string>{"data"});
        }

        Folders out;
        const std::string path = out.root.File("data");
        WriteFile(path, bytes);
        std::vector<std::string> rz = relay;
        rz.push_back("rz");
        const Reception sent = SendTo(out, {path}, rz, quick);
        if (sent.outcome == Outcome::Completed) {
            ++completed;
            EXPECT_TRUE(ReadFile(out.host + "/data") == bytes) << "seed " << seed;
        }
    }
    if (GetParam().everyRun) {
        EXPECT_EQ(completed, static_cast<int>(2 * kSeeds));
    }
}

INSTANTIATE_TEST_SUITE_P(Relay, DamagedLine,
                         ::testing::Values(Damage{25, 10, 256 * 1024, true, 500ms},
                                           Damage{0, 50, 200000, false, 500ms},
                                           Damage{400, 160, 200000, false, 500ms},
                                           // Nearly every subpacket is hit: what
                                           // counts is the outcome, not the speed.
                                           Damage{3000, 1000, 3000, false, 150ms}));

TEST(HostEnds, SixCanCancelTheReceiver) {
    Folders folders;
    PeerProgram peer({"sh", "-c", "sleep 0.2; printf '\\030\\030\\030\\030\\030\\030'; sleep 1"},
                     folders.host);
    CZModemReceiver receiver(peer, folders.received);
    peer.Run(receiver);
    ASSERT_TRUE(peer.WaitFinished(4s));
    EXPECT_EQ(receiver.Result(), Outcome::Cancelled);
    EXPECT_EQ(peer.Statuses().back().code, TransferStatusCode::Closed);
}

// Once the sender's ZFIN is answered every file is in: the session closing,
// or the connection going, before the last "OO" is read is no failure.
TEST(HostEnds, AfterTheLastFileEveryEndIsASuccess) {
    for (const bool lost : {false, true}) {
        Folders folders;
        PeerProgram peer({"sh", "-c", "printf '**\\030B0800000000022d\\r\\212'; exec cat >got"},
                         folders.host);
        CZModemReceiver receiver(peer, folders.received);
        peer.Run(receiver);
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (ReadFile(folders.host + "/got").find("B0800000000022d") == std::string::npos &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(5ms);
        }
        if (lost) {
            receiver.ConnectionLost();
        } else {
            receiver.Finish();
        }
        ASSERT_TRUE(peer.WaitFinished(5s));
        EXPECT_EQ(receiver.Result(), Outcome::Completed) << (lost ? "lost" : "closed");
    }
}

TEST(HostEnds, SilenceEndsAfterTenRequests) {
    Folders folders;
    const TransferTiming quick{std::chrono::milliseconds(30), std::chrono::milliseconds(100),
                               std::chrono::milliseconds(1000)};
    {
        PeerProgram peer({"sh", "-c", "cat > got"}, folders.host);
        CZModemReceiver receiver(peer, folders.received, quick);
        peer.Run(receiver);
        ASSERT_TRUE(peer.WaitFinished(5s));
        EXPECT_EQ(receiver.Result(), Outcome::Failed);
        EXPECT_NE(receiver.ErrorText().find("no answer"), std::string::npos);
    }
    const std::string got = ReadFile(folders.host + "/got");
    EXPECT_EQ(Count(got, "B0100000023be50"), 10u);
    EXPECT_EQ(Count(got, std::string(8, '\x18')), 1u);

    const std::string path = folders.root.File("data");
    WriteFile(path, "abc");
    {
        PeerProgram peer({"sh", "-c", "cat > sent"}, folders.host);
        CZModemSender sender(peer, {path}, "rz\r", std::chrono::milliseconds(10), quick);
        peer.Run(sender);
        ASSERT_TRUE(peer.WaitFinished(5s));
        EXPECT_EQ(sender.Result(), Outcome::Failed);
    }
    const std::string sent = ReadFile(folders.host + "/sent");
    EXPECT_TRUE(
        sent.starts_with("rz\r**\x18"
                         "B00"));
    EXPECT_EQ(Count(sent, "B00000000000000"), 10u);
}

TEST(UserAbort, CancelsTheSenderAndKeepsThePartialFileUnreported) {
    // sz may stream the whole file before it reads the cancel; what it
    // sends after the abort is read and dropped.
    constexpr size_t kSize = 4 << 20;
    Folders folders;
    WriteFile(folders.host + "/big", AwkwardBytes(kSize));
    PeerProgram peer({"sz", "big"}, folders.host);
    const TransferTiming quick{std::chrono::milliseconds(10000), std::chrono::milliseconds(300),
                               std::chrono::milliseconds(10000)};
    CZModemReceiver receiver(peer, folders.received, quick);
    peer.Run(receiver);
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    auto started = [&] {
        for (const TransferStatus& status : peer.Statuses()) {
            if (status.code == TransferStatusCode::Position) return true;
        }
        return false;
    };
    while (!started() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(1ms);
    }
    receiver.Abort();
    ASSERT_TRUE(peer.WaitFinished(10s));
    EXPECT_EQ(receiver.Result(), Outcome::Cancelled);
    EXPECT_NE(peer.WaitExit(5s), 0);
    EXPECT_TRUE(peer.Finished().empty());
    const std::vector<TransferStatus> statuses = peer.Statuses();
    bool aborting = false;
    for (const TransferStatus& status : statuses) {
        aborting = aborting || status.code == TransferStatusCode::Aborting;
    }
    EXPECT_TRUE(aborting);
    EXPECT_TRUE(HasError(statuses)); // the partial file
    EXPECT_LT(fs::file_size(folders.received + "/big"), kSize);
}

TEST(SenderStart, EveryFileMustBeReadable) {
    TempFolder folder;
    WriteFile(folder.File("ok"), "x");
    std::string failed;
    EXPECT_TRUE(CZModemSender::CanSendAll({folder.File("ok")}, failed));
    EXPECT_FALSE(CZModemSender::CanSendAll({folder.File("ok"), folder.File("missing")}, failed));
    EXPECT_EQ(failed, folder.File("missing"));
    EXPECT_FALSE(CZModemSender::CanSendAll({folder.Path()}, failed));
    EXPECT_FALSE(CZModemSender::CanSendAll({}, failed));
}

} // namespace
} // namespace tamsivane::testing
