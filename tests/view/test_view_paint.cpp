// Painting checked by pixels at chosen cells: glyph cells against the same
// text drawn by QPainter, colours against the session's palette.
#include <QFontDatabase>

#include "ViewFixture.h"
#include "view/LineGlyphs.h"

namespace tamsivane::testing {
namespace {

// Rows of an image that hold any pixel of colour, and the same for columns.
int RowsWith(const QImage& image, const QColor& colour) {
    int rows = 0;
    for (int y = 0; y < image.height(); ++y) {
        bool any = false;
        for (int x = 0; x < image.width(); ++x) any = any || image.pixel(x, y) == colour.rgb();
        rows += any;
    }
    return rows;
}
int ColumnsWith(const QImage& image, const QColor& colour) {
    return RowsWith(image.transformed(QTransform().rotate(90)), colour);
}
QImage WithUnderline(QImage image, const QColor& colour) {
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, image.height() - 1, colour.rgb());
    return image;
}

TEST_F(ViewTest, TextAndColoursComeFromThePaletteAndTheColourMap) {
    // Underline alone is mapped to colours 2 on 5 without showing the line.
    Configure([](SettingsStore& s) {
        s.MapColour(CellAttribute::Underline, {2, 5, false});
        s.SetNumber(P::FitFont, 0);
    });
    Open();
    Host("Hx\x1b[31;44mZ\x1b[0;4mU\x1b[0;1;30;47mK", "HxZUK");
    const QImage image = Grab();
    EXPECT_EQ(Differences(Cell(image, 0, 0), Reference("H", Palette(7), Palette(0))), 0);
    const CellAttribute coloured = Attribute(0, 2);
    EXPECT_NE(Fore(coloured), Palette(7));
    EXPECT_NE(Back(coloured), Palette(0));
    EXPECT_EQ(Differences(Cell(image, 0, 2), Reference("Z", Fore(coloured), Back(coloured))), 0);
    EXPECT_EQ(Differences(Cell(image, 0, 3), Reference("U", Palette(2), Palette(5))), 0);
    // Bold on colour 0 stays colour 0.
    EXPECT_EQ(Differences(Cell(image, 0, 4), Reference("K", Palette(0), Palette(7))), 0);
    // Right of the last column and below the last row: the screen background.
    const QRect page = view->CellRect(History() + 23, 79);
    EXPECT_EQ(image.pixel(page.right() + 3, 2), Palette(0).rgb());
    EXPECT_EQ(image.pixel(2, page.bottom() + 3), Palette(0).rgb());
}

TEST_F(ViewTest, NormalColoursDifferFromBrightOnesAndBoldCellsKeepTheirOwn) {
    Open();
    Configure([](SettingsStore& s) { s.SetNumber(P::Columns, 80); });
    Host("\x1b[31mr\x1b[91mR\x1b[0;1;31mB\x1b[0;34;103mb", "rRBb");
    QImage image = Grab();
    ASSERT_NE(Palette(1), Palette(9));
    EXPECT_EQ(Differences(Cell(image, 0, 0), Reference("r", Palette(1), Palette(0))), 0);
    EXPECT_EQ(Differences(Cell(image, 0, 1), Reference("R", Palette(9), Palette(0))), 0);
    EXPECT_EQ(Differences(Cell(image, 0, 2), Reference("B", Palette(9), Palette(0))), 0);
    EXPECT_EQ(Differences(Cell(image, 0, 3), Reference("b", Palette(3), Palette(12))), 0);
    {
        // The emulator raises bold colours; the view draws the cell's own.
        const SessionLock locked = session.Locked();
        locked.Screen().FillRect(
            0, 0, 0, 0, 'B', CellAttribute().With(CellAttribute::Bold).WithForeground(1));
    }
    view->viewport()->update();
    image = Grab();
    EXPECT_EQ(Differences(Cell(image, 0, 0), Reference("B", Palette(1), Palette(0))), 0);
}

TEST_F(ViewTest, LightScreenExchangesColoursAndSelectionShowsThemPlain) {
    SetNumber(P::FitFont, 0);
    Open();
    Host("\x1b[?5hNS", "NS");
    QImage image = Grab();
    EXPECT_EQ(Differences(Cell(image, 0, 0), Reference("N", Palette(0), Palette(7))), 0);
    const QRect page = view->CellRect(History() + 23, 79);
    EXPECT_EQ(image.pixel(2, page.bottom() + 3), Palette(7).rgb());
    view->SetSelection({History(), 1, History(), 1, false});
    image = Grab();
    EXPECT_EQ(Differences(Cell(image, 0, 1), Reference("S", Palette(7), Palette(0))), 0);
    EXPECT_EQ(Differences(Cell(image, 0, 0), Reference("N", Palette(0), Palette(7))), 0);
}

TEST_F(ViewTest, UnderlineAndBothBlinkPhases) {
    Open();
    Host("\x1b[4mu\x1b[0;5;4mb\x1b[0mE", "ubE");
    QImage image = Grab();
    EXPECT_EQ(Differences(Cell(image, 0, 0),
                          WithUnderline(Reference("u", Palette(7), Palette(0)), Palette(7))),
              0);
    EXPECT_EQ(Differences(Cell(image, 0, 1),
                          WithUnderline(Reference("b", Palette(7), Palette(0)), Palette(7))),
              0);
    ASSERT_TRUE(view->BlinkVisible());
    view->StepBlink();
    EXPECT_FALSE(view->BlinkVisible());
    image = Grab();
    // The blinking cell vanishes with its underline; the other stays.
    EXPECT_TRUE(AllOf(Cell(image, 0, 1), Palette(0)));
    EXPECT_EQ(Differences(Cell(image, 0, 2), Reference("E", Palette(7), Palette(0))), 0);
    view->StepBlink();
    EXPECT_GT(CountOf(Cell(Grab(), 0, 1), Palette(7)), 0);

    // Without BlinkText the phase stays visible.
    SetNumber(P::BlinkText, 0);
    view->StepBlink();
    EXPECT_TRUE(view->BlinkVisible());
    EXPECT_GT(CountOf(Cell(Grab(), 0, 1), Palette(7)), 0);
}

TEST_F(ViewTest, LineDrawingGlyphsAreStrokesOfAnEighthOfTheCellHeight) {
    for (int size : {9, 24}) {
        SCOPED_TRACE(size);
        Configure([&](SettingsStore& s) { s.SetNumber(P::FontSize, size); });
        if (!view) Open(QSize(1800, 1200));
        view->ChangeFontSize(size, true);
        Host("\x1b[H\x1b(0qxl\x1b(B" + std::to_string(size), "???" + std::to_string(size));
        const QImage image = Grab();
        const int pen = LineGlyphPenWidth(view->Font().height);
        EXPECT_EQ(pen, std::max(1, view->Font().height / 8));
        const QImage horizontal = Cell(image, 0, 0);
        EXPECT_EQ(RowsWith(horizontal, Palette(7)), pen);
        EXPECT_EQ(ColumnsWith(horizontal, Palette(7)), view->Font().width);
        const QImage vertical = Cell(image, 0, 1);
        EXPECT_EQ(ColumnsWith(vertical, Palette(7)), pen);
        EXPECT_EQ(RowsWith(vertical, Palette(7)), view->Font().height);
        // A corner reaches the right and the bottom edge, not the left or top.
        const QImage corner = Cell(image, 0, 2);
        const int cx = 127 * corner.width() / 255;
        const int cy = 127 * corner.height() / 255;
        EXPECT_EQ(corner.pixel(corner.width() - 1, cy), Palette(7).rgb());
        EXPECT_EQ(corner.pixel(cx, corner.height() - 1), Palette(7).rgb());
        EXPECT_EQ(corner.pixel(0, cy), Palette(0).rgb());
        EXPECT_EQ(corner.pixel(cx, 0), Palette(0).rgb());
    }
}

TEST_F(ViewTest, DoubleLineCharactersAndDoubleWidthCharacters) {
    Configure([](SettingsStore& s) {
        s.SetNumber(P::DBCS, 1);
        s.SetNumber(P::DBCSSet, 5);
    });
    Open();
    // U+2550 and U+2500 share the horizontal line; U+FFFD is double width.
    Host("\xE2\x95\x90\xE2\x94\x80\xEF\xBF\xBDw", "w");
    ASSERT_EQ(Attribute(0, 2).Class(), CharClass::DoubleWidth);
    const QImage image = Grab();
    EXPECT_EQ(Differences(Cell(image, 0, 0), Cell(image, 0, 1)), 0);
    EXPECT_GT(CountOf(Cell(image, 0, 0), Palette(7)), 0);
    EXPECT_EQ(Differences(Cell(image, 0, 2, 2),
                          Reference(QString(QChar(0xFFFD)), Palette(7), Palette(0), 2)),
              0);
    EXPECT_EQ(Differences(Cell(image, 0, 4), Reference("w", Palette(7), Palette(0))), 0);
}

TEST_F(ViewTest, SoftFontGlyphsStretchOverTheCell) {
    Open();
    // Glyph "!" fills the top half of an 8x12 cell, glyph "\"" its left half.
    Host("\x1bP1;1;1;8;0;2;12;0{ @~~~~~~~~/????????;~~~~/~~~~\x1b\\\x1b( @!\"\x1b(Bs", "!\"s");
    const QImage image = Grab();
    const QImage top = Cell(image, 0, 0);
    const int w = top.width();
    const int h = top.height();
    EXPECT_EQ(top.pixel(w / 2, h / 4), Palette(7).rgb());
    EXPECT_EQ(top.pixel(w / 2, h * 3 / 4), Palette(0).rgb());
    const QImage left = Cell(image, 0, 1);
    EXPECT_EQ(left.pixel(w / 4, h / 2), Palette(7).rgb());
    EXPECT_EQ(left.pixel(w * 3 / 4, h / 2), Palette(0).rgb());
    EXPECT_EQ(Differences(Cell(image, 0, 2), Reference("s", Palette(7), Palette(0))), 0);
}

TEST_F(ViewTest, DoubleSizeLinesStretchTheLeftHalf) {
    Open();
    Host("\x1b#6AB\r\n\x1b#3T\r\n\x1b#4T", "AB\nT\nT");
    const QImage image = Grab();
    const int w = view->Font().width;
    const int h = view->Font().height;
    const auto stretched = [&](const QString& text, int sourceTop, int sourceHeight) {
        return Reference(text, Palette(7), Palette(0))
            .copy(0, sourceTop, w, sourceHeight)
            .scaled(2 * w, h, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    };
    EXPECT_LE(Differences(Cell(image, 0, 0, 2), stretched("A", 0, h)), 2 * h);
    EXPECT_LE(Differences(Cell(image, 0, 2, 2), stretched("B", 0, h)), 2 * h);
    EXPECT_LE(Differences(Cell(image, 1, 0, 2), stretched("T", 0, h / 2)), 2 * h);
    EXPECT_LE(Differences(Cell(image, 2, 0, 2), stretched("T", h / 2, h - h / 2)), 2 * h);
    // The halves differ: the top half holds the bar of the T.
    EXPECT_GT(Differences(Cell(image, 1, 0, 2), Cell(image, 2, 0, 2)), w);
    // Columns 40-79 of a double-width row are not shown.
    EXPECT_GT(CountOf(Cell(image, 0, 0, 2), Palette(7)),
              CountOf(Reference("A", Palette(7), Palette(0)), Palette(7)));
}

TEST_F(ViewTest, CursorBlockUnderlineAndBlinkWhileFocused) {
    SetNumber(P::CursorBlink, 0);
    Open();
    Host("ab", "ab");
    QImage image = Grab();
    EXPECT_TRUE(AllOf(Cell(image, 0, 2), Palette(0))) << "no cursor without focus";

    Focus();
    image = Grab();
    // The block inverts the cell.
    EXPECT_TRUE(AllOf(Cell(image, 0, 2), QColor(Qt::white)));

    SetNumber(P::CursorType, 1);
    Host("c", "abc");
    const QImage underline = Cell(Grab(), 0, 3);
    EXPECT_EQ(RowsWith(underline, QColor(Qt::white)), 2);
    EXPECT_EQ(underline.pixel(0, underline.height() - 1), QColor(Qt::white).rgb());
    EXPECT_EQ(underline.pixel(0, underline.height() - 3), Palette(0).rgb());

    // CursorBlink: the cursor comes and goes, stepped by the test.
    SetNumber(P::CursorBlink, 1);
    ChangeSet cursorChange;
    cursorChange.cursor = true;
    view->ApplySettingsChanges(cursorChange);
    ASSERT_TRUE(view->CursorBlinkVisible());
    view->StepCursorBlink();
    EXPECT_TRUE(AllOf(Cell(Grab(), 0, 3), Palette(0)));
    view->StepCursorBlink();
    EXPECT_EQ(RowsWith(Cell(Grab(), 0, 3), QColor(Qt::white)), 2);

    // On a double-width line the cursor stands at twice the column's x.
    SetNumber(P::CursorType, 0);
    Host("\r\n\x1b#6de", "de");
    EXPECT_TRUE(AllOf(Cell(Grab(), 1, 4), QColor(Qt::white)));
}

TEST_F(ViewTest, MissingFaceFallsBackToTheSystemFixedFontAndKeepsItsName) {
    Configure([](SettingsStore& s) { s.SetString(P::FontName, "No Such Face Anywhere"); });
    Open();
    EXPECT_EQ(view->Font().font.family(),
              QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
    EXPECT_EQ(view->Font().face, "No Such Face Anywhere");
    {
        const SessionLock locked = session.Locked();
        EXPECT_EQ(locked.Settings().GetString(P::FontName), "No Such Face Anywhere");
    }
    Host("g", "g");
    EXPECT_EQ(Differences(Cell(Grab(), 0, 0), Reference("g", Palette(7), Palette(0))), 0);
}

TEST_F(ViewTest, ABlockThatChangesTwoRowsInvalidatesOnlyThatBand) {
    Open();
    Host("start", "start");
    Host("\x1b[6;1Hfive\r\nsix", "six");
    const int h = view->Font().height;
    EXPECT_EQ(view->LastUpdateRegion(), QRegion(QRect(0, 5 * h, view->viewport()->width(), 2 * h)));
}

} // namespace
} // namespace tamsivane::testing
