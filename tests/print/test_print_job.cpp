// The printer-controller job through a session's printer: the time-out that
// joins streams into one job and the failures the user is told about (what
// each destination gets is in the CLI's print cases).
#include <gtest/gtest.h>

#include "PrintTestKit.h"
#include "config/ResourceStrings.h"
#include "print/PrintWorker.h"
#include "print/SessionPrinter.h"

namespace tamsivane {
namespace {

using testing::KeepingBackend;
using testing::ManualClock;
using testing::MessageLog;
using namespace std::chrono_literals;

class PrintJobTest : public ::testing::Test {
protected:
    PrintJobTest() {
        auto clock = std::make_unique<ManualClock>();
        clock_ = clock.get();
        printer_ = std::make_unique<SessionPrinter>(log_.Sink(), std::move(clock));
        printer_->SetBackend(backend_);
    }

    void Stream(std::string_view bytes) {
        printer_->ControllerStarted(settings_, "session");
        printer_->ControllerData(bytes, {});
        printer_->ControllerEnded();
        Printed();
    }
    // What was asked so far is printed on the printer's own thread.
    void Printed() {
        ASSERT_TRUE(printer_->WaitUntilPrinted(std::chrono::steady_clock::now() + 10s));
    }
    void Advance(std::chrono::milliseconds by) {
        clock_->Advance(by);
        Printed();
    }

    std::shared_ptr<KeepingBackend> backend_ = std::make_shared<KeepingBackend>();
    MessageLog log_;
    ManualClock* clock_;
    std::unique_ptr<SessionPrinter> printer_;
    PrintSettings settings_;
};

TEST_F(PrintJobTest, StreamsInsideTheTimeOutMakeOneJobThatClosesAfterIt) {
    settings_.destination = PrintDestination::Spooler;
    settings_.jobTimeoutSeconds = 5;
    Stream("first\r\n");
    Advance(3s);
    Stream("second\r\n");
    Advance(4s); // 7 s after the first end, 4 s after the second
    ASSERT_EQ(backend_->jobs.size(), 1u);
    EXPECT_FALSE(backend_->jobs[0]->closed);
    EXPECT_EQ(backend_->jobs[0]->bytes, "first\r\nsecond\r\n"); // each end flushes
    Advance(1s);
    EXPECT_TRUE(backend_->jobs[0]->closed);
    EXPECT_FALSE(printer_->JobOpen());
    Stream("third");
    EXPECT_EQ(backend_->jobs.size(), 2u);
    EXPECT_TRUE(log_.Messages().empty());
}

TEST_F(PrintJobTest, AStreamStillRunningAtTheTimeOutKeepsTheJob) {
    settings_.destination = PrintDestination::Spooler;
    settings_.jobTimeoutSeconds = 1;
    Stream("a");
    printer_->ControllerStarted(settings_, "session");
    EXPECT_EQ(printer_->Mode(), PrintMode::Controller);
    Advance(5s);
    printer_->ControllerData("b", {});
    printer_->ControllerEnded();
    EXPECT_EQ(printer_->Mode(), PrintMode::None);
    Printed();
    ASSERT_EQ(backend_->jobs.size(), 1u);
    EXPECT_FALSE(backend_->jobs[0]->closed);
    Advance(1s);
    EXPECT_TRUE(backend_->jobs[0]->closed);
    EXPECT_EQ(backend_->jobs[0]->bytes, "ab");
}

TEST_F(PrintJobTest, TextJobsTranslateBytesToCharacters) {
    settings_.destination = PrintDestination::Driver;
    const auto translate = [](uint8_t byte) -> uint16_t {
        if (byte == 0xC3) return 0; // the first byte of a pair: nothing yet
        return byte == 0xA9 ? 0x00E9 : byte;
    };
    printer_->ControllerStarted(settings_, "session");
    printer_->ControllerData("caf\xC3\xA9\n", translate);
    printer_->ControllerEnded();
    Printed();
    EXPECT_EQ(backend_->pages, "caf\xC3\xA9\n");
}

TEST_F(PrintJobTest, AJobThatCannotOpenSaysWhyWithTheErrorNumber) {
    settings_.destination = PrintDestination::Port;
    backend_->openError = 6;
    Stream("lost");
    ASSERT_EQ(log_.Messages().size(), 1u);
    EXPECT_EQ(log_.Messages()[0].id, Msg::CannotInitializePrinter);
    EXPECT_EQ(log_.Messages()[0].text, "Cannot initialize printer. Error code = 6");

    settings_.destination = PrintDestination::Driver;
    backend_->documentFailure = DocumentFailure::CannotSetup;
    Stream("lost");
    ASSERT_EQ(log_.Messages().size(), 3u);
    EXPECT_EQ(log_.Messages()[1].text, "Cannot setup printer.");
    EXPECT_EQ(log_.Messages()[2].id, Msg::CannotInitializePrinter);
}

TEST_F(PrintJobTest, OutputThatFailsIsReportedOnceAndEndsTheJob) {
    settings_.destination = PrintDestination::Port;
    settings_.jobTimeoutSeconds = 5;
    backend_->writeError = 110;
    Stream("one");
    EXPECT_FALSE(printer_->JobOpen());
    printer_->ControllerStarted(settings_, "session"); // opens a new job
    printer_->ControllerData("two", {});
    printer_->ControllerEnded();
    Printed();
    const auto messages = log_.Messages();
    ASSERT_EQ(messages.size(), 2u); // one per job
    EXPECT_EQ(messages[0].text, "Cannot start printer job.");

    // A spooler that refuses the job at its end.
    backend_->writeError = 0;
    backend_->closeError = 5;
    settings_.destination = PrintDestination::Spooler;
    settings_.jobTimeoutSeconds = 0;
    Stream("three");
    EXPECT_EQ(log_.Messages().size(), 3u);
    EXPECT_EQ(log_.Messages()[2].id, Msg::CannotStartPrintJob);
}

TEST_F(PrintJobTest, LongSpoolerStreamsGoOutInBufferfuls) {
    settings_.destination = PrintDestination::Spooler;
    const std::string big(5000, 'x');
    printer_->ControllerStarted(settings_, "session");
    printer_->ControllerData(big, {});
    Printed();
    ASSERT_EQ(backend_->jobs.size(), 1u);
    EXPECT_EQ(backend_->jobs[0]->bytes.size(), 4096u); // the last 904 wait for the line's end
    printer_->ControllerEnded();
    Printed();
    EXPECT_EQ(backend_->jobs[0]->bytes, big);
}

TEST_F(PrintJobTest, AutoPrintFillsPagesAndEjectsTheLastAtItsEnd) {
    backend_->metrics = {2, 80};
    printer_->StartAutoPrint(settings_, "session");
    EXPECT_EQ(printer_->Mode(), PrintMode::AutoPrint);
    for (const char16_t* line : {u"one", u"two", u"three"}) printer_->AutoPrintLine(line);
    Printed();
    EXPECT_EQ(backend_->pages, "one\ntwo\n");
    printer_->EndAutoPrint();
    EXPECT_EQ(printer_->Mode(), PrintMode::None);
    Printed();
    EXPECT_EQ(backend_->pages, "one\ntwo\n\fthree\n");

    // The mode goes once the document turns out not to start.
    backend_->documentFailure = DocumentFailure::CannotStart;
    printer_->StartAutoPrint(settings_, "session");
    Printed();
    EXPECT_EQ(printer_->Mode(), PrintMode::None);
    ASSERT_EQ(log_.Messages().size(), 1u);
    EXPECT_EQ(log_.Messages()[0].text, "Cannot start printer job.");
}

TEST(PrintWorker, WorkPastItsRoomHoldsBackAndPastItsLimitIsRefused) {
    PrintWorker worker;
    std::mutex gate;
    std::unique_lock closed(gate);
    ASSERT_TRUE(worker.Post([&] { std::lock_guard wait(gate); }));
    const std::string chunk(64 * 1024, 'x');
    std::string printed;
    const auto print = [&] { printed += chunk; };
    size_t posted = 0;
    while (!worker.Behind()) {
        ASSERT_TRUE(worker.Post(print, chunk.size()));
        ++posted;
    }
    EXPECT_EQ(posted, PrintWorker::kRoom / chunk.size());
    while (worker.Post(print, chunk.size())) ++posted;
    EXPECT_LT(posted * chunk.size(), PrintWorker::kLimit);
    EXPECT_FALSE(worker.WaitUntilIdle(std::chrono::steady_clock::now()));
    // What was taken is all done, in order, once the printer goes on.
    closed.unlock();
    ASSERT_TRUE(worker.WaitUntilIdle(std::chrono::steady_clock::now() + 10s));
    EXPECT_FALSE(worker.Behind());
    EXPECT_EQ(printed.size(), posted * chunk.size());
}

} // namespace
} // namespace tamsivane
