#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST_F(CharsetTest, DecGraphicThroughDesignationAndLockingShifts) {
    EXPECT_EQ(Show("q"), u"q");
    translator.LockShiftGL(1); // SO: G1 holds DEC Graphic from the start
    EXPECT_EQ(Show("qx_`~"), u"─│ \u2666·");
    translator.LockShiftGL(0); // SI
    EXPECT_EQ(Show("q"), u"q");
    translator.Designate(CharsetTranslator::GForIntermediate('('), Charset::DecGraphic);
    EXPECT_EQ(Show("lqk"), u"┌─┐");
    translator.Designate(0, Charset::DecTechnical);
    EXPECT_EQ(Show("q"), u"q");
}

TEST_F(CharsetTest, DesignationIntermediatesAndInvalidArgumentsAreIgnored) {
    EXPECT_EQ(CharsetTranslator::GForIntermediate(')'), 1);
    EXPECT_EQ(CharsetTranslator::GForIntermediate('.'), 2);
    EXPECT_EQ(CharsetTranslator::GForIntermediate('/'), 3);
    EXPECT_EQ(CharsetTranslator::GForIntermediate('%'), -1);
    translator.Designate(-1, Charset::DecGraphic);
    translator.Designate(4, Charset::DecGraphic);
    translator.Designate(0, Charset::Count);
    translator.LockShiftGL(7);
    translator.SingleShift(-2);
    EXPECT_EQ(Show("q"), u"q");
}

TEST_F(CharsetTest, UpperHalfFollowsThePrimarySetAndForceAscii) {
    EXPECT_EQ(Show("\xE9"), u"é");
    Set(P::PrimarySet, 8); // ISO Cyrillic
    EXPECT_EQ(Show("\xB0"), u"\u0410");
    // DEC Supplement designated into G0 means the user's primary set, not a DEC table.
    translator.Designate(0, Charset::DecSupplement);
    EXPECT_EQ(Show("0"), u"\u0410");
    Set(P::ForceASCII, 1);
    EXPECT_EQ(Show("\xC1"), u"A");
}

TEST_F(CharsetTest, ResolutionStopsWhenTheChoiceNamesTheUserSetsAgain) {
    Set(P::PrimarySet, Charset::DecSupplement);
    EXPECT_EQ(Show("\xA8\xD7\xA4\xFD"), u"¤Œ ÿ");
    Set(P::PrimarySet, Charset::Latin1);
    Set(P::SecondarySet, 5);
    EXPECT_EQ(Show("\xA1"), u"¡"); // 1 -> 4 is the Latin-1 rule, not SecondarySet
    translator.Designate(2, Charset::Latin1);
    EXPECT_EQ(Show("\xA1"), u"Ą"); // index 4 itself follows SecondarySet
}

TEST_F(CharsetTest, GrIsGraphicForCodePagesAndTheDecoder) {
    EXPECT_FALSE(translator.GrIsGraphic());
    Set(P::PrimarySet, 10);
    EXPECT_TRUE(translator.GrIsGraphic());
    translator.LockShiftGR(1); // DEC Graphic in GR: C1 controls again
    EXPECT_FALSE(translator.GrIsGraphic());
    EXPECT_EQ(Show("\xF1"), u"─");
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
}

TEST_F(CharsetTest, SingleShiftsUseTheirSetForOneByte) {
    translator.Designate(3, Charset::DecGraphic);
    translator.SingleShift(3);
    EXPECT_EQ(Show("qq"), u"─q");
    translator.SingleShift(2); // G2 is the user's supplemental set: Latin-1
    EXPECT_EQ(Show("AA"), u"ÁA");
    Set(P::DBCS, 1); // a single shift never reaches the decoder
    translator.SingleShift(2);
    EXPECT_EQ(Show("A"), u"Á");
}

TEST_F(CharsetTest, NationalReplacementSets) {
    Set(P::NRC, 6);
    EXPECT_EQ(Show("{|}~#A"), u"äöüß#A");
    translator.Designate(0, Charset::Ascii);
    EXPECT_EQ(settings.GetNumber(P::NRC), 0);
    EXPECT_EQ(Show("{"), u"{");
    translator.DesignateNational(1, 13);
    EXPECT_EQ(settings.GetNumber(P::NRC), 13);
    EXPECT_EQ(Show("#@[\\]^_`{|}~"), u"ùàéçêîèôäöüû");
    translator.DesignateNational(0, 1);
    EXPECT_EQ(Show("#["), u"£[");
    translator.DesignateNational(0, 15);
    EXPECT_EQ(settings.GetNumber(P::NRC), 1);
    Set(P::ForceASCII, 1); // the national set also applies to 7-bit-forced bytes
    EXPECT_EQ(Show("\xA3"), u"£");
}

TEST_F(CharsetTest, SoftFontUsesThePrivateRange) {
    translator.DesignateSoftFont(0);
    EXPECT_EQ(translator.Translate('A'), kSoftFontBase + 'A');
    EXPECT_EQ(translator.Translate(' '), kSoftFontBase + ' ');
    EXPECT_EQ(translator.Translate(0x7F), 0x7F);
    EXPECT_FALSE(translator.GlIsPlainAscii());
}

TEST_F(CharsetTest, SaveAndRestoreState) {
    translator.Designate(0, Charset::DecGraphic);
    translator.SingleShift(2);
    const CharsetTranslator::State saved = translator.SaveState();
    translator.Reset();
    EXPECT_EQ(Show("q"), u"q");
    translator.RestoreState(saved);
    EXPECT_EQ(Show("qq"), u"ñ─"); // the single shift came back too

    CharsetTranslator::State broken;
    broken.g[0] = 99;
    broken.gl = 200;
    translator.RestoreState(broken);
    EXPECT_EQ(Show("q"), u"q");
}

TEST_F(CharsetTest, RestoringDropsAPendingMultibyteCharacter) {
    Set(P::DBCS, 1);
    Set(P::DBCSSet, 5);
    const CharsetTranslator::State saved = translator.SaveState();
    EXPECT_EQ(Show("\xC3"), u"");
    translator.RestoreState(saved);
    EXPECT_EQ(Show("\xA9"), u"");
}

TEST_F(CharsetTest, Utf8Decoding) {
    Set(P::DBCS, 1);
    Set(P::DBCSSet, 5);
    EXPECT_EQ(Show("A\xE2\x94\x80\xC3\xA9"), u"A─é");
    EXPECT_EQ(Show("\xEF\xBF\xBD"), u"\xFFFD");
    // Stray continuations and interrupted sequences vanish.
    EXPECT_EQ(Show(std::string("\x80\xBF") + "A\xC3" + "B\xE2\x94" + "C"), u"ABC");
    // Overlong forms and surrogates give one replacement each.
    EXPECT_EQ(Show("\xC0\xAF\xC1\xBF\xE0\x80\xAF\xED\xA0\x80"), u"\xFFFD\xFFFD\xFFFD\xFFFD");
    // A four-byte sequence becomes one replacement and eats its continuations.
    EXPECT_EQ(Show("\xF0\x9F\x98\x80") + Show("A"), u"\uFFFDA");
    EXPECT_EQ(Show("\xF0\x9F") + Show("A\x98"), u"A");
    EXPECT_EQ(Show("\xF0\x9F\x98") + Show("A"), u"A");
    // A new lead abandons the pending sequence.
    EXPECT_EQ(Show("\xE2\xC3\xA9"), u"é");
    // Private-use codes never pose as soft-font characters.
    EXPECT_EQ(Show("\xEE\xBD\x81\xEE\x80\x80"), u"\xFFFD\xE000");
}

TEST_F(CharsetTest, ShiftJisPairsThroughTheCodePage) {
    Set(P::DBCS, 1);
    Set(P::DBCSSet, 3);
    EXPECT_EQ(translator.Translate(0x82), 0);
    EXPECT_EQ(translator.Translate(0xA0), u'あ');
    EXPECT_EQ(Show("A\x93\xFA\xB1"), u"A日ｱ"); // half-width katakana is no lead byte
    EXPECT_EQ(Show("\x81 B"), u"B");           // an invalid pair is dropped whole
}

TEST_F(CharsetTest, WorkstationDefaultCodePageDecodes) {
    SetSystemAnsiCodePage(936);
    Set(P::DBCS, 1);
    Set(P::DBCSSet, 0);
    EXPECT_EQ(Show("a\xC4\xE3"), u"a你");
    SetSystemAnsiCodePage(1252);
    EXPECT_EQ(Show("\x80\xE9"), u"€é");
}

TEST_F(CharsetTest, DecoderWithoutCodePageServiceDropsWhatItCannotConvert) {
    CharsetTranslator bare(settings);
    Set(P::DBCS, 1);
    Set(P::DBCSSet, 3);
    EXPECT_EQ(bare.Translate(0x82), 0);
    EXPECT_EQ(bare.Translate(0xA0), 0);
    EXPECT_EQ(bare.Translate('A'), 'A');
    Set(P::DBCSSet, 5);
    EXPECT_EQ(bare.Translate(0xC3), 0);
    EXPECT_EQ(bare.Translate(0xA9), u'é');
    EXPECT_EQ(bare.Encode(u'あ'), "\xE3\x81\x82");
}

TEST_F(CharsetTest, EncodeThroughGlAndGr) {
    EXPECT_EQ(translator.Encode(u'A'), "A");
    EXPECT_EQ(translator.Encode(u'\r'), "\r");
    EXPECT_EQ(translator.Encode(u'é'), "\xE9");
    EXPECT_EQ(translator.Encode(u'─'), "");
    Set(P::PrimarySet, 5);
    EXPECT_EQ(translator.Encode(u'Ą'), "\xA1");
    EXPECT_EQ(translator.Encode(u'ÿ'), ""); // not in Latin-2, single byte in 1252
    Set(P::NRC, 6);
    EXPECT_EQ(translator.Encode(u'ä'), "{");
    EXPECT_EQ(translator.Encode(u'A'), "A");
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
}

TEST_F(CharsetTest, EncodeCodePagesInGlAndGr) {
    Set(P::PrimarySet, 10);
    EXPECT_EQ(translator.Encode(u'Ç'), "\x80");
    translator.Designate(0, Charset::DecSupplement);
    // Positions below 0x20 are controls on the way out: found in GR instead.
    EXPECT_EQ(translator.Encode(u'Ç'), "\x80");
    EXPECT_EQ(translator.Encode(u'║'), "\x3A");
}

TEST_F(CharsetTest, EncodeFallsBackToDoubleByteAnsiOnly) {
    EXPECT_EQ(translator.Encode(u'あ'), "");
    SetSystemAnsiCodePage(932);
    EXPECT_EQ(translator.Encode(u'あ'), "\x82\xA0");
}

TEST_F(CharsetTest, EncodeInADoubleByteSessionUsesItsCodePage) {
    Set(P::DBCS, 1);
    Set(P::DBCSSet, 5);
    EXPECT_EQ(translator.Encode(u'A'), "A");
    EXPECT_EQ(translator.Encode(u'é'), "\xC3\xA9");
    EXPECT_EQ(translator.Encode(u'あ'), "\xE3\x81\x82");
    EXPECT_EQ(translator.Encode(char16_t{0xD800}), "");
    Set(P::DBCSSet, 3);
    EXPECT_EQ(translator.Encode(u'あ'), "\x82\xA0");
    EXPECT_EQ(translator.Encode(u'ｱ'), "\xB1");
    EXPECT_EQ(translator.Encode(u'é'), "");
}

} // namespace
} // namespace tamsivane
