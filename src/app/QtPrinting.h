// Printing on the system's printers: documents drawn with QPainter on a
// QPrinter in the session's print font, raw jobs through the spool command
// and port devices, and the print setup that stores the chosen printer in a
// session's settings.
#pragma once

#include <QPageSize>
#include <QString>
#include <optional>

#include "print/SystemPrinting.h"

class QPrinter;
class QWidget;

namespace tamsivane {

class SettingsStore;

class QtPrintBackend final : public SystemBackend {
public:
    explicit QtPrintBackend(PrintDevices devices) : SystemBackend(std::move(devices)) {}

    // Documents go to a PDF file of this page size, without margins,
    // instead of a printer.
    void PrintToPdf(const QString& path, const QPageSize& pageSize);

    std::unique_ptr<PageSurface> StartDocument(const PrintSettings& settings,
                                               std::string_view title,
                                               DocumentFailure& failure) override;
    // The system's default printer: "name,make and model".
    std::string DefaultPrinterEntry() const override;

private:
    std::optional<QString> pdfPath_;
    QPageSize pdfPageSize_;
};

// The stored printer's fields (orientation, paper, copies, colour, duplex,
// collation) set on printer.
void ApplyDeviceMode(QPrinter& printer, const std::vector<uint8_t>& deviceMode);
// What print setup stores when the user chose printer: DefaultPrinter 0,
// PrinterName, DriverName (its make and model) and the mapped fields of
// PrinterParam; every other byte of PrinterParam stays.
void StorePrinterChoice(const QPrinter& printer, SettingsStore& settings);
// The print setup dialog for settings (a session's, or a settings dialog's
// working copy): the printer they choose, set up with their stored fields.
// True when the user chose OK.
bool RunPrintSetup(QWidget* parent, SettingsStore& settings);

} // namespace tamsivane
