// A session's printing: ranges of rows as one document, auto print of each
// line the cursor leaves, and the printer-controller job with its time-out.
//
// Threads: every request returns at once.  It hands a snapshot of what to
// print (lines, bytes already translated) to the session's print worker,
// which starts, draws, writes and closes in order on its own thread, so
// that a stalled printer never holds the session lock.  Range printing may
// be asked from any thread; auto print and the controller come inside
// received data, on the I/O thread under the session lock.  Mode() follows
// the requests at once, before the worker has run them.  The job's time-out
// fires on the clock's thread and is handed to the worker too.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "print/JobClock.h"
#include "print/PrintBackend.h"
#include "print/PrintJob.h"
#include "print/PrintWorker.h"

namespace tamsivane {

enum class PrintMode { None = 0, AutoPrint = 1, Controller = 2 };

class SessionPrinter {
public:
    // A received byte as a character (0: none yet, as within a multibyte sequence).
    using Translate = std::function<uint16_t(uint8_t)>;

    explicit SessionPrinter(PrintMessages messages,
                            std::unique_ptr<JobClock> clock = std::make_unique<ThreadJobClock>());
    // Finishes what was handed over, then ends auto print and closes the job.
    ~SessionPrinter();
    SessionPrinter(const SessionPrinter&) = delete;
    SessionPrinter& operator=(const SessionPrinter&) = delete;

    // Where output goes from now on (a job already open keeps its own);
    // none: nothing is printed, and nothing is said about it.
    void SetBackend(std::shared_ptr<PrintBackend> backend);
    std::shared_ptr<PrintBackend> Backend() const;
    PrintMode Mode() const { return mode_.load(); }

    // Prints lines as one document named title; failures are shown.
    void PrintLines(PrintSettings settings, std::string title, std::vector<std::u16string> lines);

    // --- auto print (session lock held)
    // Mode() says AutoPrint from now on, until the end or until the
    // document turns out not to start.
    void StartAutoPrint(const PrintSettings& settings, std::string_view title);
    void AutoPrintLine(std::u16string line);
    // Ejects the last page.
    void EndAutoPrint();

    // --- printer controller (session lock held)
    // Opens the job, or keeps the one still open from an earlier stream.
    void ControllerStarted(const PrintSettings& settings, std::string_view title);
    // Translates here, in the order received, what a printer driver's job
    // prints as text.
    void ControllerData(std::string_view bytes, const Translate& translate);
    // Flushes the line; the job closes now (JobTimeout 0) or once the
    // time-out passes without another stream.
    void ControllerEnded();
    // Whether the job is open, as far as the worker has got.
    bool JobOpen() const { return jobOpen_.load(); }

    // Until everything asked for so far has been printed (or has failed);
    // false at the deadline.  For the headless program and tests.
    bool WaitUntilPrinted(PrintWorker::Clock::time_point deadline) const {
        return worker_.WaitUntilIdle(deadline);
    }
    // Whether printing is behind, so that received data should wait.
    bool Behind() const { return worker_.Behind(); }

private:
    // Hands work to the worker; refused work is reported once per job.
    void Post(PrintWorker::Task task, size_t bytes = 0);
    void SetModes(bool autoPrinting, bool controllerOn);
    // Worker: the time-out of the stream that ended at deadline passed.
    void TimedOut(JobClock::Clock::time_point deadline);
    // Worker (or the destructor, once the worker is gone).
    void FinishAutoDocument();
    void CloseJobNow();

    PrintMessages messages_;
    std::unique_ptr<JobClock> clock_;
    mutable std::mutex backendMutex_;
    std::shared_ptr<PrintBackend> backend_;

    // What Mode() is made of, as asked; the worker turns auto print off
    // when the document of the start numbered autoStart_ fails.
    std::mutex modeMutex_;
    bool autoPrinting_ = false;
    bool controllerOn_ = false;
    unsigned autoStart_ = 0;
    std::atomic<PrintMode> mode_{PrintMode::None};
    std::atomic<bool> refused_{false}; // work was refused since the last job began

    // Session lock: whether the running stream's bytes are translated, and
    // its job's time-out.
    bool streamTranslates_ = false;
    int streamTimeoutSeconds_ = 0;

    // The worker's own.
    std::unique_ptr<PageSurface> autoDocument_;
    int autoLines_ = 0;
    PrintJob job_;
    bool jobStreaming_ = false;                 // a stream runs into the job
    JobClock::Clock::time_point closeAt_{};     // the last stream's time-out
    std::atomic<bool> jobOpen_{false};

    // Last, so that it finishes before what its tasks use goes.
    PrintWorker worker_;
};

} // namespace tamsivane
