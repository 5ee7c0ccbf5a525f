// Where printed output goes.  Pages reach paper through a printer driver as
// documents of text lines (PageSurface); printer-controller output for the
// spooler or a port goes there raw (RawOutput).  The desktop program draws
// documents on the system's printers; the headless program may send
// everything to a file.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "print/PrintSettings.h"

namespace tamsivane {

// A printed page measured in cells.
struct PageMetrics {
    int linesPerPage = 1;      // at least 1
    int charactersPerLine = 1; // 1 .. kMaxLineCharacters
};

// The longest line a printer-controller job collects before it wraps.
inline constexpr int kMaxLineCharacters = 1024;

// Cells that fit the printable area; a cell larger than the page (or a
// page or cell without size) still gives one line of one character.
PageMetrics MetricsForPage(int printableWidth, int printableHeight, int cellWidth, int cellHeight);

// One document being printed: pages of text lines, each drawn at the left
// edge of its line.  Destroying a document that was not ended aborts it.
class PageSurface {
public:
    virtual ~PageSurface() = default;
    virtual PageMetrics Metrics() const = 0;
    virtual bool StartPage() = 0;
    // line: 0 at the top of the page; the text may be longer than the page
    // is wide (what does not fit is cut off).
    virtual void DrawLine(int line, std::u16string_view text) = 0;
    virtual bool EndPage() = 0;
    virtual void EndDocument() = 0;
    virtual void Abort() = 0;
};

// Raw bytes for a printer: a spooler job or a port.
class RawOutput {
public:
    virtual ~RawOutput() = default;
    // 0 or the error number.
    virtual int Write(std::string_view bytes) = 0;
    // Ends the output; 0, or the error number when it failed to the end
    // (the spooler refused the job).
    virtual int Close() = 0;
};

enum class DocumentFailure { None, CannotSetup, CannotStart };

class PrintBackend {
public:
    virtual ~PrintBackend() = default;
    // Starts a document named title on the settings' printer with its print
    // font; nothing, with the reason, when the printer cannot be set up or
    // the document not started.
    virtual std::unique_ptr<PageSurface> StartDocument(const PrintSettings& settings,
                                                       std::string_view title,
                                                       DocumentFailure& failure) = 0;
    // Opens raw output for PrintDestination::Spooler or ::Port; nothing, with
    // the error number, when it cannot be opened.
    virtual std::unique_ptr<RawOutput> OpenRaw(const PrintSettings& settings, int& error) = 0;
    // "device,driver" of the system's default printer, or "" when there is none.
    virtual std::string DefaultPrinterEntry() const { return {}; }
};

} // namespace tamsivane
