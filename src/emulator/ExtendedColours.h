// Colours beyond the sixteen of the palette, as SGR 38 and 48 name them (an
// index into the 256-colour set, or red, green and blue), brought down to
// the palette entry that looks nearest, so that a picture drawn in many
// colours keeps its shape in sixteen.
#pragma once

#include <cstdint>
#include <optional>

#include "emulator/SequenceCollector.h"

namespace tamsivane {

struct Rgb {
    int red = 0, green = 0, blue = 0;
};

// An extended colour read from an SGR parameter list: either one of the
// first sixteen indexes, which stand for the basic and bright colours, or a
// colour to approximate.
struct ExtendedColour {
    int basicIndex = -1; // 0-15, or -1 when rgb holds the colour
    Rgb rgb;
};

// Reads the colour after SGR 38 or 48 at parameter `at`, in the semicolon
// form (5;n or 2;r;g;b) or the colon form (:5:n, :2:r:g:b or :2:space:r:g:b).
// `next` becomes the first parameter after everything the colour consumed;
// nothing is returned for a truncated list, an unknown kind or a value out
// of range.
std::optional<ExtendedColour> ReadExtendedColour(const SequenceCollector& s, int at, int& next);

// The palette entry nearest to a colour; palette is 16 entries of red,
// green, blue and a spare byte.  The lowest index wins a tie.
int NearestPaletteColour(const uint8_t* palette, Rgb colour);

} // namespace tamsivane
