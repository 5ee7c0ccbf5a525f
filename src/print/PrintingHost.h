// An emulator host that prints: the media-copy requests and the
// printer-controller stream of the emulator go to a session's printer, with
// the screen's rows and the session's print settings.  The session and the
// headless replay build on it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "emulator/EmulatorHost.h"
#include "print/SessionPrinter.h"

namespace tamsivane {

class VtEmulator;

class PrintingHost : public EmulatorHost {
public:
    explicit PrintingHost(PrintMessages messages,
                          std::unique_ptr<JobClock> clock = std::make_unique<ThreadJobClock>());

    SessionPrinter& Printer() { return printer_; }
    const SessionPrinter& Printer() const { return printer_; }

    // EmulatorHost, session lock held (the emulator's thread): each hands a
    // snapshot to the printer and returns without waiting for it.
    void PrintPage() override;
    void PrintCursorLine(int row) override;
    void SetAutoPrint(bool on) override;
    void AutoPrintLine(int row) override;
    void PrinterControllerStarted() override;
    void PrinterControllerData(std::string_view bytes) override;
    void PrinterControllerEnded() override;

protected:
    // Which emulator's screen and settings print; before any printing.
    void PrintFrom(VtEmulator& emulator) { emulator_ = &emulator; }
    // The name of the documents printed from now on; session lock held.
    void SetPrintTitle(std::string title) { title_ = std::move(title); }

    // A document of display lines first..last (history first), taken under
    // the session lock so that it prints without it.
    struct PrintRequest {
        PrintSettings settings;
        std::string title;
        std::vector<std::u16string> lines;
    };
    PrintRequest RequestLines(int first, int last) const; // session lock held
    // The display lines of the page, and every shown line.
    int PageFirstLine() const;
    int LastShownLine() const;

private:
    PrintSettings Settings() const;

    VtEmulator* emulator_ = nullptr;
    std::string title_;
    SessionPrinter printer_;
};

} // namespace tamsivane
