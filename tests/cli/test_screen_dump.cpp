#include "cli/ScreenDump.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>

#include "emulator/LineText.h"
#include "emulator/ScreenBuffer.h"

namespace tamsivane {
namespace {

// A line of blanks whose first cells hold the given codes and attributes.
struct TestLine {
    std::array<uint16_t, kStride> codes;
    std::array<uint16_t, kStride> attrs;

    TestLine(std::initializer_list<uint16_t> cellCodes,
             std::initializer_list<uint16_t> cellAttrs = {}) {
        codes.fill(kBlankCode);
        attrs.fill(kBlankAttribute);
        std::copy(cellCodes.begin(), cellCodes.end(), codes.begin());
        std::copy(cellAttrs.begin(), cellAttrs.end(), attrs.begin());
    }
    DisplayLine Line() const { return {0, codes.data(), attrs.data()}; }
};

constexpr uint16_t kWide = CellAttribute().WithClass(CharClass::DoubleWidth).Word();
constexpr uint16_t kN = kBlankAttribute;

TEST(ScreenDump, LineTextSkipsRightHalvesOnly) {
    // A wide character and its right half, a lone 0 code, then two wide
    // characters in a row.
    const TestLine line({'a', 0x4E2D, 0, 'b', 0, 'c', 0x65E5, 0, 0x672C, 0},
                        {kN, kWide, kWide, kN, kN, kN, kWide, kWide, kWide, kWide});
    EXPECT_EQ(DisplayLineText(line.Line(), 80),
              "a\xe4\xb8\xad"
              "b c\xe6\x97\xa5\xe6\x9c\xac");
}

TEST(ScreenDump, LineTextJoinsSurrogatesAndTrimsBlanks) {
    const TestLine line({0xD83D, 0xDE00, 0xDC00, 'x', 0xD800, ' ', 0xE9, ' ', ' '});
    EXPECT_EQ(DisplayLineText(line.Line(), 80),
              "\xf0\x9f\x98\x80\xef\xbf\xbdx\xef\xbf\xbd \xc3\xa9");
    // A high surrogate in the last shown column has no partner.
    const TestLine edge({'a', 0xD83D, 0xDE00});
    EXPECT_EQ(DisplayLineText(edge.Line(), 2), "a\xef\xbf\xbd");
    // Only the shown columns count.
    const TestLine wide({'a'});
    TestLine beyond = wide;
    beyond.codes[100] = 'z';
    EXPECT_EQ(DisplayLineText(beyond.Line(), 80), "a");
    EXPECT_EQ(DisplayLineText(TestLine({}).Line(), 132), "");
    EXPECT_EQ(DisplayLineText(DisplayLine{}, 80), "");
}

TEST(ScreenDump, JsonStringsAreEscaped) {
    std::string out;
    AppendJsonString(out, "a\"b\\c\x01\n\x1f\xc3\xa9");
    EXPECT_EQ(out, "\"a\\\"b\\\\c\\u0001\\u000a\\u001f\xc3\xa9\"");
    out.clear();
    AppendJsonString(out, "<ESC>\xa0\xff", true);
    EXPECT_EQ(out, "\"<ESC>\xc2\xa0\xc3\xbf\"");
}

} // namespace
} // namespace tamsivane
