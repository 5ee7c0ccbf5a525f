#include "emulator/ExtendedColours.h"

#include <algorithm>
#include <array>
#include <limits>

namespace tamsivane {

namespace {
constexpr int kPaletteSize = 16;
constexpr int kCubeFirst = 16;  // 6 x 6 x 6 colour cube
constexpr int kGreyFirst = 232; // 24 greys from 8 to 238
constexpr std::array<int, 6> kCubeLevels = {0, 95, 135, 175, 215, 255};

bool IsComponent(int value) { return value >= 0 && value <= 255; }

std::optional<ExtendedColour> FromIndex(int index) {
    if (index < 0 || index > 255) return std::nullopt;
    ExtendedColour colour;
    if (index < kPaletteSize) {
        colour.basicIndex = index;
    } else if (index < kGreyFirst) {
        const int cube = index - kCubeFirst;
        colour.rgb = {kCubeLevels[cube / 36], kCubeLevels[cube / 6 % 6], kCubeLevels[cube % 6]};
    } else {
        const int level = 8 + 10 * (index - kGreyFirst);
        colour.rgb = {level, level, level};
    }
    return colour;
}

std::optional<ExtendedColour> FromComponents(int red, int green, int blue) {
    if (!IsComponent(red) || !IsComponent(green) || !IsComponent(blue)) return std::nullopt;
    ExtendedColour colour;
    colour.rgb = {red, green, blue};
    return colour;
}
} // namespace

std::optional<ExtendedColour> ReadExtendedColour(const SequenceCollector& s, int at, int& next) {
    next = at + 1;
    const auto value = [&s](int i) { return s.Parameter(i, 0); };
    if (s.IsSubParameter(at + 1)) {
        // Colon form: the sub-parameters are the colour's, however many.
        int end = at + 1;
        while (s.IsSubParameter(end)) ++end;
        next = end;
        const int kind = value(at + 1);
        const int given = end - at - 2; // values after the kind
        if (kind == 5 && given >= 1) return FromIndex(value(at + 2));
        // Four values carry a colour-space identifier before the components.
        if (kind == 2 && given >= 3) {
            const int red = at + 2 + (given >= 4 ? 1 : 0);
            return FromComponents(value(red), value(red + 1), value(red + 2));
        }
        return std::nullopt;
    }
    if (at + 1 >= s.Count()) return std::nullopt;
    const int kind = value(at + 1);
    if (kind == 5) {
        next = std::min(at + 3, s.Count());
        if (at + 2 >= s.Count()) return std::nullopt;
        return FromIndex(value(at + 2));
    }
    if (kind == 2) {
        next = std::min(at + 5, s.Count());
        if (at + 4 >= s.Count()) return std::nullopt;
        return FromComponents(value(at + 2), value(at + 3), value(at + 4));
    }
    return std::nullopt;
}

int NearestPaletteColour(const uint8_t* palette, Rgb colour) {
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (int i = 0; i < kPaletteSize; ++i) {
        const uint8_t* entry = palette + 4 * i;
        const int dr = entry[0] - colour.red, dg = entry[1] - colour.green, db = entry[2] - colour.blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace tamsivane
