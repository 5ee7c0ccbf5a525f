// The characters of display lines as text.  Dumps, printing, copying and
// scripts all read cells through these, so a double-width character, an
// empty cell or a character beyond one byte reads the same everywhere.
#pragma once

#include <string>

namespace tamsivane {

class VtEmulator;
struct DisplayLine;

// Cells first..last (clipped to the line) as UTF-16: the right half of a
// double-width character is left out, since its left half stands for both;
// any other 0 code reads as a blank.  Empty for a line without cells.
std::u16string LineText(const DisplayLine& line, int first, int last);

// The first `columns` cells as UTF-8, surrogate pairs joined and a lone
// surrogate as U+FFFD, trailing blanks removed.
std::string DisplayLineText(const DisplayLine& line, int columns);

// The columns the emulator shows, within the cells a line holds.
int ShownColumns(const VtEmulator& emulator);

// The displayed page as UTF-8, one line per row, each ending in "\n".
std::string TextDump(const VtEmulator& emulator);

} // namespace tamsivane
