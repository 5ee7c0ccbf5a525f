#include <gtest/gtest.h>

#include "platform/CodePage.h"

namespace tamsivane {
namespace {

TEST(CodePageTest, LeadBytesOfTheDoubleByteCodePages) {
    EXPECT_TRUE(CodePageService::IsLeadByte(932, 0x81));
    EXPECT_TRUE(CodePageService::IsLeadByte(932, 0x9F));
    EXPECT_FALSE(CodePageService::IsLeadByte(932, 0xA0)); // half-width katakana
    EXPECT_TRUE(CodePageService::IsLeadByte(932, 0xFC));
    EXPECT_FALSE(CodePageService::IsLeadByte(932, 0xFD));
    for (int codePage : {936, 949, 950}) {
        EXPECT_FALSE(CodePageService::IsLeadByte(codePage, 0x80));
        EXPECT_TRUE(CodePageService::IsLeadByte(codePage, 0x81));
        EXPECT_TRUE(CodePageService::IsLeadByte(codePage, 0xFE));
        EXPECT_FALSE(CodePageService::IsLeadByte(codePage, 0xFF));
    }
    EXPECT_FALSE(CodePageService::IsLeadByte(1252, 0x81));
    EXPECT_FALSE(CodePageService::IsLeadByte(65001, 0xE3));
}

TEST(CodePageTest, EveryKnownCodePageConverts) {
    const CodePageService service;
    for (int codePage :
         {437,   737,   775,   850,   852,   855,   857,   860,   861,   862,   863,
          864,   865,   866,   869,   874,   932,   936,   949,   950,   1250,  1251,
          1252,  1253,  1254,  1255,  1256,  1257,  1258,  20866, 21866, 28591, 28592,
          28593, 28594, 28595, 28596, 28597, 28598, 28599, 28603, 28605, 54936, 65001}) {
        EXPECT_EQ(service.ToUnicode(codePage, "Az"), u"Az") << codePage;
    }
    EXPECT_EQ(service.ToUnicode(12345, "A"), u"");
}

TEST(CodePageTest, ToUnicode) {
    const CodePageService service;
    EXPECT_EQ(service.ToUnicode(932, "\x82\xA0\xB1"), u"あｱ");
    EXPECT_EQ(service.ToUnicode(936, "\xC4\xE3"), u"你");
    EXPECT_EQ(service.ToUnicode(949, "\xB0\xA1"), u"가");
    EXPECT_EQ(service.ToUnicode(950, "\xA4\xA4"), u"中");
    EXPECT_EQ(service.ToUnicode(1252, "\x80\xE9"), u"€é");
    EXPECT_EQ(service.ToUnicode(932, "A\x82"), u""); // incomplete pair
    EXPECT_EQ(service.ToUnicode(65001, "\xF0\x9F\x98\x80"), u"\U0001F600");
}

TEST(CodePageTest, FromUnicodeOneCharacter) {
    const CodePageService service;
    EXPECT_EQ(service.FromUnicode(932, u'あ'), "\x82\xA0");
    EXPECT_EQ(service.FromUnicode(1252, u'€'), "\x80");
    EXPECT_EQ(service.FromUnicode(1252, u'あ'), "");
    EXPECT_EQ(service.FromUnicode(65001, u'é'), "\xC3\xA9");
    EXPECT_EQ(service.FromUnicode(65001, char16_t{0xD83D}), "");
    EXPECT_EQ(service.FromUnicode(12345, u'A'), "");
}

TEST(CodePageTest, FromUnicodeTextMarksWhatCannotBeConverted) {
    const CodePageService service;
    EXPECT_EQ(service.FromUnicode(1252, std::u16string_view(u"aあb")), "a?b");
    EXPECT_EQ(service.FromUnicode(1252, std::u16string_view(u"x\U0001F600y")), "x?y");
    EXPECT_EQ(service.FromUnicode(1252, std::u16string_view(u"x\xD800")), "x?");
    EXPECT_EQ(service.FromUnicode(65001, std::u16string_view(u"\U0001F600")), "\xF0\x9F\x98\x80");
    EXPECT_EQ(service.FromUnicode(12345, std::u16string_view(u"ab")), "??");
}

TEST(CodePageTest, ToUtf8) {
    const CodePageService service;
    EXPECT_EQ(service.ToUtf8(1252, "caf\xE9"), "café");
    EXPECT_EQ(service.ToUtf8(932, "\x93\xFA\x82"), "日?");
    EXPECT_EQ(service.ToUtf8(65001, "\xFF\xC3\xA9"), "?é");
    EXPECT_EQ(service.ToUtf8(12345, "a\xE9"), "a?");
}

} // namespace
} // namespace tamsivane

namespace tamsivane {
namespace {

// The decoder keeps its descriptor and its answers; whatever it has seen
// before, each pair must decode as a one-shot conversion of the same bytes.
TEST(CodePageDecoderTest, EveryPairAgreesWithAOneShotConversion) {
    const CodePageService service;
    CodePageDecoder decoder;
    for (int codePage : {932, 936, 949, 950}) {
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            if (!CodePageService::IsLeadByte(codePage, static_cast<uint8_t>(lead))) continue;
            for (int trail = 0; trail <= 0xFF; ++trail) {
                const char bytes[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                const std::u16string once = service.ToUnicode(codePage, {bytes, 2});
                const uint16_t expected = once.size() == 1 ? once[0] : 0;
                const auto l = static_cast<uint8_t>(lead), t = static_cast<uint8_t>(trail);
                ASSERT_EQ(decoder.Pair(codePage, l, t), expected) << codePage << ' ' << lead
                                                                  << ' ' << trail;
                ASSERT_EQ(decoder.Pair(codePage, l, t), expected);
            }
        }
    }
}

TEST(CodePageDecoderTest, TextSingleBytesAndSwitchingCodePages) {
    CodePageDecoder decoder;
    EXPECT_EQ(decoder.Pair(932, 0x93, 0xFA), u'日');
    EXPECT_EQ(decoder.Single(932, 0xB1), u'ｱ');
    EXPECT_EQ(decoder.Single(932, 0xA0), 0); // unassigned
    EXPECT_EQ(decoder.Pair(932, 0x81, 0x20), 0);
    EXPECT_EQ(decoder.Pair(936, 0xC4, 0xE3), u'你');
    EXPECT_EQ(decoder.Single(936, 0x80), u'€');
    EXPECT_EQ(decoder.Pair(950, 0xA4, 0xA4), u'中');
    EXPECT_EQ(decoder.Pair(936, 0xA4, 0xA4), u'い'); // the same bytes, another code page
    EXPECT_EQ(decoder.Single(1252, 0x80), u'€');
    EXPECT_EQ(decoder.Single(1252, 0x81), 0);
    EXPECT_EQ(decoder.Single(1252, 'A'), u'A');
    EXPECT_EQ(decoder.Pair(12345, 0x82, 0xA0), 0); // no such code page
    EXPECT_EQ(decoder.Single(12345, 0xE9), 0);
    EXPECT_EQ(decoder.Pair(932, 0x82, 0xA0), u'あ'); // back again after a failure
}

} // namespace
} // namespace tamsivane
