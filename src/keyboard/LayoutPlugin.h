// The interface of the optional keyboard-layout plug-in: a shared library
// exporting these seven C functions.  Layout indexes run from 0 to
// KBCount() - 1; texts are NUL-terminated UTF-8 owned by the library and
// valid while it is loaded.
#pragma once

extern "C" {
// How many layouts the library holds.
int KBCount(void);
// A layout's name, as the "Layout:" list shows it.
const char* GetLayoutName(int layout);
// The path of the layout's 480 x 130 PNG picture, absolute or relative to
// the library's folder.
const char* GetLayoutBmp(int layout);
// The rectangle of a PC key in the picture; non-zero when the layout has it.
int GetKeyPos(int layout, unsigned char key, int* x, int* y, int* width, int* height);
// The PC key at a point of the picture; 0 for none.
unsigned char GetKeyFromPos(int layout, int x, int y);
// Non-zero when the key may be mapped with the modifier state (bit 0 Alt,
// bit 1 Ctrl, bit 2 Shift).
int IsKeyMappable(int layout, unsigned char key, int modifiers);
// A PC key's name.
const char* GetKeyName(int layout, unsigned char key);
}
