// The translator's own interface: what the host's bytes show is checked by
// the emulator cases; here are the fast-path flags, the arguments no byte
// sequence can give, the code-page service and the way out (Encode).
#include <gtest/gtest.h>

#include <string>

#include "config/SettingsStore.h"
#include "emulator/CharsetTranslator.h"
#include "platform/CodePage.h"

namespace tamsivane {
namespace {

class CharsetTest : public ::testing::Test {
protected:
    void SetUp() override { SetSystemAnsiCodePage(1252); }
    void TearDown() override { SetSystemAnsiCodePage(1252); }

    // Codes written for a run of bytes (zeros, "nothing yet", left out).
    std::u16string Show(const std::string& bytes) {
        std::u16string out;
        for (char b : bytes) {
            if (uint16_t code = translator.Translate(static_cast<uint8_t>(b))) out += code;
        }
        return out;
    }
    void Set(int param, int value) { ASSERT_TRUE(settings.SetNumber(param, value)); }

    SettingsStore settings;
    CodePageService codePages;
    CharsetTranslator translator{settings, &codePages};
};

TEST_F(CharsetTest, InvalidArgumentsAndStatesAreIgnored) {
    EXPECT_EQ(CharsetTranslator::GForIntermediate(')'), 1);
    EXPECT_EQ(CharsetTranslator::GForIntermediate('/'), 3);
    EXPECT_EQ(CharsetTranslator::GForIntermediate('%'), -1);
    translator.Designate(-1, Charset::DecGraphic);
    translator.Designate(4, Charset::DecGraphic);
    translator.Designate(0, Charset::Count);
    translator.LockShiftGL(7);
    translator.SingleShift(-2);
    translator.DesignateNational(0, 15);
    EXPECT_EQ(Show("q#"), u"q#");
    CharsetTranslator::State broken;
    broken.g[0] = 99;
    broken.gl = 200;
    translator.RestoreState(broken);
    EXPECT_EQ(Show("q"), u"q");
}

TEST_F(CharsetTest, GrIsGraphicForCodePagesAndTheDecoder) {
    EXPECT_FALSE(translator.GrIsGraphic());
    Set(P::PrimarySet, 10);
    EXPECT_TRUE(translator.GrIsGraphic());
    translator.LockShiftGR(1); // DEC Graphic in GR: C1 controls again
    EXPECT_FALSE(translator.GrIsGraphic());
    EXPECT_EQ(Show("\x85"), u"\x85"); // below the table's first code: the byte itself
    translator.LockShiftGR(2);
    Set(P::PrimarySet, 4);
    Set(P::DBCS, 1);
    EXPECT_TRUE(translator.GrIsGraphic());
}

TEST_F(CharsetTest, GlIsPlainAsciiOnlyWhenBytesTranslateToThemselves) {
    EXPECT_TRUE(translator.GlIsPlainAscii());
    translator.SingleShift(2);
    EXPECT_FALSE(translator.GlIsPlainAscii());
    EXPECT_EQ(Show("A"), u"Á");
    EXPECT_TRUE(translator.GlIsPlainAscii());
    translator.LockShiftGL(1);
    EXPECT_FALSE(translator.GlIsPlainAscii());
    translator.LockShiftGL(0);
    Set(P::NRC, 6);
    EXPECT_FALSE(translator.GlIsPlainAscii());
    Set(P::NRC, 0);
    // The double-byte decoder passes ASCII through, except after a lead byte.
    Set(P::DBCS, 1);
    Set(P::DBCSSet, 5);
    EXPECT_TRUE(translator.GlIsPlainAscii());
    EXPECT_EQ(translator.Translate(0xC3), 0);
    EXPECT_FALSE(translator.GlIsPlainAscii());
    Set(P::DBCS, 0);
    translator.DesignateSoftFont(0);
    EXPECT_EQ(translator.Translate('A'), kSoftFontBase + 'A');
    EXPECT_EQ(translator.Translate(0x7F), 0x7F);
    EXPECT_FALSE(translator.GlIsPlainAscii());
}

TEST_F(CharsetTest, DecodersWithAndWithoutTheCodePageService) {
    SetSystemAnsiCodePage(936);
    Set(P::DBCS, 1);
    Set(P::DBCSSet, 0); // the workstation's code page
    EXPECT_EQ(Show("a\xC4\xE3"), u"a你");
    SetSystemAnsiCodePage(1252);
    EXPECT_EQ(Show("\x80\xE9"), u"€é");

    CharsetTranslator bare(settings);
    Set(P::DBCSSet, 3);
    EXPECT_EQ(bare.Translate(0x82), 0);
    EXPECT_EQ(bare.Translate(0xA0), 0);
    EXPECT_EQ(bare.Translate('A'), 'A');
    Set(P::DBCSSet, 5);
    EXPECT_EQ(bare.Translate(0xC3), 0);
    EXPECT_EQ(bare.Translate(0xA9), u'é');
    EXPECT_EQ(bare.Encode(u'あ'), "\xE3\x81\x82");
}

TEST_F(CharsetTest, EncodeThroughTheSetsTheHostMayReceive) {
    struct Case {
        int param, value; // -1: no change
        char16_t c;
        const char* bytes;
    };
    const Case cases[] = {
        {-1, 0, u'A', "A"},
        {-1, 0, u'\r', "\r"},
        {-1, 0, u'é', "\xE9"},
        {-1, 0, u'─', ""},
        {-1, 0, u'あ', ""}, // a double-byte ANSI code page only, see below
        {P::PrimarySet, 5, u'Ą', "\xA1"},
        {-1, 0, u'ÿ', ""}, // not in Latin-2, single byte in 1252
        {P::NRC, 6, u'ä', "{"},
        {P::NRC, 0, u'A', "A"},
        {P::PrimarySet, 10, u'Ç', "\x80"},
        {P::DBCS, 1, u'A', "A"},
        {P::DBCSSet, 5, u'é', "\xC3\xA9"},
        {-1, 0, u'あ', "\xE3\x81\x82"},
        {-1, 0, char16_t{0xD800}, ""},
        {P::DBCSSet, 3, u'あ', "\x82\xA0"},
        {-1, 0, u'ｱ', "\xB1"},
        {-1, 0, u'é', ""},
    };
    for (const Case& c : cases) {
        if (c.param >= 0) Set(c.param, c.value);
        EXPECT_EQ(translator.Encode(c.c), c.bytes) << static_cast<int>(c.c);
    }
    Set(P::DBCS, 0);
    SetSystemAnsiCodePage(932);
    EXPECT_EQ(translator.Encode(u'あ'), "\x82\xA0");
}

TEST_F(CharsetTest, EncodeReplacesSetsThatMayNotBeSent) {
    translator.Designate(0, Charset::DecGraphic); // DEC Graphic in GL counts as ASCII
    EXPECT_EQ(translator.Encode(u'q'), "q");
    translator.LockShiftGR(1); // DEC Graphic in GR: the user-preferred set instead
    Set(P::UPSS, 8);
    EXPECT_EQ(translator.Encode(u'Ж'), "\xB6");
    Set(P::UPSS, 3); // a preferred set that may not stand in GR either: ASCII
    EXPECT_EQ(translator.Encode(u'A'), "A");
    EXPECT_EQ(translator.Encode(u'Ж'), "");
    translator.Reset();
    Set(P::PrimarySet, 10);
    translator.Designate(0, Charset::DecSupplement);
    // Positions below 0x20 are controls on the way out: found in GR instead.
    EXPECT_EQ(translator.Encode(u'Ç'), "\x80");
    EXPECT_EQ(translator.Encode(u'║'), "\x3A");
}

} // namespace
} // namespace tamsivane
