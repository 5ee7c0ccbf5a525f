// The 16 line-drawing glyphs, drawn as strokes so that box lines meet across
// cells whatever the font.
#pragma once

#include <QBitmap>
#include <cstdint>
#include <map>
#include <utility>

namespace tamsivane {

inline constexpr int kLineGlyphCount = 16;

// Glyph 0-15 for a box-drawing character; 0 (empty) for any other code.
// The double-line characters share the single-line glyph of their shape.
int LineGlyphNumber(uint16_t code);

// Stroke width for a cell height: an eighth of it, at least one pixel.
int LineGlyphPenWidth(int cellHeight);

// The glyphs side by side, one cell each, rendered once per cell size; set
// bits are the strokes.
class LineGlyphCache {
public:
    const QBitmap& Strip(int cellWidth, int cellHeight);

private:
    std::map<std::pair<int, int>, QBitmap> strips_;
};

} // namespace tamsivane
