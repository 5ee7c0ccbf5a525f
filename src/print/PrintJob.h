// The job that printer-controller output goes into: raw bytes for the
// spooler (buffered) or a port (at once), or lines of text on the pages of a
// printer-driver document.  One job may take several controller streams
// before it is closed.  Not thread-safe: its owner locks it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "print/PrintBackend.h"

namespace tamsivane {

// Shows a numbered message to the user: any thread, never waiting for the user.
using PrintMessages = std::function<void(int id, std::string_view text)>;

class PrintJob {
public:
    explicit PrintJob(PrintMessages messages) : messages_(std::move(messages)) {}
    ~PrintJob() { Close(); }
    PrintJob(const PrintJob&) = delete;
    PrintJob& operator=(const PrintJob&) = delete;

    // Opens the job for the settings' destination; failures are shown (the
    // destination's own message, then "Cannot initialize printer. Error
    // code = %d").  False when it could not be opened.
    bool Open(PrintBackend& backend, const PrintSettings& settings, std::string_view title);
    bool IsOpen() const { return open_; }
    PrintDestination Destination() const { return destination_; }

    // Bytes of the controller stream, the end sequence already removed;
    // characters: what each byte stands for (0: none yet, as within a
    // multibyte sequence), or empty when each byte stands for itself.
    void Put(std::string_view bytes, std::u16string_view characters = {});
    // Ends the pending line (the spooler's buffer goes out).
    void Flush();
    // Ends the job: the form feed when asked for, the page and document or
    // the spooler job submitted.  A spooler that refused the job is reported.
    void Close();

private:
    void PutText(uint8_t byte, char16_t character);
    void EndTextLine();
    bool EnsurePage();
    void EndPage();
    void WriteRaw(std::string_view bytes);
    // A spooler or port that stopped taking data or failed: reported once,
    // and the job ends.
    void OutputFailed();

    PrintMessages messages_;
    bool open_ = false;
    PrintDestination destination_ = PrintDestination::Driver;
    bool formFeedAtEnd_ = false;

    std::unique_ptr<RawOutput> raw_;
    std::string buffer_; // spooler bytes waiting, at most kBufferSize

    std::unique_ptr<PageSurface> document_;
    PageMetrics metrics_;
    std::u16string line_; // at most metrics_.charactersPerLine
    int lineOnPage_ = 0;
    bool pageStarted_ = false;
};

} // namespace tamsivane
