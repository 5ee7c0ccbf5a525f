#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/EventFd.h"
#include "platform/NameLookup.h"
#include "platform/TcpSocket.h"

namespace tamsivane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A listening socket on 127.0.0.1 and the one connection it accepts.
class LoopbackPeer {
public:
    LoopbackPeer() {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t size = sizeof address;
        bind(listener_, reinterpret_cast<sockaddr*>(&address), size);
        listen(listener_, 1);
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &size);
        port_ = ntohs(address.sin_port);
    }
    ~LoopbackPeer() {
        if (connection_ >= 0) close(connection_);
        close(listener_);
    }
    int Port() const { return port_; }
    bool Accept() {
        pollfd entry{listener_, POLLIN, 0};
        if (poll(&entry, 1, 10000) != 1) return false;
        connection_ = accept(listener_, nullptr, nullptr);
        return connection_ >= 0;
    }
    void CloseConnection() {
        close(connection_);
        connection_ = -1;
    }
    // What is waiting now, without blocking.
    std::string ReadAvailable() {
        std::string out;
        char buffer[65536];
        ssize_t n;
        while ((n = recv(connection_, buffer, sizeof buffer, MSG_DONTWAIT)) > 0) {
            out.append(buffer, static_cast<size_t>(n));
        }
        return out;
    }

private:
    int listener_ = -1;
    int connection_ = -1;
    int port_ = 0;
};

const auto kNeverStop = [] { return false; };

TEST(EventFd, RingsUntilDrained) {
    EventFd bell;
    ASSERT_GE(bell.Fd(), 0);
    EXPECT_FALSE(bell.Wait(10ms));
    bell.Signal();
    bell.Signal();
    EXPECT_TRUE(bell.Wait(0ms));
    EXPECT_FALSE(bell.Wait(0ms));
    bell.Signal();
    bell.Drain();
    EXPECT_FALSE(bell.Wait(0ms));
}

TEST(TcpSocket, OutputWaitsForReleaseAndTheFirstLineGoesFirst) {
    LoopbackPeer peer;
    EventFd bell;
    CTcpSocket socket(bell);
    int drained = 0;
    socket.SetDrainedCallback([&] { ++drained; });
    ASSERT_TRUE(socket.Send("typed early"));
    ASSERT_EQ(socket.Connect("127.0.0.1", peer.Port(), kNeverStop, 10s),
              CTcpSocket::ConnectResult::Connected);
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(socket.Send(", then more"));
    std::this_thread::sleep_for(20ms);
    EXPECT_EQ(peer.ReadAvailable(), "");
    EXPECT_EQ(drained, 0);
    ASSERT_TRUE(socket.Release("first line\n"));
    EXPECT_EQ(drained, 1);
    std::string received;
    const auto deadline = Clock::now() + 10s;
    while (received.size() < 33 && Clock::now() < deadline) received += peer.ReadAvailable();
    EXPECT_EQ(received, "first line\ntyped early, then more");
    ASSERT_TRUE(socket.Send("!"));
    EXPECT_EQ(drained, 2);
    socket.Close();
    EXPECT_FALSE(socket.Send("after close"));
}

TEST(TcpSocket, BacklogKeepsOrderWhileThePeerIsSlowAndIsBounded) {
    LoopbackPeer peer;
    EventFd bell;
    CTcpSocket socket(bell);
    std::atomic<int> drained{0};
    socket.SetDrainedCallback([&] { ++drained; });
    ASSERT_EQ(socket.Connect("127.0.0.1", peer.Port(), kNeverStop, 10s),
              CTcpSocket::ConnectResult::Connected);
    ASSERT_TRUE(peer.Accept());
    ASSERT_TRUE(socket.Release());

    // Numbered pieces far beyond what the kernel buffers, written without the
    // peer reading: none of the sends may block, and the limit must bite.
    std::string expected;
    const auto start = Clock::now();
    bool refused = false;
    for (int piece = 0; piece < 100000 && !refused; ++piece) {
        const std::string text = std::to_string(piece) + std::string(1000, 'a' + piece % 26) + ";";
        if (socket.Send(text)) {
            expected += text;
        } else {
            refused = true;
        }
    }
    EXPECT_TRUE(refused);
    EXPECT_GT(expected.size(), CTcpSocket::kBacklogLimit);
    EXPECT_LT(Clock::now() - start, 10s);

    // The I/O thread's waits flush the backlog as the peer reads.
    const int drainedBefore = drained;
    std::string received;
    const auto deadline = Clock::now() + 30s;
    while (received.size() < expected.size() && Clock::now() < deadline) {
        const CTcpSocket::Readiness ready = socket.Wait(false, 5ms);
        ASSERT_FALSE(ready.failed);
        received += peer.ReadAvailable();
    }
    EXPECT_TRUE(received == expected);
    EXPECT_GT(drained, drainedBefore);
}

TEST(TcpSocket, ConnectFailuresAndStop) {
    EventFd bell;
    CTcpSocket socket(bell);
    int unused;
    {
        LoopbackPeer closed;
        unused = closed.Port();
    }
    EXPECT_EQ(socket.Connect("127.0.0.1", unused, kNeverStop, 10s),
              CTcpSocket::ConnectResult::Refused);
    EXPECT_EQ(socket.Connect("no-such-host.invalid", 23, kNeverStop, 10s),
              CTcpSocket::ConnectResult::NoSuchHost);
    EXPECT_EQ(socket.Connect("127.0.0.1", 0, kNeverStop, 10s), CTcpSocket::ConnectResult::Failed);
    EXPECT_EQ(socket.Connect("127.0.0.1", 70000, kNeverStop, 10s),
              CTcpSocket::ConnectResult::Failed);
    EXPECT_EQ(socket.Connect("", 23, kNeverStop, 10s), CTcpSocket::ConnectResult::Failed);
    LoopbackPeer peer;
    EXPECT_EQ(socket.Connect(
                  "127.0.0.1", peer.Port(), [] { return true; }, 10s),
              CTcpSocket::ConnectResult::Stopped);
}

// A name server that answers only when the test lets it: the name then
// stands for 127.0.0.1, so an abandoned answer is a real list to free.
std::atomic<bool> gLookupEntered{false};
std::atomic<bool> gLookupReleased{false};

int SlowLookup(const char*, const char* service, const addrinfo* hints, addrinfo** result) {
    gLookupEntered = true;
    const auto limit = Clock::now() + 20s;
    while (!gLookupReleased && Clock::now() < limit) std::this_thread::sleep_for(5ms);
    return getaddrinfo("127.0.0.1", service, hints, result);
}

class SlowNameServer {
public:
    SlowNameServer() : previous_(NameLookup::SetFunction(&SlowLookup)) {
        gLookupEntered = false;
        gLookupReleased = false;
    }
    ~SlowNameServer() {
        Release();
        const auto limit = Clock::now() + 20s;
        while (NameLookup::InFlight() > 0 && Clock::now() < limit) std::this_thread::sleep_for(5ms);
        NameLookup::SetFunction(previous_);
    }
    void Release() { gLookupReleased = true; }

private:
    NameLookup::Function previous_;
};

TEST(TcpSocket, StopDuringASlowNameLookupReturnsAtOnce) {
    SlowNameServer server;
    LoopbackPeer peer;
    EventFd bell;
    CTcpSocket socket(bell);
    std::atomic<bool> stop{false};
    std::atomic<Clock::time_point::rep> returnedAt{0};
    CTcpSocket::ConnectResult result = CTcpSocket::ConnectResult::Connected;
    std::thread connecting([&] {
        result = socket.Connect("slow.example", peer.Port(), [&] { return stop.load(); }, 30s);
        returnedAt = Clock::now().time_since_epoch().count();
    });
    while (!gLookupEntered) std::this_thread::sleep_for(1ms);
    const auto stoppedAt = Clock::now();
    stop = true;
    bell.Signal();
    connecting.join();
    EXPECT_EQ(result, CTcpSocket::ConnectResult::Stopped);
    EXPECT_LT(Clock::time_point(Clock::duration(returnedAt.load())) - stoppedAt, 2s);
    // The abandoned lookup ends later and frees its answer by itself.
    EXPECT_EQ(NameLookup::InFlight(), 1);
    server.Release();
}

TEST(TcpSocket, SlowNameLookupTimesOutOrConnects) {
    SlowNameServer server;
    LoopbackPeer peer;
    EventFd bell;
    CTcpSocket late(bell);
    EXPECT_EQ(late.Connect("slow.example", peer.Port(), kNeverStop, 200ms),
              CTcpSocket::ConnectResult::TimedOut);
    server.Release();
    CTcpSocket answered(bell);
    EXPECT_EQ(answered.Connect("slow.example", peer.Port(), kNeverStop, 10s),
              CTcpSocket::ConnectResult::Connected);
}

TEST(TcpSocket, PeerCloseShowsAsEndOfInput) {
    LoopbackPeer peer;
    EventFd bell;
    CTcpSocket socket(bell);
    ASSERT_EQ(socket.Connect("127.0.0.1", peer.Port(), kNeverStop, 10s),
              CTcpSocket::ConnectResult::Connected);
    ASSERT_TRUE(peer.Accept());
    uint8_t buffer[16];
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer), 0);
    peer.CloseConnection();
    EXPECT_TRUE(socket.Wait(true, 10s).input);
    EXPECT_EQ(socket.Receive(buffer, sizeof buffer), -1);
}

} // namespace
} // namespace tamsivane
