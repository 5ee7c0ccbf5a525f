// A keyboard-layout plug-in for the tests: one layout, "Test Layout", with
// three keys (Q, W and E) and a picture file named by the build.  Built a
// second time without GetKeyName, as a plug-in that must be ignored.
#include <cstring>

#include "keyboard/LayoutPlugin.h"

namespace {

struct TestKey {
    unsigned char key;
    int x, y, width, height;
    const char* name;
};

constexpr TestKey kKeys[] = {
    {0x51, 10, 10, 40, 30, "Key Q"},
    {0x57, 60, 10, 40, 30, "Key W"},
    {0x45, 110, 10, 40, 30, "Key E"},
};

const TestKey* Find(unsigned char key) {
    for (const TestKey& k : kKeys) {
        if (k.key == key) return &k;
    }
    return nullptr;
}

} // namespace

extern "C" {

int KBCount(void) { return 1; }

const char* GetLayoutName(int layout) { return layout == 0 ? "Test Layout" : nullptr; }

const char* GetLayoutBmp(int) { return "test-layout.png"; }

int GetKeyPos(int, unsigned char key, int* x, int* y, int* width, int* height) {
    const TestKey* k = Find(key);
    if (!k) return 0;
    *x = k->x;
    *y = k->y;
    *width = k->width;
    *height = k->height;
    return 1;
}

unsigned char GetKeyFromPos(int, int x, int y) {
    for (const TestKey& k : kKeys) {
        if (x >= k.x && y >= k.y && x - k.x <= k.width && y - k.y <= k.height) return k.key;
    }
    return 0;
}

// Q may be mapped only without modifiers.
int IsKeyMappable(int, unsigned char key, int modifiers) {
    return Find(key) != nullptr && (key != 0x51 || modifiers == 0);
}

#ifndef LAYOUT_PLUGIN_WITHOUT_KEY_NAME
const char* GetKeyName(int, unsigned char key) {
    const TestKey* k = Find(key);
    return k ? k->name : "";
}
#endif
}
