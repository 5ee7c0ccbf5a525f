#include "print/PrintJob.h"

#include <cerrno>

#include "config/ResourceStrings.h"

namespace tamsivane {
namespace {

constexpr size_t kBufferSize = 1024;
constexpr uint8_t kLineFeed = 0x0A;
constexpr uint8_t kFormFeed = 0x0C;

// Stands for the error number of a printer driver that failed.
int DriverErrorNumber(DocumentFailure failure) {
    return failure == DocumentFailure::CannotSetup ? ENODEV : EIO;
}

} // namespace

bool PrintJob::Open(PrintBackend& backend, const PrintSettings& settings, std::string_view title) {
    if (open_) return true;
    destination_ = settings.destination;
    formFeedAtEnd_ = settings.formFeedAtEnd;
    int error = 0;
    if (destination_ == PrintDestination::Driver) {
        DocumentFailure failure = DocumentFailure::None;
        document_ = backend.StartDocument(settings, title, failure);
        if (!document_) {
            messages_(failure == DocumentFailure::CannotSetup ? Msg::CannotSetupPrinter
                                                              : Msg::CannotStartPrintJob,
                      ResourceString(failure == DocumentFailure::CannotSetup
                                         ? Msg::CannotSetupPrinter
                                         : Msg::CannotStartPrintJob));
            error = DriverErrorNumber(failure);
        } else {
            metrics_ = document_->Metrics();
            line_.clear();
            lineOnPage_ = 0;
            pageStarted_ = false;
        }
    } else {
        buffer_.clear();
        raw_ = backend.OpenRaw(settings, error);
        if (!raw_ && error == 0) error = EIO;
    }
    if (error != 0) {
        std::string text(ResourceString(Msg::CannotInitializePrinter));
        text.replace(text.find("%d"), 2, std::to_string(error));
        messages_(Msg::CannotInitializePrinter, text);
        return false;
    }
    open_ = true;
    return true;
}

void PrintJob::Put(std::string_view bytes, std::u16string_view characters) {
    if (!open_) return;
    switch (destination_) {
    case PrintDestination::Spooler:
        for (size_t at = 0; open_ && at < bytes.size();) {
            if (buffer_.size() >= kBufferSize) Flush();
            const size_t n = std::min(kBufferSize - buffer_.size(), bytes.size() - at);
            buffer_.append(bytes.substr(at, n));
            at += n;
        }
        break;
    case PrintDestination::Port:
        WriteRaw(bytes);
        break;
    case PrintDestination::Driver:
        for (size_t i = 0; i < bytes.size(); ++i) {
            const auto byte = static_cast<uint8_t>(bytes[i]);
            PutText(byte, i < characters.size() ? characters[i] : char16_t{byte});
        }
        break;
    }
}

void PrintJob::PutText(uint8_t byte, char16_t character) {
    if (byte == kLineFeed) {
        EndTextLine();
    } else if (byte == kFormFeed) {
        EndTextLine();
        if (EnsurePage()) EndPage();
        lineOnPage_ = 0;
    } else if (byte >= 0x20) {
        if (character == 0) return;
        // A full line wraps when more follows, so that a line as wide as
        // the paper and its LF make one line, not two.
        if (static_cast<int>(line_.size()) >= metrics_.charactersPerLine) EndTextLine();
        line_ += character;
    }
}

void PrintJob::Flush() {
    if (!open_) return;
    if (destination_ == PrintDestination::Driver) {
        EndTextLine();
    } else if (destination_ == PrintDestination::Spooler && !buffer_.empty()) {
        const std::string bytes = std::move(buffer_);
        buffer_.clear();
        WriteRaw(bytes);
    }
}

void PrintJob::EndTextLine() {
    if (!line_.empty()) {
        if (!EnsurePage()) return;
        document_->DrawLine(lineOnPage_, line_);
        line_.clear();
    }
    // An empty line only advances, starting the page it lands on.
    if (++lineOnPage_ >= metrics_.linesPerPage) {
        if (EnsurePage()) EndPage();
        lineOnPage_ = 0;
    }
}

bool PrintJob::EnsurePage() {
    if (!pageStarted_) pageStarted_ = document_->StartPage();
    return pageStarted_;
}

void PrintJob::EndPage() {
    document_->EndPage();
    pageStarted_ = false;
}

void PrintJob::WriteRaw(std::string_view bytes) {
    if (raw_ && !bytes.empty() && raw_->Write(bytes) != 0) OutputFailed();
}

void PrintJob::OutputFailed() {
    messages_(Msg::CannotStartPrintJob, ResourceString(Msg::CannotStartPrintJob));
    raw_.reset();
    buffer_.clear();
    open_ = false;
}

void PrintJob::Close() {
    if (!open_) return;
    switch (destination_) {
    case PrintDestination::Driver:
        if (!line_.empty()) EndTextLine();
        if (pageStarted_) EndPage();
        document_->EndDocument();
        document_.reset();
        break;
    case PrintDestination::Port:
    case PrintDestination::Spooler:
        if (formFeedAtEnd_) Put("\f");
        Flush();
        if (!open_) return; // the failure is reported
        if (raw_->Close() != 0) {
            messages_(Msg::CannotStartPrintJob, ResourceString(Msg::CannotStartPrintJob));
        }
        raw_.reset();
        break;
    }
    open_ = false;
}

} // namespace tamsivane
