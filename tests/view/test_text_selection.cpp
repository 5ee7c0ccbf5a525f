// The selection without a widget: anchors, what a drag step repaints, the
// text a selection yields and finding text.
#include <gtest/gtest.h>

#include <string>

#include "emulator/ScreenBuffer.h"
#include "view/TextSearch.h"
#include "view/TextSelection.h"

namespace tamsivane::testing {
namespace {

// A page of 24 rows with two history lines above it.
class SelectionTest : public ::testing::Test {
protected:
    SelectionTest() {
        screen.Create(100);
        screen.SetGeometry(1, 24);
        Put(0, 0, "history one");
        screen.PushLineToHistory(0);
        Put(0, 0, "history two");
        screen.PushLineToHistory(0);
        screen.EraseLines(0, 24);
    }
    // Writes text at a page row.
    void Put(int row, int column, std::u16string_view text) {
        for (const char16_t c : text) screen.WriteCell(row, column++, c, CellAttribute());
    }
    void Put(int row, int column, std::string_view text) {
        Put(row, column, std::u16string(text.begin(), text.end()));
    }
    static constexpr int H = 2; // buffer row of page row 0

    ScreenBuffer screen;
    TextSelection selection;
};

TEST_F(SelectionTest, AStreamRunsToJustBeforeTheFarCell) {
    selection.BeginDrag({5, 10}, false);
    EXPECT_TRUE(selection.DragTo({5, 10}).Empty()) << "the cell reached last";
    selection.DragTo({5, 11});
    selection.DragTo({5, 10});
    EXPECT_FALSE(selection.Exists()) << "10 to 10 selects nothing";
    selection.DragTo({5, 11});
    EXPECT_EQ(selection.Current(), (Selection{5, 10, 5, 10, false})) << "10 to 11: one cell";

    // Backwards the anchor's own cell is left out.
    selection.DragTo({5, 4});
    EXPECT_EQ(selection.Current(), (Selection{5, 4, 5, 9, false}));
    selection.DragTo({3, 7});
    EXPECT_EQ(selection.Current(), (Selection{3, 7, 5, 9, false}));
    selection.DragTo({8, 0});
    EXPECT_EQ(selection.Current(), (Selection{5, 10, 8, -1, false}));
    selection.EndDrag();
    EXPECT_FALSE(selection.Dragging());
    EXPECT_TRUE(selection.DragTo({9, 9}).Empty()) << "no drag, no change";
}

TEST_F(SelectionTest, ABlockSpansAnchorAndCellAndRepaintsItsRows) {
    selection.BeginDrag({6, 10}, true);
    selection.DragTo({4, 3});
    EXPECT_EQ(selection.Current(), (Selection{4, 3, 6, 10, true}));
    const CellArea changed = selection.DragTo({9, 12});
    EXPECT_EQ(selection.Current(), (Selection{6, 10, 9, 12, true}));
    EXPECT_EQ(changed.firstRow, 4);
    EXPECT_EQ(changed.lastRow, 9);
    EXPECT_EQ(changed.firstColumn, 0);
    EXPECT_EQ(changed.lastColumn, kStride - 1);
}

TEST_F(SelectionTest, AStreamStepRepaintsOnlyWhatChanged) {
    selection.BeginDrag({5, 10}, false);
    CellArea changed = selection.DragTo({5, 20});
    EXPECT_EQ(
        (std::array{changed.firstRow, changed.lastRow, changed.firstColumn, changed.lastColumn}),
        (std::array{5, 5, 10, 20}));
    changed = selection.DragTo({5, 3}); // across the anchor
    EXPECT_EQ(
        (std::array{changed.firstRow, changed.lastRow, changed.firstColumn, changed.lastColumn}),
        (std::array{5, 5, 3, 20}));
    changed = selection.DragTo({9, 0});
    EXPECT_EQ(
        (std::array{changed.firstRow, changed.lastRow, changed.firstColumn, changed.lastColumn}),
        (std::array{5, 9, 0, kStride - 1}));
    // A new drag or a clear repaints the rows that were selected.
    changed = selection.BeginDrag({0, 0}, false);
    EXPECT_EQ(changed.firstRow, 5);
    EXPECT_EQ(changed.lastRow, 9);
    EXPECT_FALSE(selection.Exists());
    EXPECT_TRUE(selection.Clear().Empty());
}

TEST_F(SelectionTest, TextDropsTrailingBlanksOfAStreamUnlessCopySpace) {
    Put(1, 0, "ab");
    Put(2, 0, "cd  ef");
    Put(3, 0, "gh");
    selection.Set({H + 1, 0, H + 3, 79, false});
    EXPECT_EQ(selection.Text(screen, 80, false), u"ab\r\ncd  ef\r\ngh");
    const std::u16string spaced = selection.Text(screen, 80, true);
    EXPECT_EQ(spaced.size(), 3 * 80 + 2 * 2u) << "full rows and two line ends";
    EXPECT_EQ(spaced.substr(0, 4), u"ab  ");

    // A stream that ends inside a row stops there, blanks or not.
    selection.Set({H + 2, 1, H + 2, 3, false});
    EXPECT_EQ(selection.Text(screen, 80, false), u"d");
    EXPECT_EQ(selection.Text(screen, 80, true), u"d  ");

    // A block keeps its blanks on every row; an all-blank row of a stream
    // gives nothing but its line end.
    selection.Set({H + 1, 1, H + 3, 4, true});
    EXPECT_EQ(selection.Text(screen, 80, false), u"b   \r\nd  e\r\nh   ");
    selection.Set({H + 4, 0, H + 5, 79, false});
    EXPECT_EQ(selection.Text(screen, 80, false), u"\r\n");
}

TEST_F(SelectionTest, TextReachesIntoHistoryLeavesOutRightHalvesAndEndsWithTheBuffer) {
    // Both halves of a wide character carry its class, as the emulator writes them.
    const CellAttribute wide = CellAttribute::Empty().WithClass(CharClass::DoubleWidth);
    screen.WriteCell(0, 0, 0x4E2D, wide);
    screen.WriteCell(0, 1, 0, wide);
    Put(0, 2, "x");
    selection.Set({1, 8, H, 2, false});
    EXPECT_EQ(selection.Text(screen, 80, false), u"two\r\n\u4e2dx");
    // Columns beyond the page width are clipped; rows past the last the
    // buffer holds end the text.
    selection.Set({H, 0, H + 500, 200, false});
    const std::u16string all = selection.Text(screen, 80, false);
    EXPECT_EQ(all.substr(0, 4), u"\u4e2dx\r\n");
    selection.SelectAll(H + 24, 80);
    EXPECT_EQ(selection.Current(), (Selection{0, 0, H + 23, 79, false}));
    EXPECT_EQ(selection.Text(screen, 80, false).substr(0, 13), u"history one\r\n");
}

TEST_F(SelectionTest, FindGoesOnAfterTheLastMatchOnTheSameRow) {
    Put(3, 0, "foo bar Foo");
    Put(7, 5, "foo");
    FindRequest request{u"foo", true, false, false};
    EXPECT_EQ(FindInRows(screen, request, {H + 3, 0}, H + 23, 80), (CellPosition{H + 3, 0}));
    EXPECT_EQ(FindInRows(screen, request, {H + 3, 3}, H + 23, 80), (CellPosition{H + 3, 8}));
    request.caseSensitive = true;
    EXPECT_EQ(FindInRows(screen, request, {H + 3, 3}, H + 23, 80), (CellPosition{H + 7, 5}));
    EXPECT_EQ(FindInRows(screen, request, {H + 7, 6}, H + 23, 80), std::nullopt);
    EXPECT_EQ(FindInRows(screen, request, {H + 3, 1}, H + 6, 80), std::nullopt)
        << "rows past the last are not searched";

    // Upwards: the match ends at or before the start column, rows run back.
    request = {u"foo", false, false, false};
    EXPECT_EQ(FindInRows(screen, request, {H + 7, 4}, H + 23, 80), (CellPosition{H + 3, 8}));
    EXPECT_EQ(FindInRows(screen, request, {H + 3, 9}, H + 23, 80), (CellPosition{H + 3, 0}));
    EXPECT_EQ(FindInRows(screen, request, {H + 50, 79}, H + 23, 80), (CellPosition{H + 7, 5}))
        << "a start below the last row starts at the last row";
    request.text = u"two";
    EXPECT_EQ(FindInRows(screen, request, {H, 79}, H + 23, 80), (CellPosition{1, 8}));
    request.text.clear();
    EXPECT_EQ(FindInRows(screen, request, {H, 0}, H + 23, 80), std::nullopt);
}

TEST_F(SelectionTest, FindMatchesOnlyWithinThePageWidthAndWholeWordsWhenAsked) {
    Put(4, 76, "word");
    FindRequest request{u"word", true, false, false};
    EXPECT_EQ(FindInRows(screen, request, {H, 0}, H + 23, 80), (CellPosition{H + 4, 76}));
    EXPECT_EQ(FindInRows(screen, request, {H, 0}, H + 23, 79), std::nullopt);

    Put(5, 0, "cat_x concat cat9 (cat) cats");
    request = {u"cat", true, false, true};
    EXPECT_EQ(FindInRows(screen, request, {H + 5, 0}, H + 23, 80), (CellPosition{H + 5, 19}));
    EXPECT_EQ(FindInRows(screen, request, {H + 5, 20}, H + 23, 80), std::nullopt);
    EXPECT_EQ(FindInRows(screen, request, {H + 5, 20}, H + 23, 27), (CellPosition{H + 5, 24}))
        << "the end of the page width ends a word";
    request.down = false;
    EXPECT_EQ(FindInRows(screen, request, {H + 5, 79}, H + 23, 80), (CellPosition{H + 5, 19}));
    EXPECT_EQ(FindInRows(screen, request, {H + 5, 18}, H + 23, 80), std::nullopt);
    Put(6, 0, u"\u00e9cat");
    request.down = true;
    EXPECT_EQ(FindInRows(screen, request, {H + 6, 0}, H + 6, 80), std::nullopt)
        << "a letter beyond ASCII joins a word too";
}

} // namespace
} // namespace tamsivane::testing
