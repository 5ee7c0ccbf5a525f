// What a cell's 16-bit attribute word says: bold, underline, blink, inverse
// and protection in bits 0-4, the character class in bits 5-6, the foreground
// colour in bits 8-11 and the background colour in bits 12-15 (indexes into
// the session's palette).  The screen stores plain words in flat arrays; this
// value type reads and changes one without a cost on the receive path.
//
// It lives beside the settings because the colour map is indexed by the
// word's low four bits; the emulator, the dump and the view use it too.
#pragma once

#include <cstdint>

namespace tamsivane {

enum class CharClass : uint8_t { Ordinary = 0, LineDrawing = 1, SoftFont = 2, DoubleWidth = 3 };

class CellAttribute {
public:
    // Flag bits; several combine into a mask with |.
    enum Flag : uint16_t {
        Bold = 0x0001,
        Underline = 0x0002,
        Blink = 0x0004,
        Inverse = 0x0008,
        Protected = 0x0010,
    };
    // The flags that pick a colour-map entry (bold, underline, blink, inverse).
    static constexpr uint16_t kRenditionFlags = Bold | Underline | Blink | Inverse;
    static constexpr int kColours = 16;

    // The blank cell's attribute: white (7) on black (0), no flags.
    constexpr CellAttribute() = default;
    static constexpr CellAttribute FromWord(uint16_t word) { return CellAttribute(word); }
    // Flags only, colour 0 on 0: what a mask of renditions is built from.
    static constexpr CellAttribute Empty() { return CellAttribute(0); }

    constexpr uint16_t Word() const { return word_; }
    constexpr bool operator==(const CellAttribute&) const = default;

    constexpr bool Has(uint16_t flags) const { return (word_ & flags) != 0; }
    constexpr CellAttribute With(uint16_t flags) const { return CellAttribute(word_ | flags); }
    constexpr CellAttribute Without(uint16_t flags) const {
        return CellAttribute(static_cast<uint16_t>(word_ & ~flags));
    }
    // Bits 0-3 as a colour-map index 0-15.
    constexpr int ColourMapIndex() const { return word_ & kRenditionFlags; }
    constexpr uint16_t RenditionFlags() const { return word_ & kRenditionFlags; }

    constexpr CharClass Class() const {
        return static_cast<CharClass>((word_ & kClassMask) >> kClassShift);
    }
    constexpr CellAttribute WithClass(CharClass cls) const {
        return CellAttribute(static_cast<uint16_t>((word_ & ~kClassMask) |
                                                   (static_cast<uint16_t>(cls) << kClassShift)));
    }

    constexpr int Foreground() const { return (word_ & kForegroundMask) >> kForegroundShift; }
    constexpr int Background() const { return (word_ & kBackgroundMask) >> kBackgroundShift; }
    // Colours are taken modulo 16.
    constexpr CellAttribute WithForeground(int colour) const {
        return CellAttribute(static_cast<uint16_t>((word_ & ~kForegroundMask) |
                                                   ((colour & 0x0F) << kForegroundShift)));
    }
    constexpr CellAttribute WithBackground(int colour) const {
        return CellAttribute(static_cast<uint16_t>((word_ & ~kBackgroundMask) |
                                                   ((colour & 0x0F) << kBackgroundShift)));
    }
    // Foreground and background exchanged; the flags stay.
    constexpr CellAttribute ColoursExchanged() const {
        return WithForeground(Background()).WithBackground(Foreground());
    }
    // This cell's protection and character class with everything else from style.
    constexpr CellAttribute Restyled(CellAttribute style) const {
        constexpr uint16_t kKept = Protected | kClassMask;
        return CellAttribute(static_cast<uint16_t>((word_ & kKept) | (style.word_ & ~kKept)));
    }

private:
    static constexpr uint16_t kNormalWord = 0x0700;
    static constexpr uint16_t kClassMask = 0x0060;
    static constexpr int kClassShift = 5;
    static constexpr uint16_t kForegroundMask = 0x0F00;
    static constexpr int kForegroundShift = 8;
    static constexpr uint16_t kBackgroundMask = 0xF000;
    static constexpr int kBackgroundShift = 12;

    constexpr explicit CellAttribute(uint16_t word) : word_(word) {}

    uint16_t word_ = kNormalWord;
};

static_assert(sizeof(CellAttribute) == sizeof(uint16_t));

} // namespace tamsivane
