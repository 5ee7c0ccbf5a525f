// Screen rows as printed text, pages of a document, the page measure and the
// stored printer block.
#include <gtest/gtest.h>

#include <string>

#include "PrintTestKit.h"
#include "emulator/VtEmulator.h"
#include "print/DeviceMode.h"
#include "print/PageText.h"

namespace tamsivane {
namespace {

TEST(PrintPages, SixtyFourRowsOnSixtyLinePagesMakeTwoPages) {
    VtEmulator emulator;
    emulator.Settings().SetNumber(P::SaveLines, 100);
    ASSERT_TRUE(emulator.Start());
    std::string text;
    for (int i = 1; i <= 64; ++i) text += "row " + std::to_string(i) + (i < 64 ? "\r\n" : "");
    emulator.ReceiveBlock(text);
    const ScreenBuffer& screen = emulator.Screen();
    ASSERT_EQ(screen.HistoryCount(), 40);

    const std::vector<std::u16string> rows = RowsText(screen, -5, 63, 80);
    ASSERT_EQ(rows.size(), 64u);
    std::string output;
    int pages = 0;
    TextPages document({60, 80}, output, pages);
    ASSERT_TRUE(PrintPages(document, rows));
    EXPECT_EQ(pages, 2);
    const size_t formFeed = output.find('\f');
    ASSERT_NE(formFeed, std::string::npos);
    EXPECT_EQ(output.substr(formFeed + 1), "row 61\nrow 62\nrow 63\nrow 64\n");
    EXPECT_TRUE(output.starts_with("row 1\nrow 2\n"));
}

TEST(PrintPages, RowsAreTheShownColumnsWithoutRightHalves) {
    VtEmulator emulator;
    ASSERT_TRUE(emulator.Start());
    emulator.ReceiveBlock("ab");
    ScreenBuffer& screen = emulator.Screen();
    screen.WriteCell(0, 2, 0x4E2D, CellAttribute().WithClass(CharClass::DoubleWidth));
    screen.WriteCell(0, 3, 0, CellAttribute().WithClass(CharClass::DoubleWidth));
    screen.WriteCell(0, 4, 'c', CellAttribute());
    const int history = screen.HistoryCount();
    const std::vector<std::u16string> rows = RowsText(screen, history, history + 500, 6);
    ASSERT_EQ(rows.size(), 25u); // the page and the status line, no further
    EXPECT_EQ(rows[0], u"ab\u4E2Dc ");
}

TEST(PrintPages, APageThatCannotStartAbortsTheDocument) {
    class Refusing final : public PageSurface {
    public:
        PageMetrics Metrics() const override { return {}; }
        bool StartPage() override { return false; }
        void DrawLine(int, std::u16string_view) override { ++drawn; }
        bool EndPage() override { return true; }
        void EndDocument() override { ended = true; }
        void Abort() override { aborted = true; }
        int drawn = 0;
        bool ended = false, aborted = false;
    } document;
    EXPECT_FALSE(PrintPages(document, {u"x"}));
    EXPECT_TRUE(document.aborted);
    EXPECT_FALSE(document.ended);
    EXPECT_EQ(document.drawn, 0);
}

TEST(PrintPages, PageMeasureIsClampedToTheLineBufferAndOneLine) {
    EXPECT_EQ(MetricsForPage(8000, 6000, 10, 100).charactersPerLine, 800);
    EXPECT_EQ(MetricsForPage(8000, 6000, 10, 100).linesPerPage, 60);
    EXPECT_EQ(MetricsForPage(1000000, 10, 1, 100).charactersPerLine, kMaxLineCharacters);
    EXPECT_EQ(MetricsForPage(1000000, 10, 1, 100).linesPerPage, 1);
    const PageMetrics none = MetricsForPage(0, 0, 0, 0);
    EXPECT_EQ(none.charactersPerLine, 1);
    EXPECT_EQ(none.linesPerPage, 1);
}

TEST(PrintPages, TextPagesCutLongLinesAndDropTrailingBlanks) {
    std::string output;
    int pages = 0;
    TextPages document({2, 4}, output, pages);
    document.StartPage();
    document.DrawLine(1, u"abcdef");
    document.DrawLine(0, u"x  ");
    document.DrawLine(2, u"off the page");
    document.EndPage();
    EXPECT_EQ(output, "x\nabcd\n");
}

TEST(DeviceMode, SetupWritesTheMappedFieldsAndKeepsEveryOtherByte) {
    std::vector<uint8_t> block(kPrinterParamSize);
    for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 7 + 3);
    const std::vector<uint8_t> before = block;
    DeviceModeFields fields;
    fields.name = "Caf\xC3\xA9 printer with a name longer than the field";
    fields.orientation = DeviceModeValue::Landscape;
    fields.paperSize = 9;
    fields.copies = 3;
    fields.colour = DeviceModeValue::Monochrome;
    fields.duplex = DeviceModeValue::DuplexLongEdge;
    fields.collate = true;
    WriteDeviceMode(block, fields);

    const std::vector<std::pair<size_t, size_t>> mapped = {
        {0, 32}, {40, 44}, {44, 48}, {54, 56}, {60, 64}, {68, 70}};
    for (size_t i = 0; i < block.size(); ++i) {
        const bool isMapped = std::any_of(mapped.begin(), mapped.end(), [i](const auto& range) {
            return i >= range.first && i < range.second;
        });
        if (!isMapped) {
            EXPECT_EQ(block[i], before[i]) << "byte " << i;
        }
    }
    EXPECT_EQ(block[3], 0xE9); // the name in the ANSI code page
    EXPECT_EQ(block[31], 0);   // cut, and ended
    EXPECT_EQ(block[44], 2);
    EXPECT_EQ(block[46], 9);

    const DeviceModeFields read = ReadDeviceMode(block);
    EXPECT_EQ(read.name, std::string(fields.name, 0, 32));
    EXPECT_EQ(read.orientation, fields.orientation);
    EXPECT_EQ(read.paperSize, 9);
    EXPECT_EQ(read.copies, 3);
    EXPECT_EQ(read.colour, fields.colour);
    EXPECT_EQ(read.duplex, fields.duplex);
    EXPECT_EQ(read.collate, true);
}

TEST(DeviceMode, FieldsOutsideTheMaskAreNotRead) {
    std::vector<uint8_t> block(kPrinterParamSize, 0);
    block[44] = 2; // orientation without its mask bit
    block[54] = 4;
    block[41] = 0x01; // copies
    const DeviceModeFields read = ReadDeviceMode(block);
    EXPECT_FALSE(read.orientation.has_value());
    EXPECT_EQ(read.copies, 4);
    EXPECT_TRUE(read.name.empty());
    EXPECT_FALSE(ReadDeviceMode({1, 2, 3}).copies.has_value());
}

} // namespace
} // namespace tamsivane
