#include "app/QtPrinting.h"

#include <QDir>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <algorithm>
#include <array>

#include "config/SettingsStore.h"
#include "platform/Paths.h"
#include "print/DeviceMode.h"
#include "view/CellFont.h"

namespace tamsivane {
namespace {

// The stored paper numbers and the page sizes they stand for.
struct PaperSize {
    int number;
    QPageSize::PageSizeId id;
};
constexpr std::array kPaperSizes = {
    PaperSize{1, QPageSize::Letter},     PaperSize{3, QPageSize::Tabloid},
    PaperSize{4, QPageSize::Ledger},     PaperSize{5, QPageSize::Legal},
    PaperSize{7, QPageSize::Executive},  PaperSize{8, QPageSize::A3},
    PaperSize{9, QPageSize::A4},         PaperSize{11, QPageSize::A5},
    PaperSize{12, QPageSize::B4},        PaperSize{13, QPageSize::B5},
    PaperSize{20, QPageSize::Envelope10}, PaperSize{27, QPageSize::EnvelopeDL},
    PaperSize{28, QPageSize::EnvelopeC5}, PaperSize{34, QPageSize::EnvelopeB5},
};

class PrinterDocument final : public PageSurface {
public:
    PrinterDocument(std::unique_ptr<QPrinter> printer, const CellFont& font)
        : printer_(std::move(printer)), font_(font) {
        const QRect page = printer_->pageLayout().paintRectPixels(printer_->resolution());
        metrics_ = MetricsForPage(page.width(), page.height(), font_.width, font_.height);
    }
    ~PrinterDocument() override {
        if (painter_.isActive()) Abort();
    }

    bool Begin() {
        if (!painter_.begin(printer_.get())) return false;
        painter_.setFont(font_.font);
        painter_.setPen(Qt::black);
        return true;
    }
    PageMetrics Metrics() const override { return metrics_; }
    // The first page comes with the document.
    bool StartPage() override { return pages_++ == 0 || printer_->newPage(); }
    void DrawLine(int line, std::u16string_view text) override {
        painter_.drawText(0, line * font_.height + font_.ascent,
                          QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
    }
    bool EndPage() override { return painter_.isActive(); }
    void EndDocument() override { painter_.end(); }
    void Abort() override {
        printer_->abort();
        painter_.end();
    }

private:
    std::unique_ptr<QPrinter> printer_;
    CellFont font_;
    QPainter painter_;
    PageMetrics metrics_;
    int pages_ = 0;
};

std::optional<QPageSize::PageSizeId> PageSizeOfPaper(int number) {
    const auto it = std::find_if(kPaperSizes.begin(), kPaperSizes.end(),
                                 [number](const PaperSize& p) { return p.number == number; });
    if (it == kPaperSizes.end()) return std::nullopt;
    return it->id;
}

std::optional<int> PaperOfPageSize(QPageSize::PageSizeId id) {
    const auto it = std::find_if(kPaperSizes.begin(), kPaperSizes.end(),
                                 [id](const PaperSize& p) { return p.id == id; });
    if (it == kPaperSizes.end()) return std::nullopt;
    return it->number;
}

QPrinterInfo ChosenPrinter(const PrinterChoice& choice) {
    return choice.isDefault ? QPrinterInfo::defaultPrinter()
                            : QPrinterInfo::printerInfo(QString::fromStdString(choice.deviceName));
}

bool IsPdfChoice(const PrinterChoice& choice) {
    return !choice.isDefault && choice.deviceName == kPdfPrinterName;
}

// A new PDF file for a document nobody named a file for: beside the PDF
// file last chosen, else the session's title in the user's download folder,
// numbered so that no earlier print is overwritten; "" when there is none.
QString UnusedPdfPath(const PrinterChoice& choice, std::string_view title) {
    QString wanted = QString::fromStdString(choice.driverName);
    if (!IsPdfChoice(choice) || !wanted.endsWith(".pdf", Qt::CaseInsensitive)) {
        const std::string downloads = DownloadFolder();
        if (downloads.empty()) return {};
        QString name = QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
        name.replace('/', '-');
        if (name.trimmed().isEmpty()) name = "Tamsivane";
        wanted = QDir(QString::fromStdString(downloads)).filePath("Tamsivane/" + name + ".pdf");
    }
    const QFileInfo file(wanted);
    if (!MakeFolders(file.absolutePath().toStdString())) return {};
    constexpr int kMostNumbers = 1000;
    for (int number = 1; number <= kMostNumbers; ++number) {
        const QString path =
            number == 1 ? file.absoluteFilePath()
                        : file.dir().filePath(file.completeBaseName() + "-" +
                                              QString::number(number) + "." + file.suffix());
        if (!QFileInfo::exists(path)) return path;
    }
    return {};
}

std::unique_ptr<QPrinter> PdfPrinter(const QString& path) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    return printer;
}

} // namespace

void QtPrintBackend::PrintToPdf(const QString& path, const QPageSize& pageSize) {
    pdfPath_ = path;
    pdfPageSize_ = pageSize;
}

bool QtPrintBackend::NeedsPdfFile(const PrinterChoice& choice) const {
    return !pdfPath_ && (IsPdfChoice(choice) || QPrinterInfo::availablePrinterNames().isEmpty());
}

void QtPrintBackend::PrintNextToPdf(const QString& path) {
    std::lock_guard lock(nextMutex_);
    nextPdf_ = path;
}

std::string QtPrintBackend::DefaultPrinterEntry() const {
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) return {};
    return (info.printerName() + "," + info.makeAndModel()).toStdString();
}

std::unique_ptr<PageSurface> QtPrintBackend::StartDocument(const PrintSettings& settings,
                                                           std::string_view title,
                                                           DocumentFailure& failure) {
    std::optional<QString> next;
    {
        std::lock_guard lock(nextMutex_);
        next.swap(nextPdf_);
    }
    std::unique_ptr<QPrinter> printer;
    if (pdfPath_) {
        printer = PdfPrinter(*pdfPath_);
        printer->setPageSize(pdfPageSize_);
        printer->setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    } else if (next) {
        printer = PdfPrinter(*next);
        ApplyDeviceMode(*printer, settings.printer.deviceMode);
    } else if (NeedsPdfFile(settings.printer)) {
        // Started by the host, which no file dialog may interrupt.
        const QString path = UnusedPdfPath(settings.printer, title);
        if (path.isEmpty()) {
            failure = DocumentFailure::CannotSetup;
            return nullptr;
        }
        printer = PdfPrinter(path);
        ApplyDeviceMode(*printer, settings.printer.deviceMode);
    } else {
        const QPrinterInfo info = ChosenPrinter(settings.printer);
        if (info.isNull()) {
            failure = DocumentFailure::CannotSetup;
            return nullptr;
        }
        printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
        ApplyDeviceMode(*printer, settings.printer.deviceMode);
    }
    printer->setDocName(QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size())));
    const CellFont font = MakeCellFont(QString::fromStdString(settings.fontName),
                                       std::max(1, settings.fontSize), settings.fontBold,
                                       printer->resolution());
    auto document = std::make_unique<PrinterDocument>(std::move(printer), font);
    if (!document->Begin()) {
        failure = DocumentFailure::CannotStart;
        return nullptr;
    }
    failure = DocumentFailure::None;
    return document;
}

void ApplyDeviceMode(QPrinter& printer, const std::vector<uint8_t>& deviceMode) {
    const DeviceModeFields fields = ReadDeviceMode(deviceMode);
    if (fields.orientation) {
        printer.setPageOrientation(*fields.orientation == DeviceModeValue::Landscape
                                       ? QPageLayout::Landscape
                                       : QPageLayout::Portrait);
    }
    if (fields.paperSize) {
        if (const auto id = PageSizeOfPaper(*fields.paperSize)) printer.setPageSize(QPageSize(*id));
    }
    if (fields.copies) printer.setCopyCount(std::max(1, *fields.copies));
    if (fields.colour) {
        printer.setColorMode(*fields.colour == DeviceModeValue::Monochrome ? QPrinter::GrayScale
                                                                           : QPrinter::Color);
    }
    if (fields.duplex) {
        printer.setDuplex(*fields.duplex == DeviceModeValue::DuplexLongEdge
                              ? QPrinter::DuplexLongSide
                          : *fields.duplex == DeviceModeValue::DuplexShortEdge
                              ? QPrinter::DuplexShortSide
                              : QPrinter::DuplexNone);
    }
    if (fields.collate) printer.setCollateCopies(*fields.collate);
}

void StorePrinterChoice(const QPrinter& printer, SettingsStore& settings) {
    PrinterChoice choice;
    choice.isDefault = false;
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        choice.deviceName = kPdfPrinterName;
        choice.driverName = printer.outputFileName().toStdString();
    } else {
        choice.deviceName = printer.printerName().toStdString();
        choice.driverName =
            QPrinterInfo::printerInfo(printer.printerName()).makeAndModel().toStdString();
    }
    const uint8_t* stored = settings.GetBlock(P::PrinterParam);
    choice.deviceMode.assign(stored, stored + kPrinterParamSize);

    DeviceModeFields fields;
    fields.name = choice.deviceName;
    fields.orientation = printer.pageLayout().orientation() == QPageLayout::Landscape
                             ? DeviceModeValue::Landscape
                             : DeviceModeValue::Portrait;
    fields.paperSize = PaperOfPageSize(printer.pageLayout().pageSize().id());
    fields.copies = std::clamp(printer.copyCount(), 1, 0x7FFF);
    fields.colour = printer.colorMode() == QPrinter::GrayScale ? DeviceModeValue::Monochrome
                                                               : DeviceModeValue::Colour;
    const QPrinter::DuplexMode duplex = printer.duplex();
    fields.duplex = duplex == QPrinter::DuplexLongSide    ? DeviceModeValue::DuplexLongEdge
                    : duplex == QPrinter::DuplexShortSide ? DeviceModeValue::DuplexShortEdge
                                                          : DeviceModeValue::Simplex;
    fields.collate = printer.collateCopies();
    WriteDeviceMode(choice.deviceMode, fields);
    settings.SetPrinter(choice);
}

bool RunPrintSetup(QWidget* parent, SettingsStore& settings) {
    const PrinterChoice stored = settings.GetPrinter({});
    QPrinter printer(QPrinter::HighResolution);
    if (IsPdfChoice(stored)) {
        // The dialog shows its PDF output chosen when a file is named.
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(stored.driverName.empty()
                                      ? QDir::home().filePath("Tamsivane.pdf")
                                      : QString::fromStdString(stored.driverName));
    } else if (const QPrinterInfo info = ChosenPrinter(stored); !info.isNull()) {
        printer.setPrinterName(info.printerName());
    }
    ApplyDeviceMode(printer, stored.deviceMode);
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle("Print Setup");
    // Printing to a PDF file is offered beside the printers.
    dialog.setOptions(QAbstractPrintDialog::PrintCollateCopies |
                      QAbstractPrintDialog::PrintShowPageSize |
                      QAbstractPrintDialog::PrintToFile);
    if (dialog.exec() != QDialog::Accepted) return false;
    StorePrinterChoice(printer, settings);
    return true;
}

} // namespace tamsivane
