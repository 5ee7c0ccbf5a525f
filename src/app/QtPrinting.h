// Printing on the system's printers: documents drawn with QPainter on a
// QPrinter in the session's print font, raw jobs through the spool command
// and port devices, and the print setup that stores the chosen printer in a
// session's settings.
#pragma once

#include <QPageSize>
#include <QString>
#include <mutex>
#include <optional>

#include "print/SystemPrinting.h"

class QPrinter;
class QWidget;

namespace tamsivane {

class SettingsStore;
struct PrinterChoice;

// The printer print setup stores for Qt's PDF output; its driver name holds
// the file last chosen.
inline constexpr const char* kPdfPrinterName = "Print to PDF file";

class QtPrintBackend final : public SystemBackend {
public:
    explicit QtPrintBackend(PrintDevices devices) : SystemBackend(std::move(devices)) {}

    // Documents go to a PDF file of this page size, without margins,
    // instead of a printer.
    void PrintToPdf(const QString& path, const QPageSize& pageSize);
    // Whether a document for this printer choice needs a PDF file the user
    // chooses first: the choice is PDF output, or no printer is installed
    // (and no PrintToPdf file is set).
    bool NeedsPdfFile(const PrinterChoice& choice) const;
    // The next document goes to this PDF file, on the stored paper, instead
    // of the printer; the ones after it to the printer again.  A document
    // started with no file named while NeedsPdfFile holds (the host's) goes
    // to a new file beside the PDF file last chosen, or else in "Tamsivane"
    // in the user's download folder.
    void PrintNextToPdf(const QString& path);

    std::unique_ptr<PageSurface> StartDocument(const PrintSettings& settings,
                                               std::string_view title,
                                               DocumentFailure& failure) override;
    // The system's default printer: "name,make and model".
    std::string DefaultPrinterEntry() const override;

private:
    std::optional<QString> pdfPath_;
    QPageSize pdfPageSize_;
    std::mutex nextMutex_;
    std::optional<QString> nextPdf_; // nextMutex_
};

// The stored printer's fields (orientation, paper, copies, colour, duplex,
// collation) set on printer.
void ApplyDeviceMode(QPrinter& printer, const std::vector<uint8_t>& deviceMode);
// What print setup stores when the user chose printer: DefaultPrinter 0,
// PrinterName, DriverName (its make and model) and the mapped fields of
// PrinterParam; every other byte of PrinterParam stays.
void StorePrinterChoice(const QPrinter& printer, SettingsStore& settings);
// The print setup dialog for settings (a session's, or a settings dialog's
// working copy): the printer they choose, or PDF output, set up with their
// stored fields.  True when the user chose OK.
bool RunPrintSetup(QWidget* parent, SettingsStore& settings);

} // namespace tamsivane
