// The cell font's rules, fitting, scroll bars, scrolling and the commands the
// view carries out.
#include <QFontDatabase>
#include <QScrollBar>
#include <QWheelEvent>

#include "ViewFixture.h"
#include "keyboard/CommandIds.h"

namespace tamsivane::testing {
namespace {

int Setting(CVT420Doc& session, int param) {
    const SessionLock locked = session.Locked();
    return locked.Settings().GetNumber(param);
}

TEST(CellFontTest, SizesAreClampedAndCellsNeverEmpty) {
    EnsureApplication();
    const CellFont tiny = MakeCellFont("DejaVu Sans Mono", -40, false, 96);
    EXPECT_EQ(tiny.points, 1);
    EXPECT_GE(tiny.width, 1);
    EXPECT_GE(tiny.height, 1);
    const CellFont huge = MakeCellFont("DejaVu Sans Mono", 100000, false, 96);
    EXPECT_EQ(huge.points, 144);
    EXPECT_LE(huge.height, 96 * 144 / 72);
    // The height asked for is the whole cell.
    const CellFont twelve = MakeCellFont("DejaVu Sans Mono", 9, false, 96);
    EXPECT_LE(twelve.height, 12);
    EXPECT_GE(twelve.height, 10);
    EXPECT_EQ(FitFontSize("DejaVu Sans Mono", false, 96, 80, 24, 0, 500), 0);
    EXPECT_EQ(FitFontSize("DejaVu Sans Mono", false, 96, 132, 24, 200, 500), 5);
}

// The layout rules hold for any fixed-pitch face: faces differ in width and
// in how their sizes round to pixels.  Each installed face takes its turn.
class FaceLayoutTest : public ViewTest, public ::testing::WithParamInterface<const char*> {
protected:
    void SetUp() override {
        if (!QFontDatabase::hasFamily(GetParam())) GTEST_SKIP() << GetParam() << " is not installed";
        UseFace(GetParam());
    }
    int FontSize() { return Setting(session, P::FontSize); }
};

TEST_P(FaceLayoutTest, FitFontFillsTheWindowAnd132ColumnsUseTheirOwnSize) {
    SetNumber(P::FontUse80, 0);
    Open(QSize(1000, 600));
    EXPECT_EQ(view->Font().font.family(), GetParam());
    const int size80 = FontSize();
    EXPECT_LE(view->Font().width * 80, view->viewport()->width());
    EXPECT_LE(view->Font().height * 24, view->viewport()->height());
    EXPECT_GT(size80, 9) << "fitted to the larger window";
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
    EXPECT_FALSE(view->verticalScrollBar()->isVisible());

    Host("\x1b[?3hW", "W");
    EXPECT_EQ(FontSize(), size80);
    const int size132 = Setting(session, P::FontSize132);
    EXPECT_LT(size132, size80);
    EXPECT_GE(size132, 6);
    EXPECT_LE(view->Font().width * 132, view->viewport()->width());
    EXPECT_FALSE(view->horizontalScrollBar()->isVisible());
    EXPECT_EQ(Differences(Cell(Grab(), 0, 0), Reference("W", Palette(7), Palette(0))), 0);

    // Too narrow even for 5 points of this face: 5, and a horizontal bar.
    const int frame = view->width() - view->viewport()->width();
    const int narrow = MakeCellFont(GetParam(), 5, false, view->logicalDpiY()).width * 132 - 1;
    view->resize(narrow + frame, 600);
    QCoreApplication::processEvents();
    EXPECT_EQ(Setting(session, P::FontSize132), 5);
    EXPECT_TRUE(view->horizontalScrollBar()->isVisible());
}

TEST_P(FaceLayoutTest, LargerAndSmallerFontChangeTheCellWithinSixToThirtyTwo) {
    SetNumber(P::FontSize, 6);
    SetNumber(P::FitFont, 1);
    SetNumber(P::FontUse80, 0);
    Open();
    // Every step shows a different cell; only the step onto the bound may
    // not, when the bound rounds to the height of the size before it.
    const auto sign = [](int value) { return (value > 0) - (value < 0); };
    for (const auto& [command, direction, bound] :
         {std::tuple{Command::LargerFont, 1, 32}, std::tuple{Command::SmallerFont, -1, 6}}) {
        SCOPED_TRACE(command);
        for (int steps = 0; view->IsCommandEnabled(command); ++steps) {
            ASSERT_LT(steps, 26);
            const int size = FontSize();
            const int height = view->Font().height;
            EXPECT_TRUE(view->HandleCommand(command));
            EXPECT_EQ(Setting(session, P::FitFont), 0);
            EXPECT_EQ(sign(FontSize() - size), direction) << size;
            if (FontSize() != bound) {
                EXPECT_EQ(sign(view->Font().height - height), direction) << size;
            }
        }
        EXPECT_EQ(FontSize(), bound);
    }
    EXPECT_TRUE(view->IsCommandEnabled(Command::LargerFont));

    // In 132 columns the commands change the 132-column size, but their
    // enabling still follows FontSize.
    SetNumber(P::FontSize, 20);
    SetNumber(P::FontSize132, 32);
    Host("\x1b[?3hX", "X");
    const int height = view->Font().height;
    EXPECT_TRUE(view->IsCommandEnabled(Command::LargerFont));
    view->HandleCommand(Command::LargerFont);
    EXPECT_EQ(Setting(session, P::FontSize132), 32);
    view->HandleCommand(Command::SmallerFont);
    EXPECT_LT(Setting(session, P::FontSize132), 32);
    EXPECT_LT(view->Font().height, height);
    EXPECT_EQ(FontSize(), 20);
    EXPECT_FALSE(view->HandleCommand(Command::Exit));
}

INSTANTIATE_TEST_SUITE_P(Faces, FaceLayoutTest,
                         ::testing::Values("DejaVu Sans Mono", "Noto Sans Mono", "Liberation Mono"),
                         [](const auto& info) {
                             std::string name = info.param;
                             std::erase(name, ' ');
                             return name;
                         });

TEST_F(ViewTest, LargerFontKeepsFitFontWhereTheWindowFollowsAndSaysSoWhereNot) {
    SetNumber(P::FontSize, 10);
    Open();
    const int fitted = Setting(session, P::FontSize);
    host.canFit = true;
    EXPECT_TRUE(view->HandleCommand(Command::LargerFont));
    EXPECT_EQ(host.fits, 1);
    EXPECT_EQ(Setting(session, P::FitFont), 1);
    EXPECT_GT(Setting(session, P::FontSize), fitted);
    EXPECT_TRUE(host.notes.empty());
    // The page at this font is what the window is asked to show.
    EXPECT_EQ(view->sizeHint().width(), view->Font().width * 80);

    host.canFit = false;
    EXPECT_TRUE(view->HandleCommand(Command::SmallerFont));
    EXPECT_EQ(Setting(session, P::FitFont), 0);
    ASSERT_EQ(host.notes.size(), 1u);
    EXPECT_TRUE(host.notes[0].startsWith("Fit font size to window is off")) << host.notes[0].toStdString();
}

TEST_F(ViewTest, ScrollingHistoryCommandsWheelAndReturnToTheLivePage) {
    Open(QSize(900, 500));
    std::string lines;
    for (int i = 0; i < 60; ++i) lines += "line " + std::to_string(i) + "\r\n";
    Host(lines + "end", "end");
    const int history = History();
    ASSERT_GT(history, 0);
    EXPECT_EQ(view->VerticalPosition(), history);
    EXPECT_TRUE(view->verticalScrollBar()->isVisible());

    EXPECT_TRUE(view->HandleCommand(Command::ScrollToTop));
    EXPECT_EQ(view->VerticalPosition(), 0);
    // The oldest history line is drawn at the top.
    EXPECT_EQ(Differences(Cell(Grab(), -history, 0), Reference("l", Palette(7), Palette(0))), 0);
    view->HandleCommand(Command::ScrollPageDown);
    const int page = view->VerticalPosition();
    EXPECT_EQ(page, view->viewport()->height() / view->Font().height - 1);
    view->HandleCommand(Command::ScrollPageUp);
    EXPECT_EQ(view->VerticalPosition(), 0);

    QWheelEvent down(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -240), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &down);
    // Each notch scrolls as many lines as the desktop says (three unless set).
    const int step = QApplication::wheelScrollLines();
    EXPECT_EQ(view->VerticalPosition(), 2 * step);
    QWheelEvent half(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 60), Qt::NoButton,
                     Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &half);
    EXPECT_EQ(view->VerticalPosition(), 2 * step);
    QApplication::sendEvent(view->viewport(), &half);
    EXPECT_EQ(view->VerticalPosition(), step);

    view->HandleCommand(Command::ScrollToBottom);
    EXPECT_EQ(view->VerticalPosition(), view->verticalScrollBar()->maximum());
    view->HandleCommand(Command::ScrollToTop);
    // Output that moves the cursor returns the view to the live page.
    Host("more", "endmore");
    EXPECT_EQ(view->VerticalPosition(), History());
}

TEST_F(ViewTest, HorizontalThumbScrollsWhenReleased) {
    SetNumber(P::FitFont, 0);
    SetNumber(P::FontSize, 12);
    Open(QSize(400, 500));
    QScrollBar* bar = view->horizontalScrollBar();
    ASSERT_TRUE(bar->isVisible());
    ASSERT_GT(bar->maximum(), 5);
    bar->setSliderDown(true);
    bar->setSliderPosition(5);
    EXPECT_EQ(view->HorizontalPosition(), 0);
    bar->setSliderDown(false);
    EXPECT_EQ(view->HorizontalPosition(), 5);

    // The cursor far right brings its column into view.
    Host("\x1b[1;80Hz", "z");
    EXPECT_GE(79, view->HorizontalPosition());
    EXPECT_LT(79, view->HorizontalPosition() + view->viewport()->width() / view->Font().width);
}

TEST_F(ViewTest, ProfileHidesBarsAndTheMenu) {
    host.profile.SetInt("Window", "vertscroll", 0);
    host.profile.SetInt("Window", "menu", 0);
    Open();
    EXPECT_TRUE(host.menuHidden);
    std::string lines;
    for (int i = 0; i < 40; ++i) lines += "row\r\n";
    Host(lines + "last", "last");
    EXPECT_FALSE(view->verticalScrollBar()->isVisible());
    // The hidden bar still keeps the live page in view.
    EXPECT_EQ(view->VerticalPosition(), History());
}

TEST_F(ViewTest, HoldScreenTogglesTheTransportsHold) {
    Open();
    EXPECT_FALSE(view->IsCommandChecked(Command::HoldScreen));
    EXPECT_TRUE(view->HandleCommand(Command::HoldScreen));
    EXPECT_TRUE(session.IsHeld());
    EXPECT_TRUE(view->IsCommandChecked(Command::HoldScreen));
    view->HandleCommand(Command::HoldScreen);
    EXPECT_FALSE(session.IsHeld());
}

} // namespace
} // namespace tamsivane::testing
