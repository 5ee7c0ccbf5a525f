// Received bytes to 16-bit character codes through the G0-G3 designations and
// invocations, the user's International choices and the double-byte decoder;
// and typed characters back to the bytes the host expects.
#pragma once

#include <cstdint>
#include <string>

#include "config/SettingsStore.h"
#include "platform/CodePage.h"

namespace tamsivane {

// Indexes of the character-set list.
namespace Charset {
inline constexpr int Ascii = 0;
inline constexpr int DecSupplement = 1; // resolved through PrimarySet
inline constexpr int DecGraphic = 2;
inline constexpr int DecTechnical = 3;
inline constexpr int Latin1 = 4; // resolved through SecondarySet
inline constexpr int Count = 17;
inline constexpr int SoftFont = -1; // a G set holding the soft font
const char* Name(int index);       // nullptr outside 0..Count-1
const char* NationalName(int nrc); // 0 "United States (ASCII)" .. 14
inline constexpr int NationalCount = 15;
// The code page of the double-byte decoder that DBCSSet names: 936, 950, 932,
// 949, 65001 (UTF-8), or the system's ANSI code page for 0 and unknown values.
int DoubleByteCodePage(int dbcsSet);
} // namespace Charset

// First code of the private range that carries soft-font characters.
inline constexpr uint16_t kSoftFontBase = 0xEF00;

// Line-drawing shape 0-15 of a box-drawing code, or -1; every code below
// kFirstLineDrawingCode has none.
inline constexpr uint16_t kFirstLineDrawingCode = 0x23BA;
int LineDrawingShape(uint16_t code);

class CharsetTranslator {
public:
    struct State {
        int8_t g[4] = {Charset::Ascii, Charset::DecGraphic, Charset::DecSupplement,
                       Charset::DecSupplement};
        uint8_t gl = 0;
        uint8_t gr = 2;
        bool singleShift = false;
        uint8_t singleShiftG = 0;
    };

    // settings: NRC is written by designations; codePages converts the
    // non-UTF-8 double-byte code pages and the ANSI code page (may be null:
    // then only UTF-8 and Latin-1 conversions are available).
    explicit CharsetTranslator(SettingsStore& settings, const CodePageService* codePages = nullptr);

    void Reset(); // initial state, nothing pending
    const State& SaveState() const { return state_; }
    void RestoreState(const State& state); // also clears pending multibyte bytes

    // G from a designation intermediate: "(" 0, ")" 1, "*" 2, "+" 3, "-" 1,
    // "." 2, "/" 3; -1 for any other byte.
    static int GForIntermediate(uint8_t intermediate);
    void Designate(int g, int setIndex);     // ignored for g outside 0-3
    void DesignateNational(int g, int nrc);  // G gets ASCII, NRC gets nrc
    void DesignateSoftFont(int g);
    void LockShiftGL(int g);
    void LockShiftGR(int g);
    void SingleShift(int g);

    // Whether bytes 128-159 are graphic characters (GR holds an 8-bit code
    // page or the double-byte decoder) rather than C1 controls.
    bool GrIsGraphic() const;
    // Whether printable bytes 0x20-0x7E currently translate to themselves:
    // ASCII in GL without a national set, or a double-byte decoder with
    // nothing pending (no lead byte of a supported code page lies below 0x80).
    // Asked for every run of received text, so the usual case is inline.
    bool GlIsPlainAscii() const {
        if (state_.singleShift) return false;
        if (state_.g[state_.gl] != Charset::Ascii) return ResolvedGlIsPlainAscii();
        if (settings_.GetNumber(P::DBCS)) return pendingLength_ == 0;
        const int nrc = settings_.GetNumber(P::NRC);
        return nrc <= 0 || nrc >= Charset::NationalCount;
    }

    // The code for a received byte; 0 when nothing is to be written yet.
    uint16_t Translate(uint8_t byte);
    // The codes for a run of graphic bytes, all below 0x80 or all above, as
    // Translate gives them byte by byte (a byte that completes nothing gives
    // no code), until the bytes or the room run out.  Returns the bytes
    // taken, at least one; count is the codes written.  UTF-8 is decoded a
    // whole sequence at a time.
    size_t TranslateRun(const uint8_t* data, size_t length, uint16_t* codes, size_t room,
                        size_t& count);
    // Bytes to send for a typed character (empty: cannot be sent).
    std::string Encode(char16_t ch) const;

private:
    bool ResolvedGlIsPlainAscii() const;
    struct Resolved;
    Resolved SetInUse(int g, bool inGr, bool doubleByteRule) const;
    Resolved ResolveIndex(int index) const;
    int NationalSet() const;
    int DoubleByteCodePage() const;
    bool HalfIsDecoder(bool upper) const;
    uint16_t DecodeMultibyte(uint8_t byte);
    uint16_t DecodeInCodePage(uint8_t byte, int codePage);
    uint16_t DecodeUtf8(uint8_t byte);
    int FindForSending(const Resolved& set, char16_t ch, bool inGr) const;
    std::string EncodeInCodePage(int codePage, char16_t ch) const;

    SettingsStore& settings_;
    const CodePageService* codePages_;
    CodePageDecoder decoder_; // received characters of the non-UTF-8 code pages
    State state_;
    uint8_t pendingLead_ = 0;
    uint8_t pendingSecond_ = 0;
    uint8_t pendingLength_ = 0; // continuation bytes still expected
    int pendingCodePage_ = 0;   // the code page the pending bytes belong to
};

} // namespace tamsivane
