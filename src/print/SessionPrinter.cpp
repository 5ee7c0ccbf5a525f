#include "print/SessionPrinter.h"

#include "config/ResourceStrings.h"
#include "print/PageText.h"
#include "print/SystemPrinting.h"

namespace tamsivane {

SessionPrinter::SessionPrinter(PrintMessages messages, std::unique_ptr<JobClock> clock)
    : messages_(std::move(messages)),
      clock_(std::move(clock)),
      backend_(std::make_shared<SystemBackend>(PrintDevices{})),
      job_(messages_) {}

SessionPrinter::~SessionPrinter() {
    // The clock's thread goes first, so no time-out runs into what follows.
    clock_.reset();
    EndAutoPrint();
    CloseJob();
}

void SessionPrinter::SetBackend(std::shared_ptr<PrintBackend> backend) {
    std::lock_guard lock(backendMutex_);
    backend_ = std::move(backend);
}

std::shared_ptr<PrintBackend> SessionPrinter::Backend() const {
    std::lock_guard lock(backendMutex_);
    return backend_;
}

void SessionPrinter::UpdateMode() {
    mode_.store(controllerOn_  ? PrintMode::Controller
                : autoPrinting_ ? PrintMode::AutoPrint
                                : PrintMode::None);
}

bool SessionPrinter::PrintLines(const PrintSettings& settings, std::string_view title,
                                const std::vector<std::u16string>& lines) {
    const std::shared_ptr<PrintBackend> backend = Backend();
    if (!backend) return false;
    DocumentFailure failure = DocumentFailure::None;
    std::unique_ptr<PageSurface> document = backend->StartDocument(settings, title, failure);
    if (!document) {
        const int id = failure == DocumentFailure::CannotSetup ? Msg::CannotSetupPrinter
                                                               : Msg::CannotStartPrintJob;
        messages_(id, ResourceString(id));
        return false;
    }
    return PrintPages(*document, lines);
}

// --- auto print -----------------------------------------------------------------------

void SessionPrinter::StartAutoPrint(const PrintSettings& settings, std::string_view title) {
    const std::shared_ptr<PrintBackend> backend = Backend();
    if (autoDocument_ || !backend) return;
    DocumentFailure failure = DocumentFailure::None;
    autoDocument_ = backend->StartDocument(settings, title, failure);
    if (autoDocument_ && !autoDocument_->StartPage()) {
        autoDocument_->Abort();
        autoDocument_.reset();
        failure = DocumentFailure::CannotStart;
    }
    if (!autoDocument_) {
        const int id = failure == DocumentFailure::CannotSetup ? Msg::CannotSetupPrinter
                                                               : Msg::CannotStartPrintJob;
        messages_(id, ResourceString(id));
    }
    autoLines_ = 0;
    std::lock_guard lock(jobMutex_);
    autoPrinting_ = autoDocument_ != nullptr;
    UpdateMode();
}

void SessionPrinter::AutoPrintLine(std::u16string_view line) {
    if (!autoDocument_) return;
    if (autoLines_ >= autoDocument_->Metrics().linesPerPage) {
        autoDocument_->EndPage();
        autoDocument_->StartPage();
        autoLines_ = 0;
    }
    autoDocument_->DrawLine(autoLines_++, line);
}

void SessionPrinter::EndAutoPrint() {
    if (!autoDocument_) return;
    autoDocument_->EndPage();
    autoDocument_->EndDocument();
    autoDocument_.reset();
    std::lock_guard lock(jobMutex_);
    autoPrinting_ = false;
    UpdateMode();
}

// --- printer controller ---------------------------------------------------------------

void SessionPrinter::ControllerStarted(const PrintSettings& settings, std::string_view title) {
    // A stream of the same job: its time-out waits for this one's end.
    clock_->Cancel();
    const std::shared_ptr<PrintBackend> backend = Backend();
    std::lock_guard lock(jobMutex_);
    controllerOn_ = true;
    jobTimeoutSeconds_ = settings.jobTimeoutSeconds;
    if (backend) job_.Open(*backend, settings, title);
    UpdateMode();
}

void SessionPrinter::ControllerData(std::string_view bytes, const PrintJob::Translate& translate) {
    std::lock_guard lock(jobMutex_);
    if (controllerOn_) job_.Put(bytes, translate);
}

void SessionPrinter::ControllerEnded() {
    std::lock_guard lock(jobMutex_);
    if (!controllerOn_) return;
    controllerOn_ = false;
    job_.Flush();
    if (jobTimeoutSeconds_ > 0 && job_.IsOpen()) {
        deadline_ = clock_->Now() + std::chrono::seconds(jobTimeoutSeconds_);
        clock_->CallAt(deadline_, [this] { TimedOut(); });
    } else {
        job_.Close();
    }
    UpdateMode();
}

void SessionPrinter::TimedOut() {
    std::lock_guard lock(jobMutex_);
    // A stream that began since, or a later end with its own deadline,
    // keeps the job.
    if (controllerOn_ || clock_->Now() < deadline_) return;
    job_.Close();
}

void SessionPrinter::CloseJob() {
    if (clock_) clock_->Cancel();
    std::lock_guard lock(jobMutex_);
    controllerOn_ = false;
    job_.Close();
    UpdateMode();
}

bool SessionPrinter::JobOpen() const {
    std::lock_guard lock(jobMutex_);
    return job_.IsOpen();
}

} // namespace tamsivane
