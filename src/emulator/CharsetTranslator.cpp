#include "emulator/CharsetTranslator.h"

#include <algorithm>

#include "config/SettingsStore.h"
#include "emulator/CharsetTables.h"
#include "platform/CodePage.h"
#include "platform/Utf8.h"

namespace tamsivane {

namespace {

using charset_tables::CharsetRow;

constexpr uint16_t kReplacement = 0xFFFD;

// Code pages of the double-byte decoder by DBCSSet; 0 stands for the system's ANSI code page.
constexpr int kDoubleByteCodePages[] = {0, 936, 950, 932, 949, kUtf8CodePage};

bool ValidG(int g) { return g >= 0 && g <= 3; }
bool ValidSet(int index) { return index >= 0 && index < Charset::Count; }

bool MayStandInGr(int index) { return ValidSet(index) && charset_tables::Row(index).mayStandInGr; }

// The index a G set counts as when a character is encoded for sending: the soft
// font counts as ASCII; a set that may not stand in GR counts as ASCII in GL and
// is replaced by the user-preferred supplemental set in GR (ASCII when that one
// may not stand there either).
int SendingIndex(int index, bool inGr, int preferredSupplemental) {
    if (index == Charset::SoftFont || MayStandInGr(index)) {
        return index == Charset::SoftFont ? Charset::Ascii : index;
    }
    if (inGr && MayStandInGr(preferredSupplemental)) return preferredSupplemental;
    return Charset::Ascii;
}

// Decoded text never lands in the range that carries soft-font characters: a
// private-use code from the host would otherwise be drawn as a loaded glyph.
uint16_t OutsideSoftFontRange(uint16_t code) {
    return static_cast<uint16_t>(code - kSoftFontBase) <= 0xFF ? kReplacement : code;
}

// Continuation bytes a UTF-8 lead byte announces (0 for a byte that is not a
// lead), by its high four bits: a lookup, as leads of two and three bytes mix.
constexpr uint8_t kUtf8Continuations[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 2, 3};
int Utf8Continuations(uint8_t lead) { return kUtf8Continuations[lead >> 4]; }

bool IsUtf8Continuation(uint8_t byte) { return (byte & 0xC0) == 0x80; }

// The length of the sequence at data when the block holds all of it, or 0.
// Its continuation bytes (second, last, and the third of four) are tested
// together, without a loop whose length varies from one character to the next.
size_t WholeUtf8Sequence(const uint8_t* data, size_t length) {
    const size_t size = 1 + static_cast<size_t>(Utf8Continuations(data[0]));
    if (size == 1 || size > length) return 0;
    const int whole = int{IsUtf8Continuation(data[1])} & int{IsUtf8Continuation(data[size - 1])} &
                      int{IsUtf8Continuation(data[size > 2 ? size - 2 : 1])};
    return whole ? size : 0;
}

// The character of a complete sequence: lead, second (three-byte forms) and
// last byte.  Four-byte forms (beyond 16 bits), overlong forms and surrogates
// give U+FFFD.
uint16_t Utf8Character(uint8_t lead, uint8_t second, uint8_t last) {
    if (lead >= 0xF0) return kReplacement;
    uint32_t code;
    uint32_t smallest;
    if (lead >= 0xE0) {
        code = (lead & 0x0Fu) << 12 | (second & 0x3Fu) << 6 | (last & 0x3Fu);
        smallest = 0x800;
    } else {
        code = (lead & 0x1Fu) << 6 | (last & 0x3Fu);
        smallest = 0x80;
    }
    if (code < smallest || (code >= 0xD800 && code <= 0xDFFF)) return kReplacement;
    return static_cast<uint16_t>(code);
}

} // namespace

struct CharsetTranslator::Resolved {
    enum class Kind : uint8_t { Ascii, Latin1, Table, SoftFont, Decoder };
    Kind kind;
    const CharsetRow* row = nullptr;
};

CharsetTranslator::CharsetTranslator(SettingsStore& settings, const CodePageService* codePages)
    : settings_(settings), codePages_(codePages) {}

void CharsetTranslator::Reset() {
    state_ = State{};
    pendingLength_ = 0;
}

void CharsetTranslator::RestoreState(const State& state) {
    state_ = state;
    for (int8_t& g : state_.g) {
        if (g != Charset::SoftFont && !ValidSet(g)) g = Charset::Ascii;
    }
    state_.gl &= 3;
    state_.gr &= 3;
    state_.singleShiftG &= 3;
    pendingLength_ = 0;
}

int CharsetTranslator::GForIntermediate(uint8_t intermediate) {
    switch (intermediate) {
    case '(':
        return 0;
    case ')':
    case '-':
        return 1;
    case '*':
    case '.':
        return 2;
    case '+':
    case '/':
        return 3;
    default:
        return -1;
    }
}

void CharsetTranslator::Designate(int g, int setIndex) {
    if (!ValidG(g) || !ValidSet(setIndex)) return;
    state_.g[g] = static_cast<int8_t>(setIndex);
    if (setIndex == Charset::Ascii) settings_.SetNumber(P::NRC, 0);
}

void CharsetTranslator::DesignateNational(int g, int nrc) {
    if (!ValidG(g) || nrc < 0 || nrc >= Charset::NationalCount) return;
    state_.g[g] = Charset::Ascii;
    settings_.SetNumber(P::NRC, nrc);
}

void CharsetTranslator::DesignateSoftFont(int g) {
    if (ValidG(g)) state_.g[g] = Charset::SoftFont;
}

void CharsetTranslator::LockShiftGL(int g) {
    if (ValidG(g)) state_.gl = static_cast<uint8_t>(g);
}

void CharsetTranslator::LockShiftGR(int g) {
    if (ValidG(g)) state_.gr = static_cast<uint8_t>(g);
}

void CharsetTranslator::SingleShift(int g) {
    if (!ValidG(g)) return;
    state_.singleShift = true;
    state_.singleShiftG = static_cast<uint8_t>(g);
}

int CharsetTranslator::NationalSet() const {
    const int nrc = settings_.GetNumber(P::NRC);
    return nrc > 0 && nrc < Charset::NationalCount ? nrc : 0;
}

int Charset::DoubleByteCodePage(int dbcsSet) {
    if (dbcsSet <= 0 || dbcsSet >= static_cast<int>(std::size(kDoubleByteCodePages))) {
        return SystemAnsiCodePage();
    }
    return kDoubleByteCodePages[dbcsSet];
}

int CharsetTranslator::DoubleByteCodePage() const {
    return Charset::DoubleByteCodePage(settings_.GetNumber(P::DBCSSet));
}

// Index 1 stands for PrimarySet and 4 for SecondarySet.  A choice that names 1
// or 4 again means that set itself (the DEC Supplement table, the Latin-1 rule),
// so resolution never loops; a choice outside the list counts as Latin-1.
CharsetTranslator::Resolved CharsetTranslator::ResolveIndex(int index) const {
    using Kind = Resolved::Kind;
    if (index == Charset::SoftFont) return {Kind::SoftFont};
    if (index == Charset::DecSupplement) {
        index = settings_.GetNumber(P::PrimarySet);
    } else if (index == Charset::Latin1) {
        index = settings_.GetNumber(P::SecondarySet);
    }
    if (index == Charset::Ascii) return {Kind::Ascii};
    if (index == Charset::Latin1 || !ValidSet(index)) return {Kind::Latin1};
    return {Kind::Table, &charset_tables::Row(index)};
}

// With DBCS on, ASCII in GL and the sets chosen by the user (1, 4) in GR are the
// double-byte decoder.
CharsetTranslator::Resolved CharsetTranslator::SetInUse(int g, bool inGr,
                                                        bool doubleByteRule) const {
    const int index = state_.g[g];
    if (doubleByteRule) {
        const bool decoder = inGr ? index == Charset::DecSupplement || index == Charset::Latin1
                                  : index == Charset::Ascii;
        if (decoder) return {Resolved::Kind::Decoder};
    }
    return ResolveIndex(index);
}

bool CharsetTranslator::GrIsGraphic() const {
    const Resolved set = SetInUse(state_.gr, true, settings_.GetNumber(P::DBCS) != 0);
    return set.kind == Resolved::Kind::Decoder ||
           (set.kind == Resolved::Kind::Table && set.row->firstCode == 0);
}

// GL holds a set other than ASCII that may still resolve to it (through
// PrimarySet or SecondarySet), or to the double-byte decoder.
bool CharsetTranslator::ResolvedGlIsPlainAscii() const {
    switch (SetInUse(state_.gl, false, settings_.GetNumber(P::DBCS) != 0).kind) {
    case Resolved::Kind::Ascii: return NationalSet() == 0;
    case Resolved::Kind::Decoder: return pendingLength_ == 0;
    default: return false;
    }
}

uint16_t CharsetTranslator::Translate(uint8_t byte) {
    using Kind = Resolved::Kind;
    const bool doubleByte = settings_.GetNumber(P::DBCS) != 0;
    Resolved set{Kind::Ascii};
    uint8_t c = byte;
    if (byte >= 0x80) {
        c = static_cast<uint8_t>(byte - 0x80);
        if (settings_.GetNumber(P::ForceASCII) == 0) set = SetInUse(state_.gr, true, doubleByte);
    } else if (state_.singleShift) {
        state_.singleShift = false;
        set = SetInUse(state_.singleShiftG, false, false);
    } else {
        set = SetInUse(state_.gl, false, doubleByte);
    }

    switch (set.kind) {
    case Kind::Decoder:
        return DecodeMultibyte(byte);
    case Kind::SoftFont:
        return c >= 0x20 && c <= 0x7E ? static_cast<uint16_t>(kSoftFontBase + c) : c;
    case Kind::Ascii:
        if (const char16_t* national = charset_tables::NationalReplacements(NationalSet())) {
            const char* codes = charset_tables::kNationalCodes;
            const char* hit = std::find(codes, codes + 12, static_cast<char>(c));
            if (hit != codes + 12) return national[hit - codes];
        }
        return c;
    case Kind::Latin1:
        return static_cast<uint16_t>(c + 0x80);
    case Kind::Table:
        return c >= set.row->firstCode ? set.row->table[c - set.row->firstCode] : byte;
    }
    return 0;
}

// Whether bytes of this half go to the double-byte decoder, as Translate
// chooses the set: ASCII in GL, a set chosen by the user in GR.
bool CharsetTranslator::HalfIsDecoder(bool upper) const {
    if (!settings_.GetNumber(P::DBCS)) return false;
    if (upper) {
        return settings_.GetNumber(P::ForceASCII) == 0 &&
               SetInUse(state_.gr, true, true).kind == Resolved::Kind::Decoder;
    }
    return !state_.singleShift && SetInUse(state_.gl, false, true).kind == Resolved::Kind::Decoder;
}

size_t CharsetTranslator::TranslateRun(const uint8_t* data, size_t length, uint16_t* codes,
                                       size_t room, size_t& count) {
    count = 0;
    size_t i = 0;
    if (!HalfIsDecoder(data[0] >= 0x80)) {
        for (; i < length && count < room; ++i)
            if (const uint16_t code = Translate(data[i])) codes[count++] = code;
        return i;
    }
    // The decoder's sets and code page stay for the run: they are looked up once.
    const int codePage = DoubleByteCodePage();
    while (i < length && count < room) {
        uint16_t code;
        // A whole UTF-8 sequence in the block and nothing pending: decoded in one step.
        if (const size_t size = codePage == kUtf8CodePage && pendingLength_ == 0
                                    ? WholeUtf8Sequence(data + i, length - i)
                                    : 0) {
            code = OutsideSoftFontRange(Utf8Character(data[i], data[i + 1], data[i + size - 1]));
            i += size;
        } else {
            code = OutsideSoftFontRange(DecodeInCodePage(data[i++], codePage));
        }
        if (code) codes[count++] = code;
    }
    return i;
}

uint16_t CharsetTranslator::DecodeMultibyte(uint8_t byte) {
    return OutsideSoftFontRange(DecodeInCodePage(byte, DoubleByteCodePage()));
}

uint16_t CharsetTranslator::DecodeInCodePage(uint8_t byte, int codePage) {
    if (codePage != pendingCodePage_) {
        pendingLength_ = 0;
        pendingCodePage_ = codePage;
    }
    if (codePage == kUtf8CodePage) return DecodeUtf8(byte);

    if (pendingLength_ != 0) {
        pendingLength_ = 0;
        return codePages_ != nullptr ? decoder_.Pair(codePage, pendingLead_, byte) : 0;
    }
    if (CodePageService::IsLeadByte(codePage, byte)) {
        pendingLead_ = byte;
        pendingLength_ = 1;
        return 0;
    }
    if (byte < 0x80) return byte;
    // A single upper-half byte is a character of the code page itself (the
    // half-width katakana of 932, the euro sign of 936 ...), not a Latin-1 code.
    return codePages_ != nullptr ? decoder_.Single(codePage, byte) : 0;
}

// Every complete sequence gives exactly one code: a valid character of the basic
// plane, or U+FFFD for an overlong form, a surrogate or a four-byte sequence
// (lead 0xF0 and above, beyond 16 bits).  Bytes that belong to no complete
// sequence (stray continuations, a lead interrupted by another byte) are dropped.
uint16_t CharsetTranslator::DecodeUtf8(uint8_t byte) {
    if (byte < 0x80) {
        pendingLength_ = 0;
        return byte;
    }
    if (byte >= 0xC0) {
        pendingLead_ = byte;
        pendingLength_ = static_cast<uint8_t>(Utf8Continuations(byte));
        return 0;
    }
    if (pendingLength_ == 0) return 0;
    if (--pendingLength_ != 0) {
        pendingSecond_ = byte;
        return 0;
    }
    return Utf8Character(pendingLead_, pendingSecond_, byte);
}

// Position 0-127 of ch in a set, or -1.  In GL only the printable positions
// 0x20-0x7E are used: the other bytes are controls on the way out.  Table
// entries that are spaces stand for unassigned positions and are never chosen.
int CharsetTranslator::FindForSending(const Resolved& set, char16_t ch, bool inGr) const {
    using Kind = Resolved::Kind;
    switch (set.kind) {
    case Kind::Ascii:
    case Kind::SoftFont:
    case Kind::Decoder:
        if (const char16_t* national = charset_tables::NationalReplacements(NationalSet())) {
            for (int i = 0; i < 12; ++i) {
                if (national[i] == ch) return charset_tables::kNationalCodes[i];
            }
        }
        return ch >= 0x20 && ch < 0x7F ? ch : -1;
    case Kind::Latin1:
        return ch >= 0xA0 && ch <= 0xFF ? ch - 0x80 : -1;
    case Kind::Table: {
        if (ch == 0x20) return -1;
        const int first = set.row->firstCode;
        const int from = inGr ? first : std::max(first, 0x20);
        const int to = inGr ? 0x7F : 0x7E;
        for (int position = from; position <= to; ++position) {
            if (set.row->table[position - first] == ch) return position;
        }
        return -1;
    }
    }
    return -1;
}

std::string CharsetTranslator::EncodeInCodePage(int codePage, char16_t ch) const {
    if (codePage == kUtf8CodePage) {
        std::string out;
        AppendUtf8(out, ch);
        return out;
    }
    return codePages_ != nullptr ? codePages_->FromUnicode(codePage, ch) : std::string();
}

std::string CharsetTranslator::Encode(char16_t ch) const {
    const bool control = ch < 0x20 || ch == 0x7F || (ch >= 0x80 && ch < 0xA0);
    if (control) return std::string(1, static_cast<char>(ch));

    const int preferred = settings_.GetNumber(P::UPSS);
    const Resolved gl = ResolveIndex(SendingIndex(state_.g[state_.gl], false, preferred));
    if (const int position = FindForSending(gl, ch, false); position >= 0) {
        return std::string(1, static_cast<char>(position));
    }
    // A double-byte session speaks its code page in the upper half: a bare
    // Latin-1 byte there would be read as a lead byte or a broken sequence.
    if (settings_.GetNumber(P::DBCS) != 0) return EncodeInCodePage(DoubleByteCodePage(), ch);

    const Resolved gr = ResolveIndex(SendingIndex(state_.g[state_.gr], true, preferred));
    if (const int position = FindForSending(gr, ch, true); position >= 0) {
        return std::string(1, static_cast<char>(position + 0x80));
    }
    if (codePages_ == nullptr) return {};
    std::string ansi = codePages_->FromUnicode(SystemAnsiCodePage(), ch);
    return ansi.size() == 2 ? ansi : std::string();
}

} // namespace tamsivane
