// A character set loaded by the host (DECDLD): up to 96 monochrome glyphs
// for codes 0x20-0x7F and the designation that selects it.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace tamsivane {

class SoftFont {
public:
    static constexpr int kMaxWidth = 16;  // pixels; wider glyphs are clipped
    static constexpr int kMaxHeight = 32; // pixels; taller glyphs are clipped
    static constexpr int kGlyphs = 96;

    struct Glyph {
        bool defined = false;
        // One 16-bit row mask per pixel row, bit 0 the leftmost pixel.
        std::array<uint16_t, kMaxHeight> rows{};
    };

    // What DECDLD's parameters say to the font.
    enum class Erase { All, LoadedOnly };
    struct LoadParameters {
        int start = 0;            // Pcn: the glyph position the first glyph goes to
        Erase erase = Erase::All; // Pe
        int cellHeight = 0;       // Pcmh: 0 takes the height from the first glyph
        bool is96 = false;        // Pcss: a 96-character set
    };

    void Clear();
    // data is the designation followed by the sixel glyphs.
    void Load(const LoadParameters& parameters, std::string_view data);

    // Whether a designation (final byte and collected intermediates) selects this font.
    bool Matches(uint8_t final, std::string_view intermediates) const {
        return final_ != 0 && final == final_ && IntermediatesAmong(intermediates);
    }

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Is96() const { return is96_; }
    // Glyph for a code 0x21-0x7D (0x20 and 0x7E only for 96-character fonts); nullptr for
    // other codes, glyphs never loaded, or when no font is designated.
    const Glyph* Lookup(uint16_t code) const;

private:
    bool IntermediatesAmong(std::string_view intermediates) const;
    void DrawGlyph(Glyph& glyph, std::string_view sixels) const;

    std::array<uint8_t, 15> intermediates_{};
    int intermediateCount_ = 0;
    uint8_t final_ = 0; // 0: no font designated
    int width_ = 0;
    int height_ = 0;
    bool is96_ = false;
    std::array<Glyph, kGlyphs> glyphs_{};
};

} // namespace tamsivane
