// The Print menu on a session: pages, selections, everything and auto print
// into a PDF of a fixed page size, read back with pdftotext and pdfinfo; PDF
// files the user names, and the host's prints beside them; and print
// setup's printer block.
#include <QPageLayout>
#include <QPrinter>
#include <QStatusBar>
#include <QLabel>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

#include <cstdio>
#include <string>
#include <vector>

#include "FrameFixture.h"
#include "app/CommandActions.h"
#include "app/QtPrinting.h"
#include "config/SettingsStore.h"
#include "print/DeviceMode.h"
#include "view/CVT420View.h"
#include "view/CellFont.h"

namespace tamsivane::testing {
namespace {

std::string Output(const std::string& command) {
    std::string text;
    if (std::FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, n);
        pclose(pipe);
    }
    return text;
}

// The non-blank lines of each page of a PDF, trimmed.
std::vector<std::vector<std::string>> PdfPages(const std::string& path) {
    const std::string text = Output("pdftotext -layout '" + path + "' - 2>/dev/null");
    std::vector<std::vector<std::string>> pages(1);
    std::string line;
    for (const char c : text) {
        if (c == '\f') {
            pages.emplace_back();
        } else if (c == '\n') {
            const size_t first = line.find_first_not_of(' ');
            if (first != std::string::npos) {
                pages.back().push_back(line.substr(first, line.find_last_not_of(' ') - first + 1));
            }
            line.clear();
        } else {
            line += c;
        }
    }
    if (pages.back().empty()) pages.pop_back(); // after the last page's form feed
    return pages;
}

int PdfPageCount(const std::string& path) {
    const std::string info = Output("pdfinfo '" + path + "' 2>/dev/null");
    const size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

std::vector<std::string> Rows(int first, int last) {
    std::vector<std::string> rows;
    for (int i = first; i <= last; ++i) rows.push_back("row " + std::to_string(i));
    return rows;
}

class PrintingTest : public FrameTest {
protected:
    void SetUp() override {
        if (system("command -v pdftotext >/dev/null && command -v pdfinfo >/dev/null") != 0) {
            GTEST_SKIP() << "poppler-utils are not installed";
        }
        frame->show();
        child_ = OpenLoopback([](SettingsStore& s) { s.SetString(P::PrintFontName, kTestFace); });
        doc_ = &child_->Document();
        auto backend = std::make_shared<QtPrintBackend>(PrintDevices{});
        backend->PrintToPdf(QString::fromStdString(pdf_), SixtyLinePage());
        doc_->SetPrintBackend(backend);
        std::string text;
        for (int i = 1; i <= 64; ++i) text += "row " + std::to_string(i) + (i < 64 ? "\r\n" : "");
        doc_->ReceiveLocally(text);
    }

    // Sixty lines of the print font at its default size on a page, and 90
    // columns.
    static QPageSize SixtyLinePage() {
        QPrinter probe(QPrinter::HighResolution);
        probe.setOutputFormat(QPrinter::PdfFormat);
        const int dpi = probe.resolution();
        const CellFont font =
            MakeCellFont(kTestFace, SettingsStore().GetNumber(P::PrintFontSize), false, dpi);
        const double height = 60 * font.height + font.height / 2.0;
        const double width = 90 * font.width;
        return QPageSize(QSizeF(width * 25.4 / dpi, height * 25.4 / dpi), QPageSize::Millimeter,
                         QString(), QPageSize::ExactMatch);
    }

    std::vector<std::vector<std::string>> Print(int command) {
        std::remove(pdf_.c_str());
        EXPECT_TRUE(frame->Execute(command));
        WaitUntilPrinted();
        return PdfPages(pdf_);
    }

    // The printer works on a thread of its own.
    void WaitUntilPrinted() {
        ASSERT_TRUE(doc_->WaitUntilPrinted(std::chrono::steady_clock::now() + std::chrono::seconds(30)));
    }

    std::string pdf_ = folder.File("out.pdf");
    CChildFrame* child_ = nullptr;
    CVT420Doc* doc_ = nullptr;
};

TEST_F(PrintingTest, PrintAllBreaksSixtyFourRowsIntoTwoPages) {
    const auto pages = Print(Command::PrintAll);
    EXPECT_EQ(PdfPageCount(pdf_), 2);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0], Rows(1, 60));
    EXPECT_EQ(pages[1], Rows(61, 64));
}

TEST_F(PrintingTest, PrintPageIsTheScreenAndPrintSelectionItsWholeRows) {
    const auto page = Print(Command::PrintPage);
    EXPECT_EQ(PdfPageCount(pdf_), 1);
    ASSERT_EQ(page.size(), 1u);
    EXPECT_EQ(page[0], Rows(41, 64));

    EXPECT_FALSE(frame->Commands().IsEnabled(Command::PrintSelection));
    Selection selection;
    selection.startRow = 3;
    selection.startColumn = 2;
    selection.endRow = 5;
    selection.endColumn = 1;
    child_->View()->SetSelection(selection);
    EXPECT_TRUE(frame->Commands().IsEnabled(Command::PrintSelection));
    for (const int command : {Command::PrintSelection, Command::Print}) {
        const auto selected = Print(command);
        ASSERT_EQ(selected.size(), 1u) << command;
        EXPECT_EQ(selected[0], Rows(4, 6)) << command;
    }
    // Dragged to the start of a row: that row holds nothing selected.
    selection.endRow = 6;
    selection.endColumn = -1;
    child_->View()->SetSelection(selection);
    const auto selected = Print(Command::PrintSelection);
    ASSERT_EQ(selected.size(), 1u);
    EXPECT_EQ(selected[0], Rows(4, 6));
}

TEST_F(PrintingTest, AutoPrintPrintsEachLineTheCursorLeaves) {
    ASSERT_TRUE(frame->Execute(Command::PrintingMode));
    EXPECT_EQ(doc_->PrintingMode(), PrintMode::AutoPrint);
    EXPECT_FALSE(frame->Commands().IsEnabled(Command::PrintPage));
    frame->UpdateCommands();
    EXPECT_TRUE(QTest::qWaitFor([&] {
        for (QLabel* pane : frame->statusBar()->findChildren<QLabel*>())
            if (pane->text() == "Printing") return true;
        return false;
    }));
    doc_->ReceiveLocally("\r\nfirst\r\nsecond\r\nnot left");
    // The document has been open since auto print began: no Print() here,
    // which removes the file first.
    ASSERT_TRUE(frame->Execute(Command::PrintingMode));
    WaitUntilPrinted();
    const auto pages = PdfPages(pdf_);
    EXPECT_EQ(doc_->PrintingMode(), PrintMode::None);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], (std::vector<std::string>{"row 64", "first", "second"}));
}

TEST_F(PrintingTest, PrintingToAPdfFileAsksForTheFileFirst) {
    // The system's printing: PDF output is chosen, or there is no printer.
    doc_->SetPrintBackend(std::make_shared<QtPrintBackend>(PrintDevices{}));
    {
        const SessionLock locked = doc_->Locked();
        PrinterChoice pdf;
        pdf.isDefault = false;
        pdf.deviceName = kPdfPrinterName;
        locked.Settings().SetPrinter(pdf);
    }
    const std::string chosen = folder.File("chosen.pdf");
    QString title;
    WhenModal<QFileDialog>([&](QFileDialog& dialog) {
        title = dialog.windowTitle();
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(chosen));
        static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_TRUE(frame->Execute(Command::PrintPage));
    EXPECT_EQ(title, "Print to PDF File");
    WaitUntilPrinted();
    const auto pages = PdfPages(chosen);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0], Rows(41, 64));
    EXPECT_TRUE(user.Messages().empty());

    // Cancelled: nothing is printed, and nothing to complain about.
    std::remove(chosen.c_str());
    WhenModal<QFileDialog>([](QFileDialog& dialog) { static_cast<QDialog&>(dialog).reject(); });
    EXPECT_TRUE(frame->Execute(Command::PrintAll));
    WaitUntilPrinted();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(chosen)));
    EXPECT_TRUE(user.Messages().empty());

    // Auto print from the menu asks for its file too.
    const std::string byHand = folder.File("by-hand.pdf");
    WhenModal<QFileDialog>([&](QFileDialog& dialog) {
        dialog.findChild<QLineEdit*>("fileNameEdit")->setText(QString::fromStdString(byHand));
        static_cast<QDialog&>(dialog).accept();
    });
    ASSERT_TRUE(frame->Execute(Command::PrintingMode));
    doc_->ReceiveLocally("\r\nauto");
    ASSERT_TRUE(frame->Execute(Command::PrintingMode));
    WaitUntilPrinted();
    ASSERT_EQ(PdfPages(byHand).size(), 1u);
    EXPECT_EQ(PdfPages(byHand)[0], (std::vector<std::string>{"row 64"}));

    // What the host prints, where no dialog may ask, goes to a new file
    // beside the one Print Setup chose, never over an earlier print.
    {
        const SessionLock locked = doc_->Locked();
        PrinterChoice pdf = locked.Settings().GetPrinter({});
        pdf.driverName = chosen;
        locked.Settings().SetPrinter(pdf);
    }
    std::FILE* earlier = std::fopen(chosen.c_str(), "w");
    ASSERT_NE(earlier, nullptr);
    std::fclose(earlier);
    doc_->ReceiveLocally("\x1b[?5i\r\nfrom the host\r\n\x1b[?4i");
    WaitUntilPrinted();
    EXPECT_EQ(QFileInfo(QString::fromStdString(chosen)).size(), 0);
    const auto hostPages = PdfPages(folder.File("chosen-2.pdf"));
    ASSERT_EQ(hostPages.size(), 1u);
    EXPECT_EQ(hostPages[0], (std::vector<std::string>{"auto", "from the host"}));
    EXPECT_TRUE(user.Messages().empty());
}

TEST(PrintSetup, PdfOutputIsStoredAsItsOwnPrinter) {
    EnsureApplication();
    SettingsStore settings;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setOutputFileName("/tmp/some.pdf");
    StorePrinterChoice(pdf, settings);
    const PrinterChoice stored = settings.GetPrinter({});
    EXPECT_FALSE(stored.isDefault);
    EXPECT_EQ(stored.deviceName, kPdfPrinterName);
    EXPECT_EQ(stored.driverName, "/tmp/some.pdf");
    EXPECT_TRUE(QtPrintBackend(PrintDevices{}).NeedsPdfFile(stored));
}

TEST(PrintSetup, TheChosenPrinterKeepsTheBlocksOtherBytes) {
    EnsureApplication();
    SettingsStore settings;
    std::vector<uint8_t> pattern(kPrinterParamSize);
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>(0xA5 ^ i);
    settings.SetBlock(P::PrinterParam, pattern.data(), pattern.size());

    QPrinter chosen(QPrinter::HighResolution);
    chosen.setPageOrientation(QPageLayout::Landscape);
    chosen.setPageSize(QPageSize(QPageSize::A4));
    chosen.setCopyCount(2);
    chosen.setCollateCopies(true);
    StorePrinterChoice(chosen, settings);

    EXPECT_EQ(settings.GetNumber(P::DefaultPrinter), 0);
    const uint8_t* block = settings.GetBlock(P::PrinterParam);
    for (size_t i = 0; i < pattern.size(); ++i) {
        const bool mapped = i < 32 || (i >= 40 && i < 48) || (i >= 54 && i < 56) ||
                            (i >= 60 && i < 64) || (i >= 68 && i < 70);
        if (!mapped) {
            EXPECT_EQ(block[i], pattern[i]) << "byte " << i;
        }
    }
    const DeviceModeFields fields = ReadDeviceMode(std::vector<uint8_t>(block, block + pattern.size()));
    EXPECT_EQ(fields.orientation, DeviceModeValue::Landscape);
    EXPECT_EQ(fields.paperSize, 9);
    EXPECT_EQ(fields.collate, true);

    // Printing reads them back into its printer.
    QPrinter printing(QPrinter::HighResolution);
    ApplyDeviceMode(printing, std::vector<uint8_t>(block, block + pattern.size()));
    EXPECT_EQ(printing.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(printing.pageLayout().pageSize().id(), QPageSize::A4);
}

} // namespace
} // namespace tamsivane::testing
