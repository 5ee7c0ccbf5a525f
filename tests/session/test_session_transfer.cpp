// A session's file transfers, with the test standing as the host: automatic
// start, typed bytes dropped meanwhile, the Telnet binary mode around it, and
// the ways a transfer ends with its session.
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>

#include "SessionFixture.h"

namespace tamsivane::testing {
namespace {

const std::string kZrqinit =
    "rz\r**\x18"
    "B00000000000000\r\x8a\x11";
const std::string kZrinit =
    "**\x18"
    "B0100000023be50";
const std::string kBinaryOn = "\xff\xfd\x00\xff\xfb\x00";
const std::string kBinaryOff = "\xff\xfe\x00\xff\xfc\x00";

class TransferSessionTest : public SessionTest {
protected:
    void ConnectTo(Listener& host) {
        Configure([&](SettingsStore& s) { s.SetString(P::RecvDir, folder.File("in")); });
        SessionTest::ConnectTo(host);
        ASSERT_TRUE(WaitForState(TransportState::Connected));
    }
    // What the session sent until `part` arrived (or 20 s passed).
    static std::string ReadUntil(Listener& host, const std::string& part) {
        std::string got;
        WaitUntil([&] {
            got += host.ReadFor(20ms);
            return got.find(part) != std::string::npos;
        });
        return got;
    }
};

TEST_F(TransferSessionTest, HostStartsATransferAndCancelsIt) {
    Listener host;
    ConnectTo(host);
    host.Write("before\r\n" + kZrqinit);
    const std::string opening = ReadUntil(host, kZrinit);
    EXPECT_NE(opening.find(kBinaryOn), std::string::npos);
    EXPECT_NE(opening.find(kZrinit), std::string::npos);
    ASSERT_TRUE(session.TransferActive());
    EXPECT_TRUE(WaitForScreen("before"));
    EXPECT_EQ(ScreenText().find("**"), std::string::npos); // nothing of the header
    EXPECT_FALSE(session.StartReceive());

    // Typed bytes are dropped while it runs.
    EXPECT_TRUE(session.Send("typed"));
    host.Write(std::string(6, '\x18'));
    ASSERT_TRUE(WaitFor([&] { return !session.TransferActive(); }));
    EXPECT_EQ(session.FailedTransfers(), 1);
    const std::string closing = ReadUntil(host, kBinaryOff);
    EXPECT_EQ(closing.find("typed"), std::string::npos);
    EXPECT_NE(closing.find(kBinaryOff), std::string::npos);

    // Afterwards the keyboard reaches the host again, and the host's text the screen.
    EXPECT_TRUE(session.Send("after"));
    EXPECT_NE(ReadUntil(host, "after").find("after"), std::string::npos);
    host.Write("shown again");
    EXPECT_TRUE(WaitForScreen("shown again"));
}

// The process's address space in KiB: a thread left unjoined keeps its stack.
long VirtualSize() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with("VmSize:")) return std::stol(line.substr(7));
    }
    return -1;
}

TEST_F(TransferSessionTest, TransfersStartedAndCancelledDoNotPileUp) {
    Listener host;
    ConnectTo(host);
    long before = 0;
    for (int i = 0; i < 200; ++i) {
        if (i == 10) before = VirtualSize();
        host.Write(kZrqinit);
        ASSERT_TRUE(WaitFor([&] { return session.TransferActive(); })) << i;
        host.Write(std::string(6, '\x18'));
        ASSERT_TRUE(WaitFor([&] { return !session.TransferActive(); })) << i;
        if (i % 50 == 0) host.ReadFor(1ms);
    }
    EXPECT_LT(VirtualSize() - before, 128 * 1024);
    EXPECT_TRUE(WaitFor([&] { return session.FailedTransfers() == 200; }));
}

TEST_F(TransferSessionTest, ALostConnectionEndsTheTransfer) {
    Listener host;
    ConnectTo(host);
    ASSERT_TRUE(session.StartReceive());
    ReadUntil(host, kZrinit);
    host.CloseConnection();
    EXPECT_TRUE(WaitFor([&] { return !session.TransferActive(); }));
    EXPECT_EQ(session.FailedTransfers(), 1);
}

TEST_F(TransferSessionTest, ClosingASessionMidTransferEndsItFirst) {
    Listener host;
    ConnectTo(host);
    std::ofstream(folder.File("out"), std::ios::binary) << std::string(100000, 'x');
    ASSERT_TRUE(session.StartSend({folder.File("out")}));
    EXPECT_FALSE(session.StartSend({folder.File("out")}));
    ReadUntil(host, "rz\r");
    // The receiver asks for the file, then the session goes in the middle.
    host.Write(kZrinit + "\r\x8a\x11");
    ReadUntil(host, "out");
    host.Write(
        "**\x18"
        "B0900000000a87c\r\x8a\x11");
    ReadUntil(host, std::string(50, 'x'));
    EXPECT_TRUE(session.Disconnect(CVT420Doc::Confirm::Silently));
    EXPECT_FALSE(session.TransferActive());
    EXPECT_EQ(session.FailedTransfers(), 1);
}

TEST_F(TransferSessionTest, AFileThatCannotBeReadStartsNothing) {
    Listener host;
    ConnectTo(host);
    EXPECT_FALSE(session.StartSend({folder.File("missing")}));
    // A FIFO without a writer is refused at once, not waited for.
    const std::string fifo = folder.File("fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(session.StartSend({fifo}));
    EXPECT_FALSE(session.TransferActive());
    EXPECT_EQ(user.Messages(), std::vector<std::string>(2, "Cannot open file for sending."));
}

} // namespace
} // namespace tamsivane::testing
