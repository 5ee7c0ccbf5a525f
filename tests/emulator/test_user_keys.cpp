#include <gtest/gtest.h>

#include <string>

#include "emulator/UserDefinedKeys.h"

namespace tamsivane {
namespace {

TEST(UserDefinedKeysTest, DefinesKeysFromHexPairs) {
    UserDefinedKeys keys;
    keys.Define("17/414243;34/0d0A");
    EXPECT_EQ(keys.Lookup(17), "ABC");
    EXPECT_EQ(keys.Lookup(34), "\r\n");
    EXPECT_EQ(keys.Lookup(18), "");
    EXPECT_EQ(keys.BytesUsed(), 5u);
    keys.Define("17/5A");
    EXPECT_EQ(keys.Lookup(17), "Z");
    keys.Clear();
    EXPECT_EQ(keys.Lookup(17), "");
    EXPECT_EQ(keys.BytesUsed(), 0u);
}

TEST(UserDefinedKeysTest, MalformedEntriesAreSkippedAlone) {
    UserDefinedKeys keys;
    keys.Define("19/41;20/41;21/41");
    keys.Define("19/414;20/4G;22/41;16/41;/41;x/41;021/41;18;21/;23/5A;;");
    EXPECT_EQ(keys.Lookup(19), "A"); // odd digit count
    EXPECT_EQ(keys.Lookup(20), "A"); // not a hex digit
    EXPECT_EQ(keys.Lookup(22), "");  // no such key
    EXPECT_EQ(keys.Lookup(21), "");  // an empty string clears the key
    EXPECT_EQ(keys.Lookup(23), "Z");
    keys.Define(std::string_view("24/42\0", 6)); // the string's terminating zero
    EXPECT_EQ(keys.Lookup(24), "B");
}

TEST(UserDefinedKeysTest, TotalCapacityIsBounded) {
    UserDefinedKeys keys;
    const std::string fill(2 * 1000, 'A'); // 1000 bytes
    keys.Define("17/" + fill);
    keys.Define("18/" + std::string(2 * 30, '4') + ";19/4142");
    EXPECT_EQ(keys.Lookup(18), "");
    EXPECT_EQ(keys.Lookup(19), "AB");
    EXPECT_EQ(keys.BytesUsed(), 1002u);
    // Redefining a key may reuse its own room.
    keys.Define("17/" + std::string(2 * 1022, 'B'));
    EXPECT_EQ(keys.Lookup(17).size(), 1022u);
    EXPECT_EQ(keys.BytesUsed(), UserDefinedKeys::kCapacity);
}

} // namespace
} // namespace tamsivane
