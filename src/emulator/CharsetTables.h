// Fixed data of the character sets: the rows of the character-set list and
// the national replacement sets.  Used by the translator only.
#pragma once

#include <cstdint>

namespace tamsivane::charset_tables {

struct CharsetRow {
    const char* name;
    bool mayStandInGr;     // may be used in GR when encoding a character for sending
    uint8_t firstCode;     // 0x20: covers positions 0x20-0x7F; 0x00: all 128 positions
    const uint16_t* table; // 128 - firstCode entries; nullptr for ASCII and Latin-1
};

// Row of a set index 0..Charset::Count-1 (the caller checks the range).
const CharsetRow& Row(int index);

// The 12 codes a national set replaces, in table order.
inline constexpr char kNationalCodes[12] = {'#', '@', '[', '\\', ']', '^',
                                            '_', '`', '{', '|',  '}', '~'};
// The 12 replacements of national set nrc (1-14), in the order of kNationalCodes.
const char16_t* NationalReplacements(int nrc);

} // namespace tamsivane::charset_tables
