#include <asm/termbits.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "SerialPeers.h"
#include "TestSession.h"
#include "config/SettingsStore.h"
#include "platform/SerialPort.h"
#include "transport/CSerialTransport.h"

namespace tamsivane::testing {
namespace {

using Clock = std::chrono::steady_clock;

std::string AllByteValues() {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    return bytes;
}

class SerialTransportTest : public ::testing::Test {
protected:
    void SetUp() override { session.StartEmulator(); }

    // A serial session on device as COM<port+1> with 8N1 at speed.
    void Open(const std::string& device, int speed = 9600, int port = 0) {
        SettingsStore& s = session.Emulator().Settings();
        s.SetNumber(P::HostType, 1);
        s.SetNumber(P::Port, port);
        s.SetNumber(P::Speed, speed);
        s.SetNumber(P::DataLength, 8);
        s.SetNumber(P::Parity, 0);
        s.SetNumber(P::StopBits, 0);
        s.SetNumber(P::FlowControl, 0);
        for (const auto& [key, value] : extra) s.SetNumber(key, value);
        session.lines.serialPorts[port] = device;
        session.Attach(std::make_unique<CSerialTransport>(session));
        ASSERT_TRUE(session.Transport().Start());
    }
    // A session on one end of a socat pair whose other end (far) the test holds.
    void OpenPair(int flowControl = 0) {
        ptys = std::make_unique<SocatPtys>();
        ASSERT_TRUE(ptys->Ready());
        far = std::make_unique<LineEnd>(ptys->Far());
        ASSERT_TRUE(far->IsOpen());
        extra.emplace_back(P::FlowControl, flowControl);
        Open(ptys->Near());
        ASSERT_TRUE(session.WaitForState(TransportState::Connected));
    }
    bool Write(const std::string& bytes) {
        return session.Transport().Write(reinterpret_cast<const uint8_t*>(bytes.data()),
                                         bytes.size());
    }
    // The connection failed with the "Cannot connect" message and this
    // reason on the screen.
    void ExpectRefused(const std::string& reason) {
        ASSERT_TRUE(session.WaitForState(TransportState::Closed));
        EXPECT_EQ(session.Messages(), std::vector<int>{Msg::CannotConnect});
        EXPECT_NE(session.ScreenText().find(reason), std::string::npos) << session.ScreenText();
        EXPECT_NE(session.LastMessage().find("\n" + reason), std::string::npos);
        // The end is reported after the state has changed: wait for it, then once only.
        EXPECT_TRUE(session.WaitFor([&] { return session.EndCount() > 0; }));
        EXPECT_EQ(session.EndCount(), 1);
    }

    std::vector<std::pair<int, int>> extra; // more settings: parameter, value
    std::unique_ptr<SocatPtys> ptys;
    std::unique_ptr<LineEnd> far;
    TestSession session;
};

// A pseudo-terminal the test made: the session opens its terminal side, the
// test holds the other, which reports the terminal side's settings.
class TestPty {
public:
    TestPty() {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
        path_ = ptsname(master_);
    }
    ~TestPty() {
        if (master_ >= 0) close(master_);
    }
    const std::string& Path() const { return path_; }
    termios2 Settings() const {
        termios2 t{};
        ioctl(master_, TCGETS2, &t);
        return t;
    }

private:
    int master_ = -1;
    std::string path_;
};

TEST_F(SerialTransportTest, EveryByteValueCrossesBothWays) {
    OpenPair();
    EXPECT_EQ(session.Transport().GetName(session.Emulator().Settings()), "COM1");
    // Received bytes taken whole (as a transfer takes them), not through the screen.
    session.SetTransferRunning(true);
    const std::string all = AllByteValues();
    ASSERT_TRUE(far->Write(all + all));
    EXPECT_TRUE(session.WaitFor([&] { return session.TransferBytes() == all + all; }))
        << session.TransferBytes().size();
    ASSERT_TRUE(Write(all));
    EXPECT_EQ(far->Read(all.size()), all);
    session.SetTransferRunning(false);
    // And typed text reaches the line.
    EXPECT_TRUE(session.Type("typed\r"));
    EXPECT_EQ(far->Read(6), "typed\r");
}

TEST_F(SerialTransportTest, XonXoffHoldsOutputUntilResumed) {
    OpenPair(1);
    ASSERT_TRUE(far->Write("\x13"));
    // XOFF is taken by the line, not shown; what follows it is.
    ASSERT_TRUE(far->Write("after"));
    ASSERT_TRUE(session.WaitForScreen("after"));
    std::atomic<bool> sent{false};
    std::thread typist([&] { sent = session.Type("held"); });
    EXPECT_EQ(far->ReadFor(300ms), "");
    ASSERT_TRUE(far->Write("\x11"));
    EXPECT_EQ(far->Read(4), "held");
    typist.join();
    EXPECT_TRUE(sent);
    EXPECT_EQ(session.ScreenText().find('\x13'), std::string::npos);
}

TEST_F(SerialTransportTest, OutputHeldPastItsBoundEndsTheSessionWithoutHoldingTheSender) {
    OpenPair(1);
    // What follows XOFF on the line shows it has been taken.
    ASSERT_TRUE(far->Write("\x13stopped"));
    ASSERT_TRUE(session.WaitForScreen("stopped"));
    // More than the line holds while output is stopped, and it never
    // resumes: the sender is done at once, the line gives up later.
    const auto start = Clock::now();
    EXPECT_TRUE(session.Type(std::string(256 * 1024, 'x')));
    EXPECT_NE(session.Transport().State(), TransportState::Closed);
    EXPECT_TRUE(session.WaitForState(TransportState::Closed, 30s));
    EXPECT_GE(Clock::now() - start, CSerialTransport::kWriteTimeout);
    EXPECT_TRUE(session.Messages().empty());
}

TEST_F(SerialTransportTest, SpeedAndStopBitsReachTheDevice) {
    for (const int speed : {9600, 51200, 250000}) {
        SCOPED_TRACE(speed);
        TestSession other;
        TestPty pty;
        ASSERT_FALSE(pty.Path().empty());
        SettingsStore& s = other.Emulator().Settings();
        s.SetNumber(P::Port, 2);
        s.SetNumber(P::Speed, speed);
        s.SetNumber(P::DataLength, 7);
        s.SetNumber(P::Parity, 1);
        s.SetNumber(P::StopBits, 2);
        other.lines.serialPorts[2] = pty.Path();
        other.StartEmulator();
        other.Attach(std::make_unique<CSerialTransport>(other));
        ASSERT_TRUE(other.Transport().Start());
        ASSERT_TRUE(other.WaitForState(TransportState::Connected));
        EXPECT_EQ(other.Transport().GetName(s), "COM3");
        const termios2 t = pty.Settings();
        const unsigned code = t.c_cflag & CBAUD;
        if (speed == 9600) {
            EXPECT_EQ(code, unsigned{B9600});
        } else {
            EXPECT_EQ(code, unsigned{BOTHER});
            EXPECT_EQ(t.c_ospeed, static_cast<speed_t>(speed));
        }
        EXPECT_TRUE(t.c_cflag & CSTOPB);
        EXPECT_TRUE(t.c_cflag & CLOCAL);
        EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
        EXPECT_FALSE(t.c_oflag & OPOST);
    }
}

TEST_F(SerialTransportTest, ApplySettingsReappliesForTheSamePortOnly) {
    TestPty pty;
    Open(pty.Path(), 9600);
    ASSERT_TRUE(session.WaitForState(TransportState::Connected));
    SettingsStore changed;
    changed.CopyFrom(session.Emulator().Settings());
    changed.SetNumber(P::Speed, 51200);
    changed.SetNumber(P::StopBits, 2);
    EXPECT_TRUE(session.Transport().ApplySettings(changed));
    EXPECT_EQ(pty.Settings().c_ospeed, 51200u);
    EXPECT_TRUE(pty.Settings().c_cflag & CSTOPB);
    EXPECT_TRUE(session.Messages().empty());
    // 1.5 stop bits cannot be applied: the line keeps what it had.
    changed.SetNumber(P::StopBits, 1);
    EXPECT_FALSE(session.Transport().ApplySettings(changed));
    EXPECT_EQ(pty.Settings().c_ospeed, 51200u);
    EXPECT_EQ(session.Messages(), std::vector<int>{0});
    // Another port needs a new connection; the line stays as it is.
    changed.SetNumber(P::StopBits, 0);
    changed.SetNumber(P::Port, 1);
    changed.SetNumber(P::Speed, 300);
    EXPECT_TRUE(session.Transport().ApplySettings(changed));
    EXPECT_EQ((session.Messages()), (std::vector<int>{0, Msg::RestartForSettings}));
    EXPECT_EQ(pty.Settings().c_ospeed, 51200u);
    EXPECT_EQ(session.Transport().State(), TransportState::Connected);
}

TEST(SerialLineRequest, DataBitsParityAndFlowControlAreAskedFor) {
    struct Case {
        int dataBits, parity, flow;
        tcflag_t size, parityBits;
    };
    const Case cases[] = {
        {6, 0, 0, CS6, 0},
        {7, 1, 0, CS7, PARENB},
        {8, 2, 1, CS8, PARENB | PARODD},
        {7, 3, 2, CS7, PARENB | PARODD | CMSPAR},
        {8, 4, 0, CS8, PARENB | CMSPAR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dataBits * 100 + c.parity * 10 + c.flow);
        termios2 t{};
        // Whatever the device had is replaced.
        t.c_cflag = CS5 | PARENB | PARODD | CMSPAR | CRTSCTS | HUPCL;
        t.c_iflag = ICRNL | IXON | ISTRIP;
        t.c_lflag = ICANON | ECHO;
        LineSettings line{19200, c.dataBits, c.parity, 0, c.flow};
        ASSERT_FALSE(MakeLineRequest(line, t));
        EXPECT_EQ(t.c_cflag & CSIZE, c.size);
        EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), c.parityBits);
        EXPECT_EQ((t.c_iflag & (IXON | IXOFF)) != 0, c.flow == 1);
        EXPECT_EQ((t.c_cflag & CRTSCTS) != 0, c.flow == 2);
        EXPECT_EQ(t.c_cflag & (CBAUD | CSTOPB | HUPCL), tcflag_t{B19200});
        EXPECT_EQ(t.c_iflag & (ICRNL | ISTRIP), 0u);
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO), 0u);
    }
}

TEST(SerialLineRequest, SettingsNoLineCanTakeAreRefusedWithTheirReason) {
    using Kind = LineFault::Kind;
    const std::pair<LineSettings, std::string> refused[] = {
        {{9600, 8, 0, 1, 0}, "1.5 stop bits are not supported by this line."},
        {{9600, 5, 0, 0, 0}, "5 data bits are not supported; the line takes 6, 7 or 8."},
        {{9600, 9, 0, 0, 0}, "9 data bits are not supported; the line takes 6, 7 or 8."},
        {{0, 8, 0, 0, 0}, "Invalid baud rate: 0."},
        {{-300, 8, 0, 0, 0}, "Invalid baud rate: -300."},
        {{9600, 8, 5, 0, 0}, "Invalid parity setting: 5."},
        {{9600, 8, 0, 3, 0}, "Invalid stop bits setting: 3."},
        {{9600, 8, 0, 0, 3}, "Invalid flow control setting: 3."},
    };
    for (const auto& [line, reason] : refused) {
        termios2 t{};
        t.c_cflag = CS7 | B300;
        const LineFault fault = MakeLineRequest(line, t);
        EXPECT_NE(fault.kind, Kind::None) << reason;
        EXPECT_EQ(DescribeLineFault(fault), reason);
        EXPECT_EQ(t.c_cflag, tcflag_t{CS7 | B300});
    }
    EXPECT_EQ(DescribeLineFault({Kind::SpeedRefused, 7}),
              "The device refuses the speed of 7 bit/s.");
    EXPECT_EQ(DescribeLineFault({Kind::Device, EIO}), std::strerror(EIO));
    EXPECT_EQ(DescribeLineFault({}), "");
}

TEST_F(SerialTransportTest, RefusedSettingsFailTheConnectionWithTheReasonOnScreen) {
    TestPty pty;
    extra = {{P::StopBits, 1}};
    Open(pty.Path());
    ExpectRefused("1.5 stop bits are not supported");
    // The device was closed again: it can be had exclusively.
    const int fd = open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    close(fd);
}

TEST_F(SerialTransportTest, ZeroSpeedIsRefused) {
    TestPty pty;
    Open(pty.Path(), 0);
    ExpectRefused("Invalid baud rate: 0.");
}

TEST_F(SerialTransportTest, AMissingOrBusyDeviceFailsTheConnection) {
    Open("/dev/tamsivane-no-such-line", 9600, 4);
    ExpectRefused("/dev/tamsivane-no-such-line: No such file or directory");
    TestPty pty;
    const int holder = open(pty.Path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_EQ(flock(holder, LOCK_EX | LOCK_NB), 0);
    TestSession second;
    second.StartEmulator();
    second.Emulator().Settings().SetNumber(P::Speed, 9600);
    second.Emulator().Settings().SetNumber(P::DataLength, 8);
    second.lines.serialPorts[0] = pty.Path();
    second.Attach(std::make_unique<CSerialTransport>(second));
    ASSERT_TRUE(second.Transport().Start());
    ASSERT_TRUE(second.WaitForState(TransportState::Closed));
    EXPECT_EQ(second.Messages(), std::vector<int>{Msg::CannotConnect});
    EXPECT_NE(second.ScreenText().find("busy"), std::string::npos) << second.ScreenText();
    close(holder);
}

TEST_F(SerialTransportTest, TheDeviceGoingAwayEndsTheSessionQuietly) {
    OpenPair();
    ptys->Unplug();
    EXPECT_TRUE(session.WaitForState(TransportState::Closed));
    EXPECT_EQ(session.States(), (std::vector{TransportState::Connecting, TransportState::Connected,
                                             TransportState::Closing, TransportState::Closed}));
    EXPECT_TRUE(session.Messages().empty());
    EXPECT_EQ(session.EndCount(), 1);
    EXPECT_FALSE(session.Type("x"));
}

TEST_F(SerialTransportTest, BreakHoldsHalfASecondWhileDataKeepsArriving) {
    OpenPair();
    std::atomic<bool> breakDone{false};
    const auto start = Clock::now();
    std::thread breaker([&] {
        EXPECT_TRUE(session.Transport().SendBreak());
        breakDone = true;
    });
    ASSERT_TRUE(far->Write("during"));
    EXPECT_TRUE(session.WaitForScreen("during", 2s));
    EXPECT_FALSE(breakDone);
    breaker.join();
    EXPECT_GE(Clock::now() - start, CSerialTransport::kBreakTime);
}

TEST(SerialDevices, PortsNameTheirDevicesAndAnOverrideWins) {
    MemoryProfile profile;
    profile.SetString("SerialPorts", "COM2", "/dev/ttyUSB0");
    LineDevices lines = ReadLineDevices(profile);
    EXPECT_EQ(lines.SerialDevice(0), "/dev/ttyS0");
    EXPECT_EQ(lines.SerialDevice(1), "/dev/ttyUSB0");
    EXPECT_EQ(lines.SerialDevice(7), "/dev/ttyS7");
    EXPECT_FALSE(lines.ModemAt(0));
    lines.deviceOverride = "/dev/pts/9";
    EXPECT_EQ(lines.SerialDevice(1), "/dev/pts/9");
    ASSERT_TRUE(lines.ModemAt(0));
    EXPECT_EQ(lines.ModemAt(0)->device, "/dev/pts/9");
    EXPECT_EQ(ComPortName(0), "COM1");
}

} // namespace
} // namespace tamsivane::testing
