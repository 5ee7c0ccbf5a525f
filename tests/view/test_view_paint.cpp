// Painting checked by pixels at chosen cells: glyph cells against the same
// text drawn by QPainter, colours against the session's palette.
#include "ViewFixture.h"

namespace tamsivane::testing {
namespace {

TEST_F(ViewTest, PlainTextUsesPaletteColoursInItsCell) {
    Open();
    Host("Hx\x1b[31;44mZ", "HxZ");
    const QImage image = Grab();
    EXPECT_EQ(Differences(Cell(image, 0, 0), Reference("H", Palette(7), Palette(0))), 0);
    const uint16_t coloured = Attribute(0, 2);
    EXPECT_NE(Fore(coloured), Palette(7));
    EXPECT_NE(Back(coloured), Palette(0));
    EXPECT_EQ(Differences(Cell(image, 0, 2), Reference("Z", Fore(coloured), Back(coloured))), 0);
}

} // namespace
} // namespace tamsivane::testing
