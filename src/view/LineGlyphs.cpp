#include "view/LineGlyphs.h"

#include <QPainter>
#include <algorithm>
#include <array>

namespace tamsivane {

namespace {

struct GlyphCode {
    uint16_t code;
    uint8_t glyph;
};

// Sorted by code.
constexpr std::array<GlyphCode, 44> kGlyphCodes = {{
    {0x23BA, 12}, {0x23BB, 13}, {0x23BC, 14}, {0x23BD, 15}, {0x2500, 11}, {0x2502, 1},
    {0x250C, 2},  {0x2510, 4},  {0x2514, 3},  {0x2518, 5},  {0x251C, 7},  {0x2524, 8},
    {0x252C, 9},  {0x2534, 10}, {0x253C, 6},  {0x2550, 11}, {0x2551, 1},  {0x2552, 2},
    {0x2553, 2},  {0x2554, 2},  {0x2555, 4},  {0x2556, 4},  {0x2557, 4},  {0x2558, 3},
    {0x2559, 3},  {0x255A, 3},  {0x255B, 5},  {0x255C, 5},  {0x255D, 5},  {0x255E, 7},
    {0x255F, 7},  {0x2560, 7},  {0x2561, 8},  {0x2562, 8},  {0x2563, 8},  {0x2564, 9},
    {0x2565, 9},  {0x2566, 9},  {0x2567, 10}, {0x2568, 10}, {0x2569, 10}, {0x256A, 6},
    {0x256B, 6},  {0x256C, 6},
}};

// Strokes on a 0-255 square, 127 the centre; at most two per glyph.
struct Stroke {
    uint8_t x1, y1, x2, y2;
};
struct GlyphStrokes {
    int count;
    Stroke strokes[2];
};
constexpr std::array<GlyphStrokes, kLineGlyphCount> kGlyphStrokes = {{
    {0, {}},
    {1, {{127, 0, 127, 255}}},
    {2, {{127, 127, 127, 255}, {127, 127, 255, 127}}},
    {2, {{127, 127, 127, 0}, {127, 127, 255, 127}}},
    {2, {{127, 127, 0, 127}, {127, 127, 127, 255}}},
    {2, {{127, 127, 127, 0}, {127, 127, 0, 127}}},
    {2, {{0, 127, 255, 127}, {127, 0, 127, 255}}},
    {2, {{127, 0, 127, 255}, {127, 127, 255, 127}}},
    {2, {{127, 0, 127, 255}, {127, 127, 0, 127}}},
    {2, {{0, 127, 255, 127}, {127, 127, 127, 255}}},
    {2, {{0, 127, 255, 127}, {127, 127, 127, 0}}},
    {1, {{0, 127, 255, 127}}},
    {1, {{0, 16, 255, 16}}},
    {1, {{0, 73, 255, 73}}},
    {1, {{0, 182, 255, 182}}},
    {1, {{0, 239, 255, 239}}},
}};

static_assert(std::is_sorted(kGlyphCodes.begin(), kGlyphCodes.end(),
                             [](const GlyphCode& a, const GlyphCode& b) {
                                 return a.code < b.code;
                             }));

} // namespace

int LineGlyphNumber(uint16_t code) {
    const auto it =
        std::lower_bound(kGlyphCodes.begin(), kGlyphCodes.end(), code,
                         [](const GlyphCode& entry, uint16_t c) { return entry.code < c; });
    return it != kGlyphCodes.end() && it->code == code ? it->glyph : 0;
}

int LineGlyphPenWidth(int cellHeight) { return std::max(1, cellHeight / 8); }

const QBitmap& LineGlyphCache::Strip(int cellWidth, int cellHeight) {
    const auto key = std::make_pair(cellWidth, cellHeight);
    const auto found = strips_.find(key);
    if (found != strips_.end()) return found->second;

    QBitmap strip(kLineGlyphCount * cellWidth, cellHeight);
    strip.fill(Qt::color0);
    QPainter painter(&strip);
    painter.setPen(QPen(Qt::color1, LineGlyphPenWidth(cellHeight), Qt::SolidLine, Qt::FlatCap));
    for (int glyph = 0; glyph < kLineGlyphCount; ++glyph) {
        const GlyphStrokes& shape = kGlyphStrokes[glyph];
        const int left = glyph * cellWidth;
        for (int i = 0; i < shape.count; ++i) {
            const Stroke& s = shape.strokes[i];
            painter.drawLine(left + s.x1 * cellWidth / 255, s.y1 * cellHeight / 255,
                             left + s.x2 * cellWidth / 255, s.y2 * cellHeight / 255);
        }
    }
    painter.end();
    return strips_.emplace(key, std::move(strip)).first->second;
}

} // namespace tamsivane
