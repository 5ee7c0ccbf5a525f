// tamsivane-cli run over a serial line and a modem given with --device: the
// far end is a pseudo-terminal the test drives, or the scripted fake modem.
#include <gtest/gtest.h>

#include <fstream>
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

} // namespace
} // namespace tamsivane::testing
