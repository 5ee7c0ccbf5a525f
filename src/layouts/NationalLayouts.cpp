// The keyboard-layout plug-in shipped with the program: national layouts on
// the built-in 101-key picture.  The desktop program takes a key's PC key
// code from the character it types, so a layout moves the codes whose
// characters sit on other keys and leaves empty the keys whose characters
// have no code of their own (they cannot be mapped).  No pictures: the key
// map page draws the outlines.
#include <cstdint>
#include <span>
#include <vector>

#include "keyboard/KeyPositions.h"
#include "keyboard/LayoutPlugin.h"
#include "keyboard/PcKeys.h"

namespace {

using tamsivane::KeyRect;

// The key at the place of a U.S. key; code 0 leaves the place empty.
struct KeyChange {
    uint8_t usKey;
    uint8_t key;
    const char* name;
};

// A key the U.S. picture lacks: the place of a U.S. key is narrowed to its
// left part, and the key takes what remains on the right.
struct AddedKey {
    uint8_t narrowedKey;
    int16_t narrowedWidth;
    uint8_t key;
    const char* name;
};

struct LayoutDefinition {
    const char* name;
    std::span<const KeyChange> changes;
    std::span<const AddedKey> added;
};

// QWERTZ: Y and Z change places; ß, ´, Ü, Ö, Ä, # and ^ type characters
// without a code of their own; + and - lie right of Ü and right of the
// period.  The key right of the left Shift types < and >, whose code is the
// comma key's, so it is not shown.
constexpr KeyChange kGermanChanges[] = {
    {0x59, 0x5A, "Z"},   {0x5A, 0x59, "Y"},   {0xDD, 0xBB, "+"},   {0xBF, 0xBD, "-"},
    {0xBD, 0, nullptr}, {0xBB, 0, nullptr}, {0xDB, 0, nullptr}, {0xBA, 0, nullptr},
    {0xDE, 0, nullptr}, {0xDC, 0, nullptr}, {0xC0, 0, nullptr},
};

// The key above Enter types #, which is Shift+3's code; the backslash key
// sits right of a short left Shift.
constexpr KeyChange kBritishChanges[] = {{0xDC, 0, nullptr}};
constexpr AddedKey kBritishAdded[] = {{0x10, 23, 0xDC, "\\"}};

constexpr LayoutDefinition kDefinitions[] = {
    {"German (QWERTZ)", kGermanChanges, {}},
    {"United Kingdom", kBritishChanges, kBritishAdded},
};
constexpr int kLayoutCount = static_cast<int>(std::size(kDefinitions));

struct LayoutKey {
    KeyRect rect;
    const char* name;
    uint8_t mappable; // bit m: may be mapped with modifier state m
};

uint8_t MappableMask(uint8_t usKey) {
    for (const tamsivane::PcKeyInfo& info : tamsivane::BuiltInLayoutKeys()) {
        if (info.code == usKey) return info.mappable;
    }
    return 0;
}

std::vector<LayoutKey> BuildKeys(const LayoutDefinition& definition) {
    std::vector<LayoutKey> keys;
    const auto infos = tamsivane::BuiltInLayoutKeys();
    const auto places = tamsivane::UsKeyPositions();
    for (size_t i = 0; i < places.size(); ++i) {
        const uint8_t usKey = places[i].key;
        LayoutKey key{places[i], infos[i].name, infos[i].mappable};
        for (const KeyChange& change : definition.changes) {
            if (change.usKey != usKey) continue;
            key.rect.key = change.key;
            key.name = change.name;
            key.mappable = MappableMask(change.key);
            break;
        }
        for (const AddedKey& added : definition.added) {
            if (added.narrowedKey != usKey) continue;
            KeyRect rect = key.rect;
            rect.x = static_cast<int16_t>(key.rect.x + added.narrowedWidth + 1);
            rect.width = static_cast<int16_t>(key.rect.width - added.narrowedWidth - 1);
            rect.key = added.key;
            keys.push_back({rect, added.name, MappableMask(added.key)});
            key.rect.width = added.narrowedWidth;
        }
        if (key.rect.key != 0) keys.push_back(key);
    }
    return keys;
}

// The layout's keys; empty for an index out of range.
std::span<const LayoutKey> Layout(int layout) {
    static const std::vector<std::vector<LayoutKey>> layouts = [] {
        std::vector<std::vector<LayoutKey>> built;
        for (const LayoutDefinition& definition : kDefinitions) built.push_back(BuildKeys(definition));
        return built;
    }();
    if (layout < 0 || layout >= kLayoutCount) return {};
    return layouts[static_cast<size_t>(layout)];
}

const LayoutKey* Find(int layout, unsigned char code) {
    for (const LayoutKey& key : Layout(layout)) {
        if (key.rect.key == code) return &key;
    }
    return nullptr;
}

} // namespace

extern "C" {

int KBCount(void) { return kLayoutCount; }

const char* GetLayoutName(int layout) {
    return layout >= 0 && layout < kLayoutCount ? kDefinitions[layout].name : "";
}

const char* GetLayoutBmp(int) { return ""; }

int GetKeyPos(int layout, unsigned char code, int* x, int* y, int* width, int* height) {
    const LayoutKey* key = Find(layout, code);
    if (key == nullptr || code == 0) return 0;
    *x = key->rect.x;
    *y = key->rect.y;
    *width = key->rect.width;
    *height = key->rect.height;
    return 1;
}

unsigned char GetKeyFromPos(int layout, int x, int y) {
    unsigned char found = 0;
    for (const LayoutKey& key : Layout(layout)) {
        if (key.rect.Contains(x, y)) found = key.rect.key;
    }
    return found;
}

int IsKeyMappable(int layout, unsigned char code, int modifiers) {
    const LayoutKey* key = Find(layout, code);
    return key != nullptr && modifiers >= 0 && modifiers < 8 && (key->mappable >> modifiers & 1) != 0;
}

const char* GetKeyName(int layout, unsigned char code) {
    const LayoutKey* key = Find(layout, code);
    return key != nullptr ? key->name : "";
}
}
