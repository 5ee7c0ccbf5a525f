// Raw printing through the system: the spool command's words, a real spool
// command that files each job, no spooler at all, and a FIFO as the port.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "PrintTestKit.h"
#include "ScopedVariable.h"
#include "TempFolder.h"
#include "config/ResourceStrings.h"
#include "print/SessionPrinter.h"
#include "print/SystemPrinting.h"

namespace tamsivane {
namespace {

using namespace std::chrono_literals;
using testing::MessageLog;
using testing::TempFolder;
using Clock = std::chrono::steady_clock;

// Polls cond every 10 ms until it holds or limit passes.
template <typename Cond>
bool WaitFor(Cond cond, std::chrono::milliseconds limit = 10s) {
    const Clock::time_point end = Clock::now() + limit;
    while (!cond()) {
        if (Clock::now() >= end) return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(SpoolCommand, WordsWithThePrinterOrTheSpoolersDefault) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SpoolArguments(kDefaultSpoolCommand, "laser"),
              (V{"lp", "-d", "laser", "-o", "raw", "-t", "Tamsivane"}));
    EXPECT_EQ(SpoolArguments(kDefaultSpoolCommand, ""),
              (V{"lp", "-o", "raw", "-t", "Tamsivane"}));
    EXPECT_EQ(SpoolArguments("lpr  -P%s \"-T a title\"", "q"), (V{"lpr", "-Pq", "-T a title"}));
    EXPECT_EQ(PortDevicePath(kDefaultPortDevice, 2), "/dev/lp2");
}

class SystemPrintingTest : public ::testing::Test {
protected:
    void UseDevices(PrintDevices devices) {
        printer_.SetBackend(std::make_shared<SystemBackend>(std::move(devices)));
    }
    // Hands a stream to the printer, which prints it on its own thread.
    void Hand(std::string_view bytes) {
        printer_.ControllerStarted(settings_, "session");
        printer_.ControllerData(bytes, {});
        printer_.ControllerEnded();
    }
    void Stream(std::string_view bytes) {
        Hand(bytes);
        ASSERT_TRUE(printer_.WaitUntilPrinted(Clock::now() + 30s));
    }

    TempFolder folder_;
    MessageLog log_;
    SessionPrinter printer_{log_.Sink()};
    PrintSettings settings_;
};

TEST_F(SystemPrintingTest, ASpoolCommandGetsEachJobWhenItsTimeOutPasses) {
    PrintDevices devices;
    devices.spoolCommand = std::string(TAMSIVANE_SPOOL_RECORDER) + " " + folder_.Path();
    UseDevices(devices);
    settings_.destination = PrintDestination::Spooler;
    settings_.jobTimeoutSeconds = 1;
    settings_.formFeedAtEnd = true;
    Stream("first ");
    Stream("second");
    const std::string job = folder_.File("job-1");
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(job); }));
    EXPECT_EQ(ReadFile(job), "first second\f");
    settings_.jobTimeoutSeconds = 0;
    Stream("third");
    ASSERT_TRUE(WaitFor([&] { return std::filesystem::exists(folder_.File("job-2")); }));
    EXPECT_EQ(ReadFile(folder_.File("job-2")), "third\f");
    EXPECT_TRUE(log_.Messages().empty());
}

TEST_F(SystemPrintingTest, WithoutASpoolerTheUserIsToldAtOnce) {
    testing::ScopedVariable path("PATH", folder_.Path().c_str());
    settings_.destination = PrintDestination::Spooler;
    const Clock::time_point start = Clock::now();
    Stream("nowhere");
    EXPECT_LT(Clock::now() - start, 5s);
    const auto messages = log_.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text,
              "Cannot initialize printer. Error code = " + std::to_string(ENOENT));
}

TEST_F(SystemPrintingTest, ASpoolerThatCannotBeReachedFailsTheJobOnce) {
    if (system("command -v lp >/dev/null 2>&1") != 0) GTEST_SKIP() << "lp is not installed";
    // A local port nothing listens on.
    testing::ScopedVariable server("CUPS_SERVER", "127.0.0.1:9");
    settings_.destination = PrintDestination::Spooler;
    const Clock::time_point start = Clock::now();
    Stream("refused");
    EXPECT_LT(Clock::now() - start, 15s);
    const auto messages = log_.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].id, Msg::CannotStartPrintJob);
}

class FifoPortTest : public SystemPrintingTest {
protected:
    void SetUp() override {
        fifo_ = folder_.File("lp0");
        ASSERT_EQ(mkfifo(fifo_.c_str(), 0600), 0);
        PrintDevices devices;
        devices.portDevice = folder_.File("lp%d");
        UseDevices(devices);
        settings_.destination = PrintDestination::Port;
        settings_.port = 0;
    }
    std::string fifo_;
};

TEST_F(FifoPortTest, WithAReaderTheBytesArriveAndTheFormFeedComesLast) {
    const int reader = open(fifo_.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    settings_.formFeedAtEnd = true;
    Stream("\x1b[1mbold\x1b[0m\r\n");
    std::string got;
    ASSERT_TRUE(WaitFor([&] {
        char buffer[256];
        const ssize_t n = read(reader, buffer, sizeof buffer);
        if (n > 0) got.append(buffer, static_cast<size_t>(n));
        return !got.empty() && got.back() == '\f';
    }));
    close(reader);
    EXPECT_EQ(got, "\x1b[1mbold\x1b[0m\r\n\f");
    EXPECT_TRUE(log_.Messages().empty());
}

TEST_F(FifoPortTest, WithoutAReaderTheJobFailsAtOnce) {
    const Clock::time_point start = Clock::now();
    Stream("nobody");
    // Well short of the 10 s a port that stops taking data is given.
    EXPECT_LT(Clock::now() - start, 5s);
    const auto messages = log_.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Cannot initialize printer. Error code = " + std::to_string(ENXIO));
}

TEST_F(FifoPortTest, APortThatStopsTakingDataHoldsOnlyThePrintersThreadUntilTheJobEnds) {
    // A reader that never reads: the FIFO fills and the printer's thread
    // waits on it, while handing over has long returned; after the stall
    // limit the job gives up instead of holding it.
    const int reader = open(fifo_.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    Hand(std::string(1 << 20, 'x'));
    EXPECT_FALSE(printer_.WaitUntilPrinted(Clock::now()));
    EXPECT_EQ(printer_.Mode(), PrintMode::None);
    ASSERT_TRUE(printer_.WaitUntilPrinted(Clock::now() + 30s));
    close(reader);
    const auto messages = log_.Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Cannot start printer job.");
    EXPECT_FALSE(printer_.JobOpen());
}

} // namespace
} // namespace tamsivane
