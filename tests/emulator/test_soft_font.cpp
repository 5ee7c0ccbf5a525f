#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "emulator/SoftFont.h"

namespace tamsivane {
namespace {

TEST(SoftFontTest, LoadsDesignationAndSixelGlyphs) {
    SoftFont font;
    font.Load({.start = 1}, " @~~~~~~~~/~~~~~~~~;@?B");
    EXPECT_TRUE(font.Matches('@', "( "));
    EXPECT_FALSE(font.Matches('@', "("));
    EXPECT_FALSE(font.Matches('A', " "));
    EXPECT_EQ(font.Width(), 8);
    EXPECT_EQ(font.Height(), 12); // two bands
    EXPECT_FALSE(font.Is96());

    const SoftFont::Glyph* full = font.Lookup(0x21);
    ASSERT_NE(full, nullptr);
    for (int row = 0; row < 12; ++row) EXPECT_EQ(full->rows[row], 0xFF) << row;
    EXPECT_EQ(full->rows[12], 0);

    const SoftFont::Glyph* dots = font.Lookup(0x22);
    ASSERT_NE(dots, nullptr);
    // "@" (1): the top pixel of column 0; "B" (3): rows 0 and 1 of column 2.
    EXPECT_EQ(dots->rows[0], 0b101);
    EXPECT_EQ(dots->rows[1], 0b100);
    EXPECT_EQ(font.Lookup(0x23), nullptr);
}

TEST(SoftFontTest, CellHeightFromBandsOrParameter) {
    const struct {
        const char* glyph;
        int height;
        int expected;
    } cases[] = {
        {"~", 0, 12},  {"~/~/~", 0, 16}, {"~/~/~/~", 0, 24}, {"~/~/~/~/~/~/~", 0, 32},
        {"~", 20, 20}, {"~", 1000, 32},
    };
    for (const auto& c : cases) {
        SoftFont font;
        font.Load({.start = 1, .cellHeight = c.height}, std::string("B") + c.glyph);
        EXPECT_EQ(font.Height(), c.expected) << c.glyph;
    }
}

TEST(SoftFontTest, EraseControl) {
    SoftFont font;
    font.Load({.start = 1}, "B~");
    font.Load({.start = 2, .erase = SoftFont::Erase::LoadedOnly}, "B~");
    EXPECT_NE(font.Lookup(0x21), nullptr);
    EXPECT_NE(font.Lookup(0x22), nullptr);
    font.Load({.start = 3, .erase = SoftFont::Erase::All}, "B~");
    EXPECT_EQ(font.Lookup(0x21), nullptr);
    font.Load({.start = 4, .erase = SoftFont::Erase::All}, "B~");
    EXPECT_EQ(font.Lookup(0x23), nullptr);
    EXPECT_NE(font.Lookup(0x24), nullptr);
}

TEST(SoftFontTest, CodeRangeDependsOnSetSize) {
    SoftFont font;
    std::string data = "B";
    for (int i = 0; i < 96; ++i) data += (i ? ";~" : "~");
    font.Load({.start = 0}, data);
    EXPECT_EQ(font.Lookup(0x20), nullptr);
    EXPECT_NE(font.Lookup(0x21), nullptr);
    EXPECT_NE(font.Lookup(0x7D), nullptr);
    EXPECT_EQ(font.Lookup(0x7E), nullptr);
    EXPECT_EQ(font.Lookup(0x7F), nullptr);
    font.Load({.start = 0, .is96 = true}, data);
    EXPECT_TRUE(font.Is96());
    EXPECT_NE(font.Lookup(0x20), nullptr);
    EXPECT_NE(font.Lookup(0x7E), nullptr);
    EXPECT_EQ(font.Lookup(0x7F), nullptr);
    EXPECT_EQ(font.Lookup(0x1F), nullptr);
    EXPECT_EQ(font.Lookup(0xEF41), nullptr);
}

TEST(SoftFontTest, GlyphsAreClippedToTheCell) {
    SoftFont font;
    // The first glyph sets the width (20 sixels, clipped to 16); the second is
    // wider still and seven bands tall in a cell of 10 rows.
    font.Load({.start = 1, .cellHeight = 10},
         "B" + std::string(20, '~') + ";" + std::string(40, '~') + "/~/~/~/~/~/~");
    EXPECT_EQ(font.Width(), SoftFont::kMaxWidth);
    const SoftFont::Glyph* glyph = font.Lookup(0x22);
    ASSERT_NE(glyph, nullptr);
    EXPECT_EQ(glyph->rows[5], 0xFFFF);
    EXPECT_EQ(glyph->rows[9], 1);
    EXPECT_EQ(glyph->rows[10], 0);
    EXPECT_EQ(glyph->rows[SoftFont::kMaxHeight - 1], 0);

    font.Load({.start = 1}, "B??;~~~~");
    EXPECT_EQ(font.Width(), 2);
    EXPECT_EQ(font.Lookup(0x22)->rows[0], 0b11);
}

TEST(SoftFontTest, PositionsOutsideTheStoreAreIgnored) {
    SoftFont font;
    font.Load({.start = 94, .is96 = true}, "B~;~;~;~");
    EXPECT_NE(font.Lookup(0x7E), nullptr); // position 94
    font.Load({.start = INT_MAX}, "B~;~");
    EXPECT_TRUE(font.Matches('B', ""));
    EXPECT_EQ(font.Lookup(0x21), nullptr);
    font.Load({.start = -5, .is96 = true}, "B~");
    EXPECT_NE(font.Lookup(0x20), nullptr); // negative start counts as position 0
    // Endless bands and columns stay inside the glyph.
    font.Load({.start = 1}, "B" + std::string(5000, '/') + std::string(5000, '~'));
    EXPECT_EQ(font.Height(), SoftFont::kMaxHeight);
}

TEST(SoftFontTest, MalformedDesignationLeavesTheFontAlone) {
    SoftFont font;
    font.Load({.start = 1}, " B~");
    font.Load({.start = 1}, std::string(16, ' ') + "C~");
    font.Load({.start = 1}, "  ");
    font.Load({.start = 1}, "");
    EXPECT_TRUE(font.Matches('B', " "));
    EXPECT_NE(font.Lookup(0x21), nullptr);
    font.Clear();
    EXPECT_FALSE(font.Matches('B', " "));
    EXPECT_EQ(font.Lookup(0x21), nullptr);
}

} // namespace
} // namespace tamsivane
