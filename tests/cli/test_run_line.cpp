// tamsivane-cli run over a serial line and a modem given with --device: the
// far end is a pseudo-terminal the test drives, or the scripted fake modem.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <thread>

#include "RunCli.h"
#include "SerialPeers.h"
#include "TempFolder.h"

namespace tamsivane::testing {
namespace {

TEST(RunLineTest, ASerialLineCarriesTheTextsBothWays) {
    SocatPtys ptys;
    ASSERT_TRUE(ptys.Ready());
    LineEnd far(ptys.Far());
    ASSERT_TRUE(far.IsOpen());
    std::string heard;
    std::thread host([&] {
        heard = far.Read(6);
        far.Write("hello to you\r\n");
    });
    const CliResult result =
        RunCli("run --set HostType=1 --set Speed=9600 --device " + ptys.Near() +
               " --send 'hello<CR>' --timeout 3 2>&1 </dev/null");
    host.join();
    EXPECT_EQ(heard, "hello\r");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("hello to you"), std::string::npos) << result.output;
}

TEST(RunLineTest, AModemCallThatFailsShowsTheScreenThenTheMessage) {
    TempFolder folder;
    std::ofstream(folder.File("script")) << "dial BUSY\n";
    SocatPtys ptys({TAMSIVANE_FAKE_MODEM, folder.File("script"), folder.File("log")});
    ASSERT_TRUE(ptys.Ready());
    const CliResult result = RunCli("run --set HostType=3 --set HostName=555-0100 --device " +
                                    ptys.Near() + " --send x 2>&1 </dev/null");
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.output.rfind("Dialing...\nBusy\n", 0), 0u) << result.output;
    const size_t message = result.output.find("Cannot connect to remote host.\nBusy");
    EXPECT_NE(message, std::string::npos) << result.output;
}

TEST(RunLineTest, AModemCallThatConnectsSendsTheTextsAfterwards) {
    TempFolder folder;
    std::ofstream(folder.File("script")) << "dial CONNECT 9600\ngreeting Welcome\n";
    SocatPtys ptys({TAMSIVANE_FAKE_MODEM, folder.File("script"), folder.File("log")});
    ASSERT_TRUE(ptys.Ready());
    const CliResult result = RunCli("run --set HostType=3 --set HostName=555-0100 --device " +
                                    ptys.Near() + " --send 'typed' --timeout 2 2>&1 </dev/null");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_NE(result.output.find("Connected.\nWelcometyped"), std::string::npos) << result.output;
}

TEST(RunLineTest, ReceivesAFileByZModemFromSzOnTheFarEnd) {
    ASSERT_EQ(access("/usr/bin/sz", X_OK), 0) << "lrzsz is not installed";
    TempFolder folder;
    std::string data;
    for (int i = 0; i < 100000; ++i) data += static_cast<char>(i % 251);
    std::ofstream(folder.File("sent.bin"), std::ios::binary) << data;
    ASSERT_EQ(mkdir(folder.File("in").c_str(), 0700), 0);
    // sz starts with the line; when it is done the line goes away and the run ends.
    SocatPtys ptys({"sz", folder.File("sent.bin")});
    ASSERT_TRUE(ptys.Ready());
    const CliResult result =
        RunCli("run --set HostType=1 --set Speed=115200 --device " + ptys.Near() + " --recv-dir " +
               folder.File("in") + " --timeout 60 --dump none 2>&1 </dev/null");
    EXPECT_EQ(result.status, 0) << result.output;
    std::ifstream in(folder.File("in/sent.bin"), std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == data);
    EXPECT_NE(result.output.find("zmodem: sent.bin finished\n"), std::string::npos)
        << result.output;
}

} // namespace
} // namespace tamsivane::testing
