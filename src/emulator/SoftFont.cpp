#include "emulator/SoftFont.h"

#include <algorithm>

namespace tamsivane {

namespace {

constexpr int kSixelRows = 6;

bool IsSixel(char c) { return c >= 0x3F && c <= 0x7E; }
bool IsIntermediate(char c) { return c >= 0x20 && c <= 0x2F; }
bool IsFinal(char c) { return c >= 0x30 && c <= 0x7E; }

// The sixel data of the glyph that starts a string of glyphs.
std::string_view FirstGlyph(std::string_view glyphs) { return glyphs.substr(0, glyphs.find(';')); }

// Cell width: the sixel characters in the first row of bands.
int WidthFromFirstGlyph(std::string_view glyph) {
    const std::string_view firstBand = glyph.substr(0, glyph.find('/'));
    const auto sixels = std::count_if(firstBand.begin(), firstBand.end(), IsSixel);
    return static_cast<int>(std::min<std::ptrdiff_t>(sixels, SoftFont::kMaxWidth));
}

// Cell height for a font that does not name one: 12 pixels for one or two
// bands of sixels, 16 for three, six per band for more.
int HeightFromFirstGlyph(std::string_view glyph) {
    const auto bands = 1 + std::count(glyph.begin(), glyph.end(), '/');
    if (bands <= 2) return 12;
    if (bands == 3) return 16;
    return static_cast<int>(std::min<std::ptrdiff_t>(bands * kSixelRows, SoftFont::kMaxHeight));
}

} // namespace

void SoftFont::Clear() { *this = SoftFont{}; }

void SoftFont::Load(const LoadParameters& parameters, std::string_view data) {
    const int start = parameters.start;
    const int cellHeight = parameters.cellHeight;

    size_t pos = 0;
    std::array<uint8_t, 15> intermediates{};
    int count = 0;
    for (; pos < data.size() && IsIntermediate(data[pos]); ++pos) {
        if (count == static_cast<int>(intermediates.size())) return; // not a designation
        intermediates[count++] = static_cast<uint8_t>(data[pos]);
    }
    if (pos >= data.size() || !IsFinal(data[pos])) return;
    intermediates_ = intermediates;
    intermediateCount_ = count;
    final_ = static_cast<uint8_t>(data[pos++]);
    const std::string_view glyphs = data.substr(pos);

    is96_ = parameters.is96;
    if (parameters.erase == Erase::All) glyphs_.fill(Glyph{});
    width_ = WidthFromFirstGlyph(FirstGlyph(glyphs));
    height_ = cellHeight > 0 ? std::min(cellHeight, kMaxHeight)
                             : HeightFromFirstGlyph(FirstGlyph(glyphs));

    std::string_view rest = glyphs;
    for (int position = std::max(start, 0); position < kGlyphs; ++position) {
        const size_t end = rest.find(';');
        DrawGlyph(glyphs_[position], rest.substr(0, end));
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
}

// Pixels outside the cell are dropped; the band and column counters stop
// growing once they have left it, so no amount of data can overflow them.
void SoftFont::DrawGlyph(Glyph& glyph, std::string_view sixels) const {
    glyph = Glyph{};
    glyph.defined = true;
    int band = 0;
    int column = 0;
    for (char c : sixels) {
        if (c == '/') {
            band = std::min(band + 1, kMaxHeight);
            column = 0;
            continue;
        }
        if (!IsSixel(c)) continue;
        if (column < width_) {
            const int bits = c - 0x3F;
            for (int i = 0; i < kSixelRows; ++i) {
                const int row = band * kSixelRows + i;
                if ((bits >> i & 1) != 0 && row < height_) {
                    glyph.rows[row] = static_cast<uint16_t>(glyph.rows[row] | 1u << column);
                }
            }
        }
        column = std::min(column + 1, kMaxWidth);
    }
}

bool SoftFont::IntermediatesAmong(std::string_view intermediates) const {
    for (int i = 0; i < intermediateCount_; ++i) {
        if (intermediates.find(static_cast<char>(intermediates_[i])) == std::string_view::npos) {
            return false;
        }
    }
    return true;
}

const SoftFont::Glyph* SoftFont::Lookup(uint16_t code) const {
    const bool inRange =
        (code >= 0x21 && code <= 0x7D) || (is96_ && (code == 0x20 || code == 0x7E));
    if (final_ == 0 || !inRange) return nullptr;
    const Glyph& glyph = glyphs_[code - 0x20];
    return glyph.defined ? &glyph : nullptr;
}

} // namespace tamsivane
