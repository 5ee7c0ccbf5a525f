#include "emulator/ControlNames.h"

#include <gtest/gtest.h>

#include <string>

namespace tamsivane {
namespace {

std::string Decode(std::string_view text) {
    std::string out = "untouched";
    EXPECT_TRUE(DecodeNotation(text, out)) << text;
    return out;
}

TEST(ControlNames, ReverseLookupMatchesEveryControlExactly) {
    for (int code = 0; code < 256; ++code) {
        const auto byte = static_cast<uint8_t>(code);
        if (const char* name = ControlName(byte)) {
            EXPECT_EQ(ControlByName(name), byte) << name;
        }
    }
    EXPECT_EQ(ControlByName("esc"), 255);
    EXPECT_EQ(ControlByName(""), 255);
    EXPECT_EQ(ControlByName("ESCX"), 255);
}

TEST(Notation, DecodesNamesCaretsAndEscapes) {
    EXPECT_EQ(Decode("<ESC>[c<CR><LF>"), "\x1b[c\r\n");
    EXPECT_EQ(Decode("<CSI>1m<ST>"), "\x9b" "1m\x9c");
    EXPECT_EQ(Decode("^C^@^_^["), std::string("\x03\x00\x1f\x1b", 4));
    EXPECT_EQ(Decode("\\\\\\<\\^"), "\\<^");
    EXPECT_EQ(Decode("\\x41\\xfF\\x414"), "A\xff" "A4");
    EXPECT_EQ(Decode("plain text"), "plain text");
}

TEST(Notation, KeepsWhatIsNotNotation) {
    EXPECT_EQ(Decode("<esc><FOO>x"), "<esc><FOO>x");
    EXPECT_EQ(Decode("<^A>"), "<^A>");
    EXPECT_EQ(Decode("a<ESC^A"), "a<ESC^A");
    EXPECT_EQ(Decode("^a^ ^"), "^a^ ^");
    EXPECT_EQ(Decode("\\q\\"), "\\q\\");
    EXPECT_EQ(Decode(""), "");
}

TEST(Notation, MalformedHexFailsAndLeavesOutputAlone) {
    for (const char* text : {"\\x", "\\x4", "\\x4g", "ab\\xZ1"}) {
        std::string out = "untouched";
        EXPECT_FALSE(DecodeNotation(text, out)) << text;
        EXPECT_EQ(out, "untouched");
    }
}

TEST(Notation, EncodesAndDecodesBackEveryByte) {
    EXPECT_EQ(EncodeNotation("\x1b[c\r\n"), "<ESC>[c<CR><LF>");
    EXPECT_EQ(EncodeNotation("\x9b\x01\x7f\x80\xff"), "<CSI>^A\\x7f\\x80\\xff");
    EXPECT_EQ(EncodeNotation("a\\b<c^d"), "a\\\\b\\<c\\^d");
    EXPECT_EQ(EncodeNotation(std::string(1, '\0')), "^@");

    std::string all;
    for (int code = 0; code < 256; ++code) all += static_cast<char>(code);
    EXPECT_EQ(Decode(EncodeNotation(all)), all);
}

TEST(Notation, ControlNotationNamesEveryControl) {
    EXPECT_EQ(ControlNotation("\x1b[?62;1c\x9b\x7f\x85 \xa0z"),
              "<ESC>[?62;1c<CSI><DEL><NEL> \xa0z");
    EXPECT_EQ(ControlNotation(std::string(1, '\0')), "<NUL>");
}

} // namespace
} // namespace tamsivane
