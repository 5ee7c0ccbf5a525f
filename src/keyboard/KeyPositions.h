// The two keyboard pictures' geometry: where each key lies in the 480 x 130
// picture of the built-in U.S. 101-key PC layout and of the VT keyboard.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tamsivane {

inline constexpr int kKeyPictureWidth = 480;
inline constexpr int kKeyPictureHeight = 130;

// One key rectangle of a picture.  Its edges belong to it: a point lies on
// the key when left <= x <= left + width and top <= y <= top + height.
struct KeyRect {
    int16_t x = 0;
    int16_t y = 0;
    int16_t width = 0;
    int16_t height = 0;
    uint8_t key = 0; // a PC key code, or a VT key number on the VT picture

    bool Contains(int px, int py) const {
        return px >= x && py >= y && px - x <= width && py - y <= height;
    }
    bool operator==(const KeyRect&) const = default;
};

// The built-in layout's 101 keys, in the order of BuiltInLayoutKeys().
std::span<const KeyRect> UsKeyPositions();
// The VT picture: 109 rectangles of VT keys 1-108 (Return has two).
std::span<const KeyRect> VtKeyPositions();

// The key of the last row whose rectangle holds the point, so that on an
// edge two keys share the later row wins; 0 for none.
uint8_t KeyAtPoint(std::span<const KeyRect> table, int x, int y);
// The last row of the key; nullopt when the picture does not show it.
std::optional<KeyRect> FindKeyRect(std::span<const KeyRect> table, uint8_t key);

// Whether a VT key may be the target of a mapping: every one but Ctrl,
// the Shift keys, Caps Lock, Compose and Alt (73-80).
bool IsVtMappingTarget(int vtKey);

} // namespace tamsivane
