#include "config/ResourceStrings.h"

#include <gtest/gtest.h>

namespace tamsivane {
namespace {

TEST(ResourceStrings, FormatFillsPlacesInOrder) {
    EXPECT_EQ(FormatResource(Msg::ConnectionTitle, {"a.qzv", "host"}),
              "a.qzv : Connection to host");
    // Too few values leave the places as they stand; extra values are not used.
    EXPECT_EQ(FormatResource(Msg::ConnectionTitle, {"a"}), "a : Connection to %s");
    EXPECT_EQ(FormatResource(Msg::NewConnectionTitle, {"h", "x"}), "New Connection to h");
    // A value is inserted as it is, even when it holds a place of its own.
    EXPECT_EQ(FormatResource(Msg::NoTransportForHostType, {"%d"}),
              "No connection can be made for HostType %d.");
    EXPECT_EQ(FormatResource(1, {"x"}), "");
}

TEST(ResourceStrings, ZeroPaddedNumbers) {
    EXPECT_EQ(FormatResource(Msg::ScriptErrorReport, {"a.wbq", "3", "71", "Text"}),
              "Script Error:\n\na.wbq (Line 3) : E0071 Text");
    EXPECT_EQ(FormatResource(Msg::ScriptErrorReport, {"a.wbq", "3", "12345", "Text"}),
              "Script Error:\n\na.wbq (Line 3) : E12345 Text");
}

TEST(ResourceStrings, HexadecimalPlacesTakeTheirValueAsGiven) {
    EXPECT_EQ(FormatResource(Msg::CallFailed, {"1F"}), "Failed to make a call. (Err# 1F)");
    EXPECT_EQ(FormatResource(Msg::CallFailed, {}), "Failed to make a call. (Err# %X)");
}

} // namespace
} // namespace tamsivane
