// A printer and a serial line that take nothing hold neither the session
// nor its user: while both wait, the session lock is free for painting and
// typed keys still reach the screen.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "SerialPeers.h"
#include "SessionFixture.h"
#include "print/SystemPrinting.h"

namespace tamsivane::testing {
namespace {

using Clock = std::chrono::steady_clock;

// Whether the lock can be taken within limit, as a paint or a key takes it.
bool FreeWithin(CVT420Doc& session, std::chrono::milliseconds limit) {
    const Clock::time_point end = Clock::now() + limit;
    while (!session.TryLocked()) {
        if (Clock::now() >= end) return false;
        std::this_thread::yield();
    }
    return true;
}

TEST_F(SessionTest, AStalledPrinterAndLineLeaveTheScreenAndKeysFree) {
    SocatPtys ptys;
    ASSERT_TRUE(ptys.Ready());
    LineEnd far(ptys.Far()); // written to, never read
    ASSERT_TRUE(far.IsOpen());
    const std::string fifo = folder.File("lp0");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int reader = open(fifo.c_str(), O_RDONLY | O_NONBLOCK); // never reads
    ASSERT_GE(reader, 0);
    PrintDevices devices;
    devices.portDevice = folder.File("lp%d");
    session.SetPrintBackend(std::make_shared<SystemBackend>(devices));
    LineDevices lines;
    lines.serialPorts[0] = ptys.Near();
    session.SetLineDevices(lines);
    Configure([](SettingsStore& s) {
        s.SetNumber(P::HostType, static_cast<int32_t>(TransportType::Serial));
        s.SetNumber(P::Port, 0);
        s.SetNumber(P::Speed, 9600);
        s.SetNumber(P::PrintTo, 2);
        s.SetNumber(P::PrintPort, 0);
        s.SetNumber(P::LocalEcho, 1);
    });
    ASSERT_TRUE(session.OpenConnection(CVT420Doc::Connect::Now));
    ASSERT_TRUE(WaitForState(TransportState::Connected));

    // More than the port takes, printed from the host's side; then more
    // than the line takes, pasted (the line's relay stops both ways then).
    ASSERT_TRUE(far.Write("\x1b[5i" + std::string(256 * 1024, 'p') + "\x1b[4i\r\nprinted"));
    ASSERT_TRUE(WaitForScreen("printed"));
    EXPECT_FALSE(session.WaitUntilPrinted(Clock::now()));
    ASSERT_TRUE(session.PasteText(std::u16string(256 * 1024, u'x')));
    // Its echo (as much as is kept of it) is shown before the keys'.
    ASSERT_TRUE(session.WaitUntilShown(Clock::now() + 20s));

    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(FreeWithin(session, 2s)) << i;
        const std::string key = "<" + std::to_string(i) + ">";
        ASSERT_TRUE(session.Send("\r\n" + key));
        ASSERT_TRUE(WaitForScreen(key)) << i;
    }
    EXPECT_EQ(session.ConnectionState(), TransportState::Connected);

    // The port's reader goes: the job fails, and the user is told once.
    close(reader);
    ASSERT_TRUE(session.WaitUntilPrinted(Clock::now() + 30s));
    EXPECT_EQ(user.Messages(), std::vector<std::string>{"Cannot start printer job."});
}

} // namespace
} // namespace tamsivane::testing
