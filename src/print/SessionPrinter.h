// A session's printing: ranges of rows as one document, auto print of each
// line the cursor leaves, and the printer-controller job with its time-out.
//
// Threads: range printing runs on any thread without the session lock.
// Auto print and the controller run inside received data, on the I/O
// thread under the session lock.  The job's time-out fires on the clock's
// thread; the job has a lock of its own (taken after the session lock), so
// the time-out never waits for the session.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "print/JobClock.h"
#include "print/PrintBackend.h"
#include "print/PrintJob.h"

namespace tamsivane {

enum class PrintMode { None = 0, AutoPrint = 1, Controller = 2 };

class SessionPrinter {
public:
    explicit SessionPrinter(PrintMessages messages,
                            std::unique_ptr<JobClock> clock = std::make_unique<ThreadJobClock>());
    // Ends auto print and closes the job.
    ~SessionPrinter();
    SessionPrinter(const SessionPrinter&) = delete;
    SessionPrinter& operator=(const SessionPrinter&) = delete;

    // Where output goes from now on (a job already open keeps its own);
    // none: nothing is printed, and nothing is said about it.
    void SetBackend(std::shared_ptr<PrintBackend> backend);
    std::shared_ptr<PrintBackend> Backend() const;
    PrintMode Mode() const { return mode_.load(); }

    // Prints lines as one document named title; failures are shown.  False
    // when nothing or not everything was printed.
    bool PrintLines(const PrintSettings& settings, std::string_view title,
                    const std::vector<std::u16string>& lines);

    // --- auto print (session lock held)
    void StartAutoPrint(const PrintSettings& settings, std::string_view title);
    void AutoPrintLine(std::u16string_view line);
    // Ejects the last page.
    void EndAutoPrint();

    // --- printer controller (session lock held)
    // Opens the job, or keeps the one still open from an earlier stream.
    void ControllerStarted(const PrintSettings& settings, std::string_view title);
    void ControllerData(std::string_view bytes, const PrintJob::Translate& translate);
    // Flushes the line; the job closes now (JobTimeout 0) or once the
    // time-out passes without another stream.
    void ControllerEnded();
    // Any thread: closes the job at once (the session ends).
    void CloseJob();
    bool JobOpen() const;

private:
    void TimedOut();
    void UpdateMode();

    PrintMessages messages_;
    std::unique_ptr<JobClock> clock_;
    mutable std::mutex backendMutex_;
    std::shared_ptr<PrintBackend> backend_;
    std::atomic<PrintMode> mode_{PrintMode::None};

    // Auto print: session lock.
    std::unique_ptr<PageSurface> autoDocument_;
    int autoLines_ = 0;

    // The controller job and its time-out; also what Mode() is made of.
    mutable std::mutex jobMutex_;
    PrintJob job_;
    bool autoPrinting_ = false;
    bool controllerOn_ = false;
    int jobTimeoutSeconds_ = 0;
    JobClock::Clock::time_point deadline_{};
};

} // namespace tamsivane
