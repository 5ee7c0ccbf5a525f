#include "print/PrintingHost.h"

#include "emulator/VtEmulator.h"
#include "print/PageText.h"

namespace tamsivane {

PrintingHost::PrintingHost(PrintMessages messages, std::unique_ptr<JobClock> clock)
    : printer_(std::move(messages), std::move(clock)) {}

// The system's default printer is resolved later, on the print worker.
PrintSettings PrintingHost::Settings() const { return ReadPrintSettings(emulator_->Settings(), {}); }

int PrintingHost::PageFirstLine() const { return emulator_->Screen().HistoryCount(); }

int PrintingHost::LastShownLine() const {
    const VtEmulator& emulator = *emulator_;
    const bool status = emulator.Settings().GetNumber(P::StatusLine) != 0;
    return emulator.Screen().HistoryCount() + emulator.Screen().Lines() - (status ? 0 : 1);
}

PrintingHost::PrintRequest PrintingHost::RequestLines(int first, int last) const {
    const int columns = emulator_->Settings().GetNumber(P::Columns);
    return {Settings(), title_,
            RowsText(emulator_->Screen(), first, std::min(last, LastShownLine()), columns)};
}

void PrintingHost::PrintPage() {
    const int first = PageFirstLine();
    PrintRequest request = RequestLines(first, first + emulator_->Screen().Lines() - 1);
    printer_.PrintLines(std::move(request.settings), std::move(request.title),
                        std::move(request.lines));
}

void PrintingHost::PrintCursorLine(int row) {
    const int line = PageFirstLine() + row;
    PrintRequest request = RequestLines(line, line);
    printer_.PrintLines(std::move(request.settings), std::move(request.title),
                        std::move(request.lines));
}

void PrintingHost::SetAutoPrint(bool on) {
    if (on) {
        printer_.StartAutoPrint(Settings(), title_);
    } else {
        printer_.EndAutoPrint();
    }
}

void PrintingHost::AutoPrintLine(int row) {
    const int line = PageFirstLine() + row;
    std::vector<std::u16string> text =
        RowsText(emulator_->Screen(), line, line, emulator_->Settings().GetNumber(P::Columns));
    if (!text.empty()) printer_.AutoPrintLine(std::move(text.front()));
}

void PrintingHost::PrinterControllerStarted() { printer_.ControllerStarted(Settings(), title_); }

void PrintingHost::PrinterControllerData(std::string_view bytes) {
    CharsetTranslator& charsets = emulator_->Charsets();
    printer_.ControllerData(bytes, [&charsets](uint8_t byte) { return charsets.Translate(byte); });
}

void PrintingHost::PrinterControllerEnded() { printer_.ControllerEnded(); }

} // namespace tamsivane
