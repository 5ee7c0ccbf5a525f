#include "print/SessionPrinter.h"

#include "config/ResourceStrings.h"
#include "print/PageText.h"
#include "print/SystemPrinting.h"

namespace tamsivane {
namespace {

// Worker: the system's default printer is looked up only now, as asking
// the system may take a while.
void ResolveDefaultPrinter(PrintSettings& settings, const PrintBackend& backend) {
    if (settings.printer.isDefault && settings.printer.deviceName.empty()) {
        settings.printer = DefaultPrinterChoice(backend.DefaultPrinterEntry());
    }
}

size_t LinesBytes(const std::vector<std::u16string>& lines) {
    size_t bytes = 0;
    for (const std::u16string& line : lines) bytes += line.size() * sizeof(char16_t);
    return bytes;
}

} // namespace

SessionPrinter::SessionPrinter(PrintMessages messages, std::unique_ptr<JobClock> clock)
    : messages_(std::move(messages)),
      clock_(std::move(clock)),
      backend_(std::make_shared<SystemBackend>(PrintDevices{})),
      job_(messages_) {}

SessionPrinter::~SessionPrinter() {
    // The clock's thread goes first, so that no time-out is handed over
    // meanwhile; then the worker finishes, and what it leaves ends here.
    clock_.reset();
    worker_.Finish();
    FinishAutoDocument();
    CloseJobNow();
}

void SessionPrinter::SetBackend(std::shared_ptr<PrintBackend> backend) {
    std::lock_guard lock(backendMutex_);
    backend_ = std::move(backend);
}

std::shared_ptr<PrintBackend> SessionPrinter::Backend() const {
    std::lock_guard lock(backendMutex_);
    return backend_;
}

void SessionPrinter::Post(PrintWorker::Task task, size_t bytes) {
    if (worker_.Post(std::move(task), bytes) || refused_.exchange(true)) return;
    messages_(Msg::CannotStartPrintJob, ResourceString(Msg::CannotStartPrintJob));
}

void SessionPrinter::SetModes(bool autoPrinting, bool controllerOn) {
    autoPrinting_ = autoPrinting;
    controllerOn_ = controllerOn;
    mode_.store(controllerOn_  ? PrintMode::Controller
                : autoPrinting_ ? PrintMode::AutoPrint
                                : PrintMode::None);
}

void SessionPrinter::PrintLines(PrintSettings settings, std::string title,
                                std::vector<std::u16string> lines) {
    std::shared_ptr<PrintBackend> backend = Backend();
    if (!backend) return;
    refused_.store(false);
    const size_t bytes = LinesBytes(lines);
    Post(
        [this, backend = std::move(backend), settings = std::move(settings),
         title = std::move(title), lines = std::move(lines)]() mutable {
            ResolveDefaultPrinter(settings, *backend);
            DocumentFailure failure = DocumentFailure::None;
            std::unique_ptr<PageSurface> document =
                backend->StartDocument(settings, title, failure);
            if (!document) {
                const int id = failure == DocumentFailure::CannotSetup ? Msg::CannotSetupPrinter
                                                                       : Msg::CannotStartPrintJob;
                messages_(id, ResourceString(id));
                return;
            }
            PrintPages(*document, lines);
        },
        bytes);
}

// --- auto print -----------------------------------------------------------------------

void SessionPrinter::StartAutoPrint(const PrintSettings& settings, std::string_view title) {
    std::shared_ptr<PrintBackend> backend = Backend();
    if (!backend) return;
    unsigned start;
    {
        std::lock_guard lock(modeMutex_);
        if (autoPrinting_) return;
        SetModes(true, controllerOn_);
        start = ++autoStart_;
    }
    refused_.store(false);
    Post([this, start, backend = std::move(backend), settings = settings,
          title = std::string(title)]() mutable {
        if (autoDocument_) return;
        ResolveDefaultPrinter(settings, *backend);
        DocumentFailure failure = DocumentFailure::None;
        autoDocument_ = backend->StartDocument(settings, title, failure);
        if (autoDocument_ && !autoDocument_->StartPage()) {
            autoDocument_->Abort();
            autoDocument_.reset();
            failure = DocumentFailure::CannotStart;
        }
        autoLines_ = 0;
        if (autoDocument_) return;
        const int id = failure == DocumentFailure::CannotSetup ? Msg::CannotSetupPrinter
                                                               : Msg::CannotStartPrintJob;
        messages_(id, ResourceString(id));
        std::lock_guard lock(modeMutex_);
        if (autoStart_ == start) SetModes(false, controllerOn_);
    });
}

void SessionPrinter::AutoPrintLine(std::u16string line) {
    const size_t bytes = line.size() * sizeof(char16_t);
    Post(
        [this, line = std::move(line)] {
            if (!autoDocument_) return;
            if (autoLines_ >= autoDocument_->Metrics().linesPerPage) {
                autoDocument_->EndPage();
                autoDocument_->StartPage();
                autoLines_ = 0;
            }
            autoDocument_->DrawLine(autoLines_++, line);
        },
        bytes);
}

void SessionPrinter::EndAutoPrint() {
    {
        std::lock_guard lock(modeMutex_);
        SetModes(false, controllerOn_);
    }
    Post([this] { FinishAutoDocument(); });
}

void SessionPrinter::FinishAutoDocument() {
    if (!autoDocument_) return;
    autoDocument_->EndPage();
    autoDocument_->EndDocument();
    autoDocument_.reset();
}

// --- printer controller ---------------------------------------------------------------

void SessionPrinter::ControllerStarted(const PrintSettings& settings, std::string_view title) {
    // A stream of the same job: its time-out waits for this one's end.
    clock_->Cancel();
    {
        std::lock_guard lock(modeMutex_);
        SetModes(autoPrinting_, true);
    }
    streamTranslates_ = settings.destination == PrintDestination::Driver;
    streamTimeoutSeconds_ = settings.jobTimeoutSeconds;
    refused_.store(false);
    Post([this, backend = Backend(), settings = settings, title = std::string(title)]() mutable {
        jobStreaming_ = true;
        if (!backend) return;
        ResolveDefaultPrinter(settings, *backend);
        job_.Open(*backend, settings, title);
        jobOpen_.store(job_.IsOpen());
    });
}

void SessionPrinter::ControllerData(std::string_view bytes, const Translate& translate) {
    std::u16string characters;
    // A job already open for a raw destination takes the bytes and leaves
    // these; one for a driver opened under other settings prints the bytes
    // as they are.
    if (streamTranslates_ && translate) {
        characters.reserve(bytes.size());
        for (const char byte : bytes) {
            characters += static_cast<char16_t>(translate(static_cast<uint8_t>(byte)));
        }
    }
    const size_t size = bytes.size() + characters.size() * sizeof(char16_t);
    Post(
        [this, bytes = std::string(bytes), characters = std::move(characters)] {
            if (!jobStreaming_) return;
            job_.Put(bytes, characters);
            jobOpen_.store(job_.IsOpen());
        },
        size);
}

void SessionPrinter::ControllerEnded() {
    {
        std::lock_guard lock(modeMutex_);
        if (!controllerOn_) return;
        SetModes(autoPrinting_, false);
    }
    const bool waits = streamTimeoutSeconds_ > 0;
    const JobClock::Clock::time_point deadline =
        waits ? clock_->Now() + std::chrono::seconds(streamTimeoutSeconds_)
              : JobClock::Clock::time_point{};
    Post([this, waits, deadline] {
        if (!jobStreaming_) return;
        jobStreaming_ = false;
        job_.Flush();
        closeAt_ = deadline;
        if (!waits) job_.Close();
        jobOpen_.store(job_.IsOpen());
    });
    if (waits) {
        clock_->CallAt(deadline, [this, deadline] { Post([this, deadline] { TimedOut(deadline); }); });
    }
}

void SessionPrinter::TimedOut(JobClock::Clock::time_point deadline) {
    // A stream that began since, or a later end with its own deadline,
    // keeps the job.
    if (jobStreaming_ || deadline != closeAt_) return;
    job_.Close();
    jobOpen_.store(false);
}

void SessionPrinter::CloseJobNow() {
    jobStreaming_ = false;
    job_.Close();
    jobOpen_.store(false);
}

} // namespace tamsivane
