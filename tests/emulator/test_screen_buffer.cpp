#include "emulator/ScreenBuffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <vector>

namespace tamsivane {
namespace {

CellAttribute Word(uint16_t word) { return CellAttribute::FromWord(word); }
constexpr CellAttribute kNormal;
constexpr auto kForward = ScreenBuffer::Direction::Forward;
constexpr auto kBackward = ScreenBuffer::Direction::Backward;
constexpr auto kExact = ScreenBuffer::LetterCase::Exact;
constexpr auto kIgnored = ScreenBuffer::LetterCase::Ignored;

struct RowSnapshot {
    uint16_t size;
    std::vector<uint16_t> codes;
    std::vector<uint16_t> attrs;
    bool operator==(const RowSnapshot&) const = default;
};

// The rows of the displayed page as the view sees them.
std::vector<RowSnapshot> PageRows(const ScreenBuffer& screen) {
    std::vector<RowSnapshot> rows;
    for (int row = 0; row < screen.Lines(); ++row) {
        DisplayLine line;
        EXPECT_TRUE(screen.LineForDisplay(screen.HistoryCount() + row, line));
        rows.push_back(
            {line.size, {line.codes, line.codes + kStride}, {line.attrs, line.attrs + kStride}});
    }
    return rows;
}

// Distinct content in every cell, varied line sizes.
void FillPattern(ScreenBuffer& screen) {
    for (int row = 0; row < screen.Lines(); ++row) {
        for (int column = 0; column < kStride; ++column) {
            screen.WriteCell(row, column, static_cast<uint16_t>(0x100 + row * kStride + column),
                             Word(static_cast<uint16_t>(0x1200 | (row & 0x1F))));
        }
        screen.SetLineSize(row, row % 3 == 0 ? LineSize::DoubleWidth : LineSize::Single);
    }
}

// Marks row 0 with a recognisable code and sends it to the history.
void PushMarker(ScreenBuffer& screen, uint16_t marker) {
    screen.WriteCell(0, 0, marker, kNormal);
    screen.PushLineToHistory(0);
}

std::vector<uint16_t> HistoryMarkers(const ScreenBuffer& screen) {
    std::vector<uint16_t> markers;
    for (int i = 0; i < screen.HistoryCount(); ++i) {
        DisplayLine line;
        EXPECT_TRUE(screen.LineForDisplay(i, line));
        markers.push_back(line.codes[0]);
    }
    return markers;
}

std::pair<int, int> ChangedRange(ScreenBuffer& screen) {
    std::pair<int, int> range;
    screen.TakeChangedRange(range.first, range.second);
    return range;
}

class ScreenBufferTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(screen.Create(5));
        screen.SetGeometry(1, 24);
    }
    std::pair<int, int> Changed() { return ChangedRange(screen); }
    ScreenBuffer screen;
};

// --- History ring -----------------------------------------------------------------------------

TEST_F(ScreenBufferTest, HistoryDropsOldestAfterCapacityPlusOneAndClears) {
    screen.SetLineSize(0, LineSize::DoubleHeightTop);
    for (uint16_t marker = 1; marker <= 6; ++marker) PushMarker(screen, marker);
    EXPECT_EQ(HistoryMarkers(screen), (std::vector<uint16_t>{2, 3, 4, 5, 6}));
    EXPECT_TRUE(screen.TakeHistoryChanged());
    EXPECT_FALSE(screen.TakeHistoryChanged());
    screen.PushLineToHistory(screen.Lines()); // the status line never goes to history
    DisplayLine line;
    ASSERT_TRUE(screen.LineForDisplay(0, line));
    EXPECT_EQ(line.size, LineSize::DoubleHeightTop);
    ASSERT_TRUE(screen.LineForDisplay(5, line)); // then the page rows and the status line
    EXPECT_EQ(line.codes[0], 6);
    EXPECT_TRUE(screen.LineForDisplay(5 + 24, line));
    EXPECT_FALSE(screen.LineForDisplay(5 + 25, line));
    EXPECT_FALSE(screen.LineForDisplay(-1, line));

    screen.ClearHistory();
    PushMarker(screen, 9);
    EXPECT_EQ(HistoryMarkers(screen), (std::vector<uint16_t>{9}));
}

TEST_F(ScreenBufferTest, ResizingHistoryKeepsNewestInOrderAndRingStillWraps) {
    for (uint16_t marker = 1; marker <= 7; ++marker) PushMarker(screen, marker); // wrapped
    screen.WriteCell(10, 10, 'P', kNormal);
    screen.ResizeHistory(8);
    EXPECT_EQ(HistoryMarkers(screen), (std::vector<uint16_t>{3, 4, 5, 6, 7}));
    screen.ResizeHistory(3);
    EXPECT_EQ(HistoryMarkers(screen), (std::vector<uint16_t>{5, 6, 7}));
    EXPECT_EQ(screen.Code(10, 10), 'P');
    PushMarker(screen, 8);
    PushMarker(screen, 9);
    EXPECT_EQ(HistoryMarkers(screen), (std::vector<uint16_t>{7, 8, 9}));
    screen.ResizeHistory(-1);
    EXPECT_EQ(screen.HistoryCapacity(), 3);
}

TEST(ScreenBufferHistory, ZeroLinesNeverKeepsHistory) {
    ScreenBuffer screen;
    ASSERT_TRUE(screen.Create(0));
    PushMarker(screen, 'A');
    screen.PushPageToHistory(132);
    EXPECT_EQ(screen.HistoryCount(), 0);
    EXPECT_FALSE(screen.TakeHistoryChanged());
    EXPECT_EQ(screen.FindText(0, u"A", 0, kForward, kExact), 0); // display line 0 is page row 0
    screen.ResizeHistory(2);
    PushMarker(screen, 'B');
    EXPECT_EQ(HistoryMarkers(screen), (std::vector<uint16_t>{'B'}));
}

TEST_F(ScreenBufferTest, PushPageStopsAtLastNonBlankRowWithinWidth) {
    screen.PushPageToHistory(80);
    EXPECT_EQ(screen.HistoryCount(), 0);
    screen.WriteCell(3, 79, 'y', kNormal);
    screen.WriteCell(6, 80, 'z', kNormal); // beyond the width: not counted
    screen.PushPageToHistory(80);
    EXPECT_EQ(screen.HistoryCount(), 4);
    EXPECT_EQ(screen.FindText(3, u"y", 0, kForward, kExact), 79);
}

// --- Status line and changed rows ---------------------------------------------------------------

TEST_F(ScreenBufferTest, StatusLineRowTouchesOnlyTheStatusLine) {
    const auto before = PageRows(screen);
    Changed();
    const int status = screen.Lines();
    screen.WriteCell(status, 3, 'S', Word(0x1234));
    EXPECT_EQ(screen.Code(status, 3), 'S');
    EXPECT_EQ(screen.Attribute(status, 3), Word(0x1234));
    EXPECT_EQ(PageRows(screen), before);
    EXPECT_EQ(Changed(), std::make_pair(status, status));

    // Line moves, rectangles and selective erase leave it alone.
    screen.MoveLines(status, 0, 1, 0, 131);
    screen.CopyRect(0, status, 0, status, 131, 0, 0, 0);
    screen.SelectiveErase(status, 1, 0, 131);
    EXPECT_EQ(screen.Code(status, 3), 'S');

    screen.WriteCell(status, 4, 'T', Word(0x1234));
    screen.Erase(status, 5, 4, 10);
    EXPECT_EQ(screen.Code(status, 3), 'S');
    EXPECT_EQ(screen.Code(status, 4), kBlankCode);
    EXPECT_EQ(screen.Attribute(status, 4), kNormal);
    EXPECT_EQ(PageRows(screen), before);
}

TEST_F(ScreenBufferTest, ChangedRangeIsCollectedAndCleared) {
    EXPECT_EQ(Changed(), std::make_pair(-1, -1));
    screen.WriteCell(7, 0, 'a', kNormal);
    screen.WriteCell(3, 0, 'b', kNormal);
    EXPECT_EQ(Changed(), std::make_pair(3, 7));
    EXPECT_EQ(Changed(), std::make_pair(-1, -1));

    screen.WriteCell(screen.Lines(), 0, 's', kNormal);
    screen.SetLineSize(2, LineSize::DoubleWidth);
    EXPECT_EQ(Changed(), std::make_pair(2, screen.Lines()));

    screen.MarkAllChanged();
    EXPECT_EQ(Changed(), std::make_pair(0, screen.Lines()));
    screen.ResetPageStore();
    EXPECT_EQ(Changed(), std::make_pair(0, screen.Lines() - 1));
}

TEST(ScreenBufferPages, SelectingAPageShowsItAndMarksItChanged) {
    ScreenBuffer screen;
    ASSERT_TRUE(screen.Create(0));
    screen.SetGeometry(9, 24); // clamped to the 6 pages that fit
    EXPECT_EQ(screen.Pages(), 6);
    screen.WriteCell(0, 0, 'A', kNormal);
    screen.SelectDisplayedPage(2);
    EXPECT_EQ(ChangedRange(screen), std::make_pair(0, 23));
    EXPECT_EQ(screen.Code(0, 0), kBlankCode);
    screen.SelectDisplayedPage(6);
    EXPECT_EQ(screen.DisplayedPage(), 2);
    screen.SelectDisplayedPage(0);
    EXPECT_EQ(screen.Code(0, 0), 'A');
}

// --- Moving lines -------------------------------------------------------------------------------

TEST(ScreenBufferMoveLines, RotationAndCopyMoveLinesAndBlankWhatTheyLeave) {
    const int kLines = 8;
    const RowSnapshot blank{0, std::vector<uint16_t>(kStride, kBlankCode),
                            std::vector<uint16_t>(kStride, kBlankAttribute)};
    for (int from = 0; from < kLines; ++from) {
        for (int to = 0; to < kLines; ++to) {
            for (int count = 1; count <= kLines + 1; ++count) {
                ScreenBuffer rotated;
                ScreenBuffer halves;
                for (ScreenBuffer* screen : {&rotated, &halves}) {
                    ASSERT_TRUE(screen->Create(0));
                    screen->SetGeometry(2, kLines);
                    screen->SelectDisplayedPage(1);
                    FillPattern(*screen);
                    ChangedRange(*screen);
                }
                const auto before = PageRows(rotated);
                auto expected = before;
                const int moved = std::min({count, kLines - from, kLines - to});
                if (from != to) {
                    for (int i = 0; i < moved; ++i) expected[to + i] = before[from + i];
                    for (int row = from; row < from + moved; ++row)
                        if (row < to || row >= to + moved) expected[row] = blank;
                }
                rotated.MoveLines(from, to, count, 0, 131);
                // The copy path, in two bands; line sizes stay with the rows.
                halves.MoveLines(from, to, count, 0, 65);
                halves.MoveLines(from, to, count, 66, 131);

                SCOPED_TRACE(::testing::Message() << from << " -> " << to << " x " << count);
                ASSERT_EQ(PageRows(rotated), expected);
                const auto b = PageRows(halves);
                for (int row = 0; row < kLines; ++row) {
                    ASSERT_EQ(b[row].codes, expected[row].codes);
                    ASSERT_EQ(b[row].attrs, expected[row].attrs);
                    ASSERT_EQ(b[row].size, before[row].size);
                }
                const auto changed = ChangedRange(rotated);
                ASSERT_EQ(changed, ChangedRange(halves));
                ASSERT_EQ(changed.first, from == to ? -1 : std::min(from, to));
                // The other page is not touched.
                rotated.SelectDisplayedPage(0);
                ASSERT_EQ(rotated.Code(0, 0), kBlankCode);
            }
        }
    }
}

// --- Rectangles ---------------------------------------------------------------------------------

TEST(ScreenBufferRects, CopyRectMatchesACopyThroughATemporary) {
    struct Case {
        int sourcePage, top, left, bottom, right, targetPage, targetTop, targetLeft;
    };
    const Case cases[] = {
        {0, 2, 2, 8, 40, 0, 4, 6},    // down and right, overlapping
        {0, 4, 6, 10, 44, 0, 2, 2},   // up and left, overlapping
        {0, 0, 0, 11, 131, 1, 3, 50}, // to another page, clipped at the edges
        {1, 5, 0, 5, 131, 0, 5, 0},   // same place on another page
    };
    for (const Case& c : cases) {
        ScreenBuffer screen;
        ASSERT_TRUE(screen.Create(0));
        screen.SetGeometry(2, 12);
        std::vector<std::vector<RowSnapshot>> pages;
        for (int page = 1; page >= 0; --page) {
            screen.SelectDisplayedPage(page);
            FillPattern(screen);
        }
        for (int page = 0; page < 2; ++page) {
            screen.SelectDisplayedPage(page);
            pages.push_back(PageRows(screen));
        }
        auto expected = pages;
        for (int row = c.top; row <= c.bottom && c.targetTop + row - c.top < 12; ++row) {
            for (int col = c.left; col <= c.right && c.targetLeft + col - c.left < kStride; ++col) {
                auto& target = expected[c.targetPage][c.targetTop + row - c.top];
                target.codes[c.targetLeft + col - c.left] = pages[c.sourcePage][row].codes[col];
                target.attrs[c.targetLeft + col - c.left] = pages[c.sourcePage][row].attrs[col];
            }
        }
        screen.CopyRect(c.sourcePage, c.top, c.left, c.bottom, c.right, c.targetPage, c.targetTop,
                        c.targetLeft);
        for (int page = 0; page < 2; ++page) {
            screen.SelectDisplayedPage(page);
            EXPECT_EQ(PageRows(screen), expected[page]) << "page " << page;
        }
    }
}

// --- Reading for the view -----------------------------------------------------------------------

TEST_F(ScreenBufferTest, FindTextSearchesBothWaysWithAndWithoutCase) {
    const std::u16string text = u"abc ABC abc";
    for (size_t i = 0; i < text.size(); ++i) {
        screen.WriteCell(1, 20 + static_cast<int>(i), text[i], kNormal);
    }
    EXPECT_EQ(screen.FindText(1, u"ABC", 0, kForward, kExact), 24);
    EXPECT_EQ(screen.FindText(1, u"ABC", 0, kForward, kIgnored), 20);
    EXPECT_EQ(screen.FindText(1, u"abc", 21, kForward, kExact), 28);
    EXPECT_EQ(screen.FindText(1, u"abc", 30, kBackward, kExact), 28);
    EXPECT_EQ(screen.FindText(1, u"abc", 29, kBackward, kExact), 20); // must end by column 29
    EXPECT_EQ(screen.FindText(1, u"abc", 29, kBackward, kIgnored), 24);
    EXPECT_EQ(screen.FindText(1, u"abc", 21, kBackward, kIgnored), -1);
    EXPECT_EQ(screen.FindText(1, u"", 0, kForward, kIgnored), -1);
}

TEST_F(ScreenBufferTest, AnyBlinkingCellLooksOnlyAtTheGivenLines) {
    EXPECT_FALSE(screen.AnyBlinkingCell(0, screen.DisplayLineCount() - 1));
    screen.WriteCell(9, 131, 'x', kNormal.With(CellAttribute::Blink));
    EXPECT_TRUE(screen.AnyBlinkingCell(9, 9));
    EXPECT_FALSE(screen.AnyBlinkingCell(0, 8));
    EXPECT_TRUE(screen.AnyBlinkingCell(-50, 5000));
}

// --- Robustness ---------------------------------------------------------------------------------

TEST(ScreenBufferRobustness, UncreatedBufferIsUsableAndEmpty) {
    ScreenBuffer screen;
    screen.WriteCell(3, 3, 'x', kNormal);
    screen.MoveLines(1, 0, 23, 0, 131);
    screen.EraseLines(0, 2);
    screen.PushLineToHistory(0);
    ASSERT_NE(screen.RowCells(0).codes, nullptr);
    screen.RowCells(0).codes[131] = 'x';
    EXPECT_EQ(screen.Code(3, 3), kBlankCode);
    EXPECT_EQ(screen.HistoryCount(), 0);
    EXPECT_EQ(screen.TextOfRegion(0, 0, 23, 131), u"");
}

TEST(ScreenBufferRobustness, RandomArgumentsNeverWriteOutsideTheArrays) {
    std::mt19937 random(20240611);
    const int extremes[] = {INT_MIN, -1000, -2, -1, 0, 1, 23, 24, 25, 131, 132, 143, 144, INT_MAX};
    auto arg = [&]() {
        if (random() % 3 == 0) return extremes[random() % std::size(extremes)];
        return static_cast<int>(random() % 300) - 100;
    };
    ScreenBuffer screen;
    ASSERT_TRUE(screen.Create(7));
    for (int step = 0; step < 20000; ++step) {
        const auto code = static_cast<uint16_t>(random());
        switch (random() % 19) {
        case 0:
            screen.SetGeometry(arg(), arg());
            break;
        case 1:
            screen.WriteCell(arg(), arg(), code, Word(code));
            break;
        case 2:
            screen.SetLineSize(arg(), code);
            break;
        case 3:
            if (code & 1)
                screen.Erase(arg(), arg(), arg(), arg());
            else
                screen.EraseLines(arg(), arg());
            break;
        case 4:
            screen.SelectiveErase(arg(), arg(), arg(), arg());
            break;
        case 5:
            screen.MoveCells(arg(), arg(), arg(), arg(), arg());
            break;
        case 6:
            screen.MoveLines(arg(), arg(), arg(), arg(), arg());
            break;
        case 7:
            screen.CopyRect(arg(), arg(), arg(), arg(), arg(), arg(), arg(), arg());
            break;
        case 8:
            screen.FillRect(arg(), arg(), arg(), arg(), code, Word(code));
            break;
        case 9:
            screen.ToggleRectFlags(arg(), arg(), arg(), arg(), code);
            break;
        case 10:
            screen.PushLineToHistory(arg());
            break;
        case 11:
            screen.PushPageToHistory(arg());
            break;
        case 12:
            screen.ResizeHistory(static_cast<int>(random() % 12) - 2);
            break;
        case 13:
            screen.SelectDisplayedPage(arg());
            break;
        case 14:
            screen.RowCells(arg()).codes[kStride - 1] = code;
            break;
        case 15:
            (void)screen.FindText(arg(), u"ab", arg(), code & 1 ? kForward : kBackward,
                                  code & 2 ? kExact : kIgnored);
            break;
        case 16:
            (void)screen.TextOfRegion(arg(), arg(), arg(), arg());
            break;
        case 17:
            (void)screen.AnyBlinkingCell(arg(), arg());
            break;
        default:
            ASSERT_LE(ChangedRange(screen).second, screen.Lines());
            break;
        }
        ASSERT_LE(screen.Pages() * screen.Lines(), kPageStoreLines);
        ASSERT_LE(screen.HistoryCount(), screen.HistoryCapacity());
    }
    // The rows still map to distinct lines after all the rotations.
    screen.SetGeometry(1, kPageStoreLines);
    for (int row = 0; row < kPageStoreLines; ++row) screen.WriteCell(row, 0, row, kNormal);
    for (int row = 0; row < kPageStoreLines; ++row) ASSERT_EQ(screen.Code(row, 0), row);
}

} // namespace
} // namespace tamsivane
