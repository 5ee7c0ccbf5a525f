#include <gtest/gtest.h>

#include "cli/HarmlessText.h"

namespace tamsivane {
namespace {

TEST(HarmlessTextTest, ShowsControlsAndBrokenUtf8AsHex) {
    const struct {
        const char* text;
        const char* shown;
    } kCases[] = {
        {"plain text\tand a TAB\nnext line", "plain text\tand a TAB\nnext line"},
        {"\x1b]0;title\x07", "\\x1B]0;title\\x07"},
        {"over\rwrite\x7f", "over\\x0Dwrite\\x7F"},
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
        // A C1 control (CSI) in UTF-8 and as a lone byte.
        {"\xc2\x9b" "2J\x9b", "\\xC2\\x9B2J\\x9B"},
        // Overlong, surrogate, past U+10FFFF, cut short.
        {"\xc0\xaf\xed\xa0\x80\xf4\x90\x80\x80\xe2\x82",
         "\\xC0\\xAF\\xED\\xA0\\x80\\xF4\\x90\\x80\\x80\\xE2\\x82"},
    };
    for (const auto& c : kCases) EXPECT_EQ(HarmlessText(c.text), c.shown) << c.text;
}

} // namespace
} // namespace tamsivane
