// The keyboard pictures' geometry and the layouts: the built-in U.S. layout
// and the optional plug-in, used only when it exports every function.
#include "keyboard/KeyboardLayouts.h"

#include <gtest/gtest.h>

#include <set>

#include "keyboard/KeyPositions.h"
#include "keyboard/KeyMap.h"
#include "keyboard/KeyboardInput.h"
#include "keyboard/PcKeys.h"

namespace tamsivane {
namespace {

constexpr uint8_t kLeftShift = 0x10;
constexpr uint8_t kZ = 0x5A;
constexpr uint8_t kPause = 0x13;
constexpr uint8_t kPrintScreen = 0x2C;
constexpr int kReturn = 72;

KeyRect Rect(int x, int y, int width, int height, uint8_t key) {
    return KeyRect{static_cast<int16_t>(x), static_cast<int16_t>(y), static_cast<int16_t>(width),
                   static_cast<int16_t>(height), key};
}

void ExpectInPicture(const KeyRect& r) {
    EXPECT_GE(r.x, 0);
    EXPECT_GE(r.y, 0);
    EXPECT_LT(r.x + r.width, kKeyPictureWidth) << int(r.key);
    EXPECT_LT(r.y + r.height, kKeyPictureHeight) << int(r.key);
}

TEST(KeyPositions, TheUsLayoutPlacesEveryKeyOfItsTableOnce) {
    const auto keys = BuiltInLayoutKeys();
    const auto positions = UsKeyPositions();
    ASSERT_EQ(keys.size(), 101u);
    ASSERT_EQ(positions.size(), 101u);
    std::set<uint8_t> seen;
    for (size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(positions[i].key, keys[i].code) << keys[i].name;
        EXPECT_TRUE(seen.insert(keys[i].code).second) << keys[i].name;
        ExpectInPicture(positions[i]);
        // The middle of each key finds that key: no key hides another.
        EXPECT_EQ(KeyAtPoint(positions, positions[i].x + positions[i].width / 2,
                             positions[i].y + positions[i].height / 2),
                  keys[i].code)
            << keys[i].name;
    }
    EXPECT_EQ(FindKeyRect(positions, 0x1B), Rect(1, 1, 18, 18, 0x1B));
    EXPECT_EQ(FindKeyRect(positions, 0x70), Rect(39, 1, 18, 18, 0x70));
    EXPECT_EQ(FindKeyRect(positions, 0x0D), Rect(245, 70, 40, 18, 0x0D));
    EXPECT_EQ(FindKeyRect(positions, 0x2B), Rect(418, 89, 18, 37, 0x2B));
    EXPECT_EQ(FindKeyRect(positions, 0x20), Rect(77, 108, 132, 18, 0x20));
}

TEST(KeyPositions, TheVtPictureHasEveryVtKeyAndReturnTwice) {
    const auto positions = VtKeyPositions();
    ASSERT_EQ(positions.size(), 109u);
    for (int key = 1; key <= VtKey::Count; ++key) {
        const auto rect = FindKeyRect(positions, static_cast<uint8_t>(key));
        ASSERT_TRUE(rect) << VtKeyName(key);
        ExpectInPicture(*rect);
        EXPECT_EQ(KeyAtPoint(positions, rect->x + rect->width / 2, rect->y + rect->height / 2),
                  key)
            << VtKeyName(key);
    }
    EXPECT_EQ(FindKeyRect(positions, 1), Rect(1, 1, 18, 18, 1));
    EXPECT_EQ(FindKeyRect(positions, 91), Rect(400, 32, 18, 18, 91));
    EXPECT_EQ(FindKeyRect(positions, 108), Rect(457, 89, 18, 37, 108));
    EXPECT_EQ(FindKeyRect(positions, 70), Rect(93, 108, 113, 18, 70));
    // The last row of Return is its lower part; both parts find it.
    EXPECT_EQ(FindKeyRect(positions, kReturn), Rect(280, 69, 24, 19, kReturn));
    EXPECT_EQ(KeyAtPoint(positions, 276, 55), kReturn);
    EXPECT_EQ(KeyAtPoint(positions, 300, 85), kReturn);
}

TEST(KeyPositions, EdgesBelongToTheKeyAndOnASharedEdgeTheLaterRowWins) {
    const auto positions = UsKeyPositions();
    // Esc covers 1..19 both ways, edges included; the gap after it is no key.
    EXPECT_EQ(KeyAtPoint(positions, 19, 19), 0x1B);
    EXPECT_EQ(KeyAtPoint(positions, 1, 1), 0x1B);
    EXPECT_EQ(KeyAtPoint(positions, 0, 0), 0);
    EXPECT_EQ(KeyAtPoint(positions, 20, 10), 0);
    // The left Shift's right edge is the Z key's left edge; Z's row is later.
    EXPECT_EQ(KeyAtPoint(positions, 43, 95), kLeftShift);
    EXPECT_EQ(KeyAtPoint(positions, 44, 95), kZ);
}

TEST(KeyPositions, ModifierKeysAreNoMappingTarget) {
    for (int key = 0; key <= 110; ++key) {
        EXPECT_EQ(IsVtMappingTarget(key), key >= 1 && key <= 108 && (key < 73 || key > 80))
            << key;
    }
}

TEST(KeyboardLayouts, TheBuiltInLayoutAlone) {
    const KeyboardLayouts layouts;
    EXPECT_EQ(layouts.Count(), 1);
    EXPECT_EQ(layouts.Name(0), "U.S. 101 Key");
    EXPECT_EQ(layouts.PicturePath(0), "");
    EXPECT_EQ(layouts.Valid(3), 0);
    EXPECT_EQ(layouts.KeyName(0, 0x2C), "Print Screen/SysRq");
    EXPECT_EQ(layouts.KeyName(0, 0xFF), "");
    EXPECT_EQ(layouts.KeyAt(0, 250, 75), 0x0D);
    EXPECT_EQ(layouts.Keys(0).size(), 101u);
    // Pause only alone, Print Screen never, a letter with every state.
    EXPECT_TRUE(layouts.IsMappable(0, kPause, 0));
    EXPECT_FALSE(layouts.IsMappable(0, kPause, Modifier::Ctrl));
    EXPECT_FALSE(layouts.IsMappable(0, kPrintScreen, 0));
    EXPECT_TRUE(layouts.IsMappable(0, kZ, Modifier::Alt | Modifier::Ctrl | Modifier::Shift));
    EXPECT_FALSE(layouts.IsMappable(0, 0xFF, 0));
    // A layout number beyond the count is the built-in layout.
    EXPECT_EQ(layouts.Name(7), "U.S. 101 Key");
}

TEST(KeyboardLayouts, ACompletePluginAddsItsLayouts) {
    const KeyboardLayouts layouts(TAMSIVANE_LAYOUT_PLUGIN);
    ASSERT_EQ(layouts.Count(), 2);
    EXPECT_EQ(layouts.Name(0), "U.S. 101 Key");
    EXPECT_EQ(layouts.Name(1), "Test Layout");
    EXPECT_EQ(layouts.KeyAt(1, 70, 20), 0x57);
    EXPECT_EQ(layouts.KeyAt(1, 300, 100), 0);
    EXPECT_EQ(layouts.KeyName(1, 0x45), "Key E");
    EXPECT_EQ(layouts.KeyPosition(1, 0x51), Rect(10, 10, 40, 30, 0x51));
    EXPECT_FALSE(layouts.KeyPosition(1, 0x41));
    EXPECT_TRUE(layouts.IsMappable(1, 0x51, 0));
    EXPECT_FALSE(layouts.IsMappable(1, 0x51, Modifier::Shift));
    EXPECT_EQ(layouts.Keys(1).size(), 3u);
    // The picture's name is taken beside the library.
    const std::string plugin = TAMSIVANE_LAYOUT_PLUGIN;
    EXPECT_EQ(layouts.PicturePath(1),
              plugin.substr(0, plugin.rfind('/')) + "/test-layout.png");
}

// The plug-in the program ships: every layout places each of its keys once,
// inside the picture, without one key hiding another.
TEST(KeyboardLayouts, TheShippedNationalLayoutsAreWholePictures) {
    const KeyboardLayouts layouts(TAMSIVANE_NATIONAL_LAYOUTS);
    ASSERT_EQ(layouts.Count(), 3);
    for (int layout = 1; layout < layouts.Count(); ++layout) {
        std::set<uint8_t> seen;
        for (const KeyRect& key : layouts.Keys(layout)) {
            EXPECT_TRUE(seen.insert(key.key).second) << layout << " " << int(key.key);
            ExpectInPicture(key);
            EXPECT_EQ(layouts.KeyAt(layout, key.x + key.width / 2, key.y + key.height / 2), key.key)
                << layouts.Name(layout) << " " << layouts.KeyName(layout, key.key);
            EXPECT_NE(layouts.KeyName(layout, key.key), "");
        }
        EXPECT_EQ(layouts.PicturePath(layout), "");
        EXPECT_EQ(layouts.KeyName(layout, 0xFF), "");
    }
    // German: Z where the U.S. Y is, no key for Ö's place, + right of Ü's.
    const auto usPlace = [](uint8_t key) { return *FindKeyRect(UsKeyPositions(), key); };
    EXPECT_EQ(layouts.Name(1), "German (QWERTZ)");
    const KeyRect usY = usPlace(0x59);
    EXPECT_EQ(layouts.KeyAt(1, usY.x + 5, usY.y + 5), kZ);
    EXPECT_EQ(layouts.KeyName(1, kZ), "Z");
    const KeyRect usSemicolon = usPlace(0xBA);
    EXPECT_EQ(layouts.KeyAt(1, usSemicolon.x + 5, usSemicolon.y + 5), 0);
    EXPECT_FALSE(layouts.KeyPosition(1, 0xBA));
    EXPECT_EQ(layouts.KeyPosition(1, 0xBB)->x, usPlace(0xDD).x);
    // The same keys as the built-in layout are mappable with the same states.
    EXPECT_FALSE(layouts.IsMappable(1, kPause, Modifier::Ctrl));
    EXPECT_TRUE(layouts.IsMappable(1, kZ, Modifier::Alt | Modifier::Ctrl | Modifier::Shift));
    EXPECT_FALSE(layouts.IsMappable(1, 0xBA, 0));
    // British: backslash right of a short left Shift, and not above Enter.
    EXPECT_EQ(layouts.Name(2), "United Kingdom");
    const KeyRect shift = *layouts.KeyPosition(2, kLeftShift);
    const KeyRect backslash = *layouts.KeyPosition(2, 0xDC);
    EXPECT_LT(shift.width, usPlace(kLeftShift).width);
    EXPECT_EQ(backslash.y, shift.y);
    EXPECT_GT(backslash.x, shift.x + shift.width);
    EXPECT_EQ(layouts.KeyName(2, 0xDC), "\\");
    EXPECT_EQ(layouts.Keys(2).size(), 101u);
}

TEST(KeyboardLayouts, APluginLackingAFunctionOrMissingIsIgnored) {
    EXPECT_EQ(KeyboardLayouts(TAMSIVANE_PARTIAL_LAYOUT_PLUGIN).Count(), 1);
    EXPECT_EQ(KeyboardLayouts("/nonexistent/libtamsivane-layouts.so").Count(), 1);
}

} // namespace
} // namespace tamsivane
