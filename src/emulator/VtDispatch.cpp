// The emulator as the parser's handler: the receive path, and what each
// reported unit (text, control, escape sequence, control sequence,
// device-control string) does, with its parameters turned into the
// arguments of the commands.
#include <iterator>
#include <string_view>
#include <utility>

#include "emulator/ControlNames.h"
#include "emulator/EmulatorHost.h"
#include "emulator/VtEmulator.h"

namespace tamsivane {

namespace {
constexpr uint8_t SO = 0x0E, SI = 0x0F;

// Where the entries for each final byte start in a dispatch table, and how
// many there are; the entries of one final must stand together.
struct FinalIndex {
    uint8_t first[128] = {};
    uint8_t count[128] = {};
};

template <typename Entry, size_t N>
constexpr FinalIndex IndexFinals(const Entry (&table)[N]) {
    FinalIndex index;
    for (size_t i = N; i-- > 0;) {
        const auto final = static_cast<uint8_t>(table[i].final);
        if (index.count[final] > 0 && index.first[final] != i + 1) throw "finals not grouped";
        index.first[final] = static_cast<uint8_t>(i);
        ++index.count[final];
    }
    return index;
}

// What a host sends to start a file transfer: ZPAD bytes, then CAN "B00".
constexpr char kTransferPad = '*';
constexpr std::string_view kTransferStart = "\x18"
                                            "B00";

// The "*" right before the first CAN "B00" in data that has any: where they
// begin and how many; (length, 0) when there are none.
std::pair<size_t, size_t> PaddedTransferStart(const uint8_t* data, size_t length) {
    const std::string_view text(reinterpret_cast<const char*>(data), length);
    for (size_t can = text.find(kTransferStart); can != std::string_view::npos;
         can = text.find(kTransferStart, can + 1)) {
        size_t pads = can;
        while (pads > 0 && text[pads - 1] == kTransferPad) --pads;
        if (pads < can) return {pads, can - pads};
    }
    return {length, 0};
}

} // namespace

// The byte hooks are looked at before each stretch the parser takes; the
// parser stops early when one of them is switched (a host-started script
// may start watching mid-block).  A transfer that starts takes the rest of
// the block, and the "*" that began its header are held until then, so that
// nothing of it is left on the page.
void VtEmulator::ReceiveBlock(const uint8_t* data, size_t length) {
    size_t i = 0;
    size_t searched = 0;   // transfer starts before this were looked for
    std::string_view held; // shown only if no transfer starts
    while (i < length) {
        size_t end = length;
        size_t pads = 0;
        if (held.empty() && searched < length && DetectsTransferStart()) {
            const auto [at, count] = PaddedTransferStart(data + searched, length - searched);
            end = searched + at;
            pads = count;
            searched = end + count + 1;
        }
        i = TakeUntilTransferStart(data, i, end);
        if (transferStarting_) {
            transferStarting_ = false;
            if (host_->StartFileReceive(data + i, length - i)) {
                held = {};
                break;
            }
            parser_.Parse(reinterpret_cast<const uint8_t*>(held.data()), held.size());
            held = {};
        } else if (pads > 0 && i == end) {
            // From the ground state CAN "B00" is certain to start a transfer.
            if (!ByteHooksActive() && parser_.State() == ParserState::Ground) {
                held = std::string_view(reinterpret_cast<const char*>(data + i), pads);
                i += pads;
            } else {
                i = TakeUntilTransferStart(data, i, i + pads);
            }
        }
    }
    parser_.Parse(reinterpret_cast<const uint8_t*>(held.data()), held.size());
    UpdateViews();
}

size_t VtEmulator::TakeUntilTransferStart(const uint8_t* data, size_t i, size_t end) {
    while (i < end && !transferStarting_) {
        if (ByteHooksActive())
            TakeByte(data[i++]);
        else
            i += parser_.Parse(data + i, end - i);
    }
    return i;
}

void VtEmulator::ReceiveByte(uint8_t byte) {
    TakeByte(byte);
    if (transferStarting_) {
        transferStarting_ = false;
        host_->StartFileReceive(nullptr, 0);
    }
}

void VtEmulator::TakeByte(uint8_t byte) {
    if (scriptWatch_) scriptWatch_ = host_->OfferToScripts(byte);
    if (captureOpen_ && settings_.GetNumber(P::CaptureDebug)) CaptureDebugByte(byte);
    if (settings_.GetNumber(P::Interpret) == 0) {
        DisplayByte(byte);
        return;
    }
    parser_.Feed(byte);
}

// Whether every received byte must pass the scripts, the capture file or the
// control display before it is parsed (the block writers do not capture).
bool VtEmulator::ByteHooksActive() const {
    return scriptWatch_ || captureOpen_ || settings_.GetNumber(P::Interpret) == 0;
}

void VtEmulator::CaptureDebugByte(uint8_t byte) {
    if (const char* name = ControlName(byte)) {
        std::string text = "<";
        text += name;
        text += '>';
        host_->Capture(text);
    } else {
        const char c = static_cast<char>(byte);
        host_->Capture(std::string_view(&c, 1));
    }
}

// Display-controls mode: graphic bytes are shown untranslated, controls by name
// in reversed colours; nothing is executed.
void VtEmulator::DisplayByte(uint8_t byte) {
    const char* name = ControlName(byte);
    if (!name) {
        WriteCharacter(byte);
        return;
    }
    const CellAttribute saved = attribute_;
    attribute_ = attribute_.ColoursExchanged();
    WriteCharacter('<');
    for (const char* p = name; *p; ++p) WriteCharacter(static_cast<uint8_t>(*p));
    WriteCharacter('>');
    attribute_ = saved;
}

// Graphic bytes: plain ASCII straight into the row while it stands for
// itself (the row writer does not capture), anything else translated a
// batch of codes at a time and written.  Printing changes no character set,
// so translating ahead of writing gives the same codes.
void VtEmulator::Print(const uint8_t* bytes, size_t length) {
    size_t i = 0;
    if (bytes[0] < 0x80 && !insertMode_ && !captureOpen_ && charsets_.GlIsPlainAscii())
        i = WritePrintableRun(bytes, length);
    uint16_t codes[64];
    while (i < length) {
        size_t count = 0;
        i += charsets_.TranslateRun(bytes + i, length - i, codes, std::size(codes), count);
        WriteCharacters(codes, count);
    }
}

// The controls that the grammar leaves to the emulator, in their 8-bit and
// 7-bit forms; every other one is ignored.
void VtEmulator::Execute(uint8_t control) {
    switch (control) {
    case 0x05: Answerback(); break;
    case 0x07:
        if (settings_.GetNumber(P::WarningBell)) host_->Bell();
        break;
    case 0x08: CursorLeftOne(); break;
    case 0x09: HorizontalTab(); break;
    case 0x0A:
    case 0x0B: LineFeed(false); break;
    case 0x0C: LineFeed(true); break;
    case 0x0D:
        if (settings_.GetNumber(P::NewLine) == 2) settings_.SetNumber(P::NewLine, 0);
        if (settings_.GetNumber(P::LFForCR)) Index();
        CarriageReturn();
        break;
    case SO: charsets_.LockShiftGL(1); break;
    case SI: charsets_.LockShiftGL(0); break;
    case 0x84: Index(); break;
    case 0x85: NextLine(); break;
    case 0x88: settings_.SetTabStop(cursorColumn_, true); break;
    case 0x8D: ReverseIndex(); break;
    case 0x8E: charsets_.SingleShift(2); break;
    case 0x8F: charsets_.SingleShift(3); break;
    case 0x9A: PrimaryDeviceAttributes(); break;
    default: break;
    }
}

bool VtEmulator::DetectsTransferStart() const { return settings_.GetNumber(P::AutoRecv) != 0; }
void VtEmulator::TransferStart() {
    // Handed over once the parser has returned, with the rest of the block.
    transferStarting_ = true;
    parser_.Interrupt();
}
void VtEmulator::PrinterData(std::string_view bytes) { host_->PrinterControllerData(bytes); }
void VtEmulator::PrinterControllerEnded() { host_->PrinterControllerEnded(); }

// DECUDK, DECDLD, the restore of tab stops and host-started scripts; every
// other string is discarded.
void VtEmulator::DeviceControlString(const SequenceCollector& sequence, uint8_t final,
                                     std::string_view data) {
    if (final == '|') {
        DefineUserKeys(data);
    } else if (final == '{') {
        // Pcn, Pe, Pcmh and Pcss; the font takes its width from the glyphs.
        SoftFont::LoadParameters parameters;
        parameters.start = sequence.Parameter(1, 0);
        parameters.erase =
            sequence.Parameter(2, 0) == 1 ? SoftFont::Erase::LoadedOnly : SoftFont::Erase::All;
        parameters.cellHeight = sequence.Parameter(6, 0);
        parameters.is96 = sequence.Parameter(7, 0) != 0;
        DownloadSoftFont(parameters, data);
    } else if (final == 't' && sequence.Has('$')) {
        // 2 restores the tab stops; 1, cursor information, is not kept.
        const int kind = sequence.Parameter(0, 0);
        if (kind == 0)
            RunHostScript(data, false);
        else if (kind == 2)
            RestoreTabStops(data);
    } else if (final == 's' && sequence.Has('$')) {
        RunHostScript(data, true);
    }
}

// --- escape sequences -------------------------------------------------------

namespace {

enum class EscWhen : uint8_t { Always, With, WithAnyOf, AnyIntermediate, NoIntermediate };

enum class EscDo : uint8_t {
    Ignore, Designate, DesignateNational, DesignatePreferred, LineSize, BackIndex, SaveCursor,
    RestoreCursor, Alignment, ForwardIndex, KeypadMode, Index, NextLine, TabSet, ReverseIndex,
    SingleShift, Identify, LockShiftGL, LockShiftGR, ResetInputModes,
};

struct EscapeEntry {
    char final;
    EscWhen when;
    const char* intermediates; // for With / WithAnyOf
    EscDo action;
    int argument;
};

// Checked in order; the first entry whose final and condition match is taken.
constexpr EscapeEntry kEscapeTable[] = {
    {'0', EscWhen::Always, nullptr, EscDo::Designate, Charset::DecGraphic},
    {'3', EscWhen::With, "#", EscDo::LineSize, LineSize::DoubleHeightTop},
    {'4', EscWhen::With, "#", EscDo::LineSize, LineSize::DoubleHeightBottom},
    {'4', EscWhen::Always, nullptr, EscDo::DesignateNational, 2},  // Dutch
    {'5', EscWhen::With, "#", EscDo::LineSize, LineSize::Single},
    {'5', EscWhen::With, "%", EscDo::Designate, Charset::DecSupplement},
    {'5', EscWhen::Always, nullptr, EscDo::DesignateNational, 3},  // Finnish
    {'6', EscWhen::With, "#", EscDo::LineSize, LineSize::DoubleWidth},
    {'6', EscWhen::With, "%", EscDo::DesignateNational, 10},       // Portuguese
    {'6', EscWhen::AnyIntermediate, nullptr, EscDo::DesignateNational, 8}, // Norwegian/Danish
    {'6', EscWhen::NoIntermediate, nullptr, EscDo::BackIndex, 0},
    {'7', EscWhen::AnyIntermediate, nullptr, EscDo::DesignateNational, 12}, // Swedish
    {'7', EscWhen::NoIntermediate, nullptr, EscDo::SaveCursor, 0},
    {'8', EscWhen::With, " ", EscDo::Ignore, 0},
    {'8', EscWhen::With, "#", EscDo::Alignment, 0},
    {'8', EscWhen::Always, nullptr, EscDo::RestoreCursor, 0},
    {'9', EscWhen::AnyIntermediate, nullptr, EscDo::DesignateNational, 5}, // French Canadian
    {'9', EscWhen::NoIntermediate, nullptr, EscDo::ForwardIndex, 0},
    {'<', EscWhen::AnyIntermediate, nullptr, EscDo::DesignatePreferred, 0},
    {'=', EscWhen::AnyIntermediate, nullptr, EscDo::DesignateNational, 13}, // Swiss
    {'=', EscWhen::NoIntermediate, nullptr, EscDo::KeypadMode, 0},          // DECKPAM
    {'>', EscWhen::AnyIntermediate, nullptr, EscDo::Designate, Charset::DecTechnical},
    {'>', EscWhen::NoIntermediate, nullptr, EscDo::KeypadMode, 1},          // DECKPNM
    {'A', EscWhen::WithAnyOf, "-./", EscDo::Designate, Charset::Latin1},
    {'A', EscWhen::Always, nullptr, EscDo::DesignateNational, 1},           // United Kingdom
    {'B', EscWhen::Always, nullptr, EscDo::Designate, Charset::Ascii},
    {'D', EscWhen::Always, nullptr, EscDo::Index, 0},
    {'E', EscWhen::Always, nullptr, EscDo::NextLine, 0},
    {'H', EscWhen::Always, nullptr, EscDo::TabSet, 0},
    {'K', EscWhen::Always, nullptr, EscDo::DesignateNational, 6},           // German
    {'M', EscWhen::With, " ", EscDo::Ignore, 0},
    {'M', EscWhen::Always, nullptr, EscDo::ReverseIndex, 0},
    {'N', EscWhen::With, " ", EscDo::Ignore, 0},
    {'N', EscWhen::Always, nullptr, EscDo::SingleShift, 2},
    {'O', EscWhen::Always, nullptr, EscDo::SingleShift, 3},
    {'R', EscWhen::Always, nullptr, EscDo::DesignateNational, 4},           // French
    {'Y', EscWhen::Always, nullptr, EscDo::DesignateNational, 7},           // Italian
    {'Z', EscWhen::NoIntermediate, nullptr, EscDo::Identify, 0},
    {'Z', EscWhen::AnyIntermediate, nullptr, EscDo::DesignateNational, 11}, // Spanish
    {'`', EscWhen::Always, nullptr, EscDo::DesignateNational, 9},           // Norwegian/Danish
    {'c', EscWhen::NoIntermediate, nullptr, EscDo::ResetInputModes, 0},     // RIS
    {'n', EscWhen::Always, nullptr, EscDo::LockShiftGL, 2},                 // LS2
    {'o', EscWhen::NoIntermediate, nullptr, EscDo::LockShiftGL, 3},         // LS3
    {'|', EscWhen::Always, nullptr, EscDo::LockShiftGR, 3},                 // LS3R
    {'}', EscWhen::Always, nullptr, EscDo::LockShiftGR, 2},                 // LS2R
    {'~', EscWhen::Always, nullptr, EscDo::LockShiftGR, 1},                 // LS1R
};

constexpr FinalIndex kEscapeIndex = IndexFinals(kEscapeTable);

// Tests in the order of how often hosts send them, not a switch: a jump
// through a table mispredicts whenever the escape sequences vary.
bool Matches(const EscapeEntry& e, const SequenceCollector& c) {
    if (e.when == EscWhen::Always) return true;
    if (e.when == EscWhen::NoIntermediate) return !c.AnyIntermediate();
    if (e.when == EscWhen::AnyIntermediate) return c.AnyIntermediate();
    if (e.when == EscWhen::With) return c.Has(static_cast<uint8_t>(e.intermediates[0]));
    for (const char* p = e.intermediates; *p; ++p) // WithAnyOf
        if (c.Has(static_cast<uint8_t>(*p))) return true;
    return false;
}

} // namespace

// The G set a designation addresses: its first designating intermediate.
static int DesignatedG(const SequenceCollector& c) {
    for (int i = 0; i < c.IntermediateCount(); ++i) {
        const int g = CharsetTranslator::GForIntermediate(c.Intermediates()[i]);
        if (g >= 0) return g;
    }
    return -1;
}

void VtEmulator::Designate(const SequenceCollector& sequence, int setIndex) {
    const int g = DesignatedG(sequence);
    if (g >= 0) charsets_.Designate(g, setIndex);
}

void VtEmulator::DesignateNational(const SequenceCollector& sequence, int nrc) {
    const int g = DesignatedG(sequence);
    if (g >= 0) charsets_.DesignateNational(g, nrc);
}

void VtEmulator::DesignateSoftFont(const SequenceCollector& sequence) {
    const int g = DesignatedG(sequence);
    if (g >= 0) charsets_.DesignateSoftFont(g);
}

// The soft font's own designation comes before the table.
void VtEmulator::Escape(const SequenceCollector& sequence, uint8_t final) {
    const std::string_view intermediates(reinterpret_cast<const char*>(sequence.Intermediates()),
                                         sequence.IntermediateCount());
    if (softFont_.Matches(final, intermediates)) {
        DesignateSoftFont(sequence);
        return;
    }
    if (final >= 0x80) return;
    const int first = kEscapeIndex.first[final];
    for (int i = first; i < first + kEscapeIndex.count[final]; ++i) {
        const EscapeEntry& e = kEscapeTable[i];
        if (!Matches(e, sequence)) continue;
        switch (e.action) {
        case EscDo::Ignore: break;
        case EscDo::Designate: Designate(sequence, e.argument); break;
        case EscDo::DesignateNational: DesignateNational(sequence, e.argument); break;
        case EscDo::DesignatePreferred: Designate(sequence, settings_.GetNumber(P::UPSS)); break;
        case EscDo::LineSize: SetLineSizeAtCursor(static_cast<uint16_t>(e.argument)); break;
        case EscDo::BackIndex: CursorLeftOne(); break;
        case EscDo::SaveCursor: SaveCursor(); break;
        case EscDo::RestoreCursor: RestoreCursor(); break;
        case EscDo::Alignment: ScreenAlignment(); break;
        case EscDo::ForwardIndex: ForwardIndex(); break;
        case EscDo::KeypadMode: SetParameter(P::NumericKeypad, e.argument); break;
        case EscDo::Index: Index(); break;
        case EscDo::NextLine: NextLine(); break;
        case EscDo::TabSet: settings_.SetTabStop(cursorColumn_, true); break;
        case EscDo::ReverseIndex: ReverseIndex(); break;
        case EscDo::SingleShift: charsets_.SingleShift(e.argument); break;
        case EscDo::Identify: PrimaryDeviceAttributes(); break;
        case EscDo::LockShiftGL: charsets_.LockShiftGL(e.argument); break;
        case EscDo::LockShiftGR: charsets_.LockShiftGR(e.argument); break;
        // A full reset keeps the screen and settings; it gives the mouse
        // and pasting back to the user, which a program that ended without
        // its own reset would otherwise keep.
        case EscDo::ResetInputModes: inputModes_ = HostInputModes{}; break;
        }
        return;
    }
}

// --- control sequences ------------------------------------------------------

namespace {
enum class CsiWhen : uint8_t {
    Always,        // intermediates and markers are not looked at
    With,          // the selector must have been collected
    NoIntermediate // nothing at all may have been collected
};

using Sequence = SequenceCollector;
} // namespace

void VtEmulator::ControlSequence(const SequenceCollector& sequence, uint8_t final) {
    using E = VtEmulator;
    struct Entry {
        char final;
        CsiWhen when;
        char selector;
        void (*command)(VtEmulator&, const Sequence&);
    };
    // The arguments of each command from the parameters: n for the first
    // parameter with its default, the area of a rectangle from parameter 1
    // or 2 on.
    static constexpr auto n0 = [](const Sequence& s) { return s.Parameter(0, 0); };
    static constexpr auto n1 = [](const Sequence& s) { return s.Parameter(0, 1); };
    static constexpr auto area = [](const Sequence& s, int first) {
        return AreaArgument{s.Given(first), s.Given(first + 1), s.Given(first + 2), s.Given(first + 3)};
    };
    static constexpr auto modes = [](E& e, const Sequence& s, bool set) {
        const bool dec = s.Has('?');
        for (int i = 0; i < s.Count(); ++i)
            if (const auto mode = s.Given(i)) e.SetMode(*mode, dec, set);
    };
    // Checked in order; variants selected by an intermediate come first.
    static constexpr Entry kTable[] = {
        {'@', CsiWhen::Always, 0, [](E& e, const Sequence& s) { e.InsertCharacters(n1(s)); }},
        {'A', CsiWhen::Always, 0, [](E& e, const Sequence& s) { e.CursorUp(n1(s)); }},
        {'B', CsiWhen::Always, 0, [](E& e, const Sequence& s) { e.CursorDown(n1(s)); }},
        {'C', CsiWhen::Always, 0, [](E& e, const Sequence& s) { e.CursorForward(n1(s)); }},
        {'D', CsiWhen::Always, 0, [](E& e, const Sequence& s) { e.CursorBackward(n1(s)); }},
        {'H', CsiWhen::Always, 0,
         [](E& e, const Sequence& s) { e.SetCursorPosition(n1(s), s.Parameter(1, 1)); }},
        {'f', CsiWhen::Always, 0,
         [](E& e, const Sequence& s) { e.SetCursorPosition(n1(s), s.Parameter(1, 1)); }},
        {'J', CsiWhen::With, '?', [](E& e, const Sequence& s) { e.EraseInDisplay(n0(s), true); }},
        {'J', CsiWhen::Always, 0, [](E& e, const Sequence& s) { e.EraseInDisplay(n0(s), false); }},
        {'K', CsiWhen::With, '?', [](E& e, const Sequence& s) { e.EraseInLine(n0(s), true); }},
        {'K', CsiWhen::Always, 0, [](E& e, const Sequence& s) { e.EraseInLine(n0(s), false); }},
        {'L', CsiWhen::Always, 0, [](E& e, const Sequence& s) { e.InsertLines(n1(s)); }},
        {'M', CsiWhen::Always, 0, [](E& e, const Sequence& s) { e.DeleteLines(n1(s)); }},
        {'P', CsiWhen::With, ' ', // PPA: no page given, nothing happens
         [](E& e, const Sequence& s) { if (const auto page = s.Given(0)) e.DisplayPage(*page - 1); }},
        {'P', CsiWhen::Always, 0, [](E& e, const Sequence& s) { e.DeleteCharacters(n1(s)); }},
        {'Q', CsiWhen::With, ' ', [](E& e, const Sequence& s) { e.PagePositionRelative(n1(s)); }},
        {'R', CsiWhen::With, ' ', [](E& e, const Sequence& s) { e.PagePositionBackward(n1(s)); }},
        {'U', CsiWhen::Always, 0, [](E& e, const Sequence& s) { e.NextPage(n1(s)); }},
        {'V', CsiWhen::Always, 0, [](E& e, const Sequence& s) { e.PrecedingPage(n1(s)); }},
        {'X', CsiWhen::Always, 0, [](E& e, const Sequence& s) { e.EraseCharacters(n1(s)); }},
        {'c', CsiWhen::With, '>', [](E& e, const Sequence&) { e.SecondaryDeviceAttributes(); }},
        {'c', CsiWhen::With, '=', [](E& e, const Sequence&) { e.TertiaryDeviceAttributes(); }},
        {'c', CsiWhen::Always, 0,
         [](E& e, const Sequence& s) { if (n0(s) == 0) e.PrimaryDeviceAttributes(); }},
        {'g', CsiWhen::Always, 0, [](E& e, const Sequence& s) { e.TabClear(n0(s)); }},
        {'h', CsiWhen::Always, 0, [](E& e, const Sequence& s) { modes(e, s, true); }},
        {'l', CsiWhen::Always, 0, [](E& e, const Sequence& s) { modes(e, s, false); }},
        {'i', CsiWhen::Always, 0, [](E& e, const Sequence& s) { e.MediaCopy(n0(s), s.Has('?')); }},
        {'m', CsiWhen::Always, 0, [](E& e, const Sequence& s) { e.SelectGraphicRendition(s); }},
        {'n', CsiWhen::Always, 0, // DSR: only the cursor position is reported
         [](E& e, const Sequence& s) { if (!s.Has('?') && n0(s) == 6) e.CursorPositionReport(); }},
        {'p', CsiWhen::With, '!', [](E& e, const Sequence&) { e.SoftResetState(); }}, // DECSTR
        {'p', CsiWhen::With, '$', // DECRQM
         [](E& e, const Sequence& s) { if (s.Has('?')) e.ReportDecMode(n0(s)); }},
        {'q', CsiWhen::With, '"', // DECSCA
         [](E& e, const Sequence& s) { e.SelectCharacterProtection(n0(s) == 1); }},
        {'q', CsiWhen::With, '*', [](E& e, const Sequence&) { e.SoftResetState(); }},
        {'r', CsiWhen::With, '$', // DECCARA
         [](E& e, const Sequence& s) { e.ChangeAttributesInRectangle(area(s, 0), s, 4); }},
        {'r', CsiWhen::NoIntermediate, 0, // DECSTBM
         [](E& e, const Sequence& s) { e.SetScrollingRegion(s.Given(0), s.Given(1)); }},
        {'s', CsiWhen::Always, 0, // DECSLRM
         [](E& e, const Sequence& s) { e.SetHorizontalMargins(n0(s), s.Parameter(1, 0)); }},
        {'t', CsiWhen::With, '$', // DECRARA
         [](E& e, const Sequence& s) { e.ReverseAttributesInRectangle(area(s, 0), s, 4); }},
        {'t', CsiWhen::NoIntermediate, 0, [](E& e, const Sequence& s) { e.SetLinesPerPage(s.Given(0)); }},
        {'v', CsiWhen::With, '$', // DECCRA
         [](E& e, const Sequence& s) {
             e.CopyRectangle(area(s, 0), {s.Given(4), s.Given(5), s.Given(6), s.Given(7)});
         }},
        {'x', CsiWhen::With, '$', // DECFRA
         [](E& e, const Sequence& s) { e.FillRectangle(s.Parameter(0, 32), area(s, 1)); }},
        {'x', CsiWhen::With, '*', [](E& e, const Sequence& s) { e.SelectAttributeChangeExtent(n0(s)); }},
        {'z', CsiWhen::With, '$', [](E& e, const Sequence& s) { e.EraseRectangle(area(s, 0)); }},
        {'{', CsiWhen::With, '$', [](E& e, const Sequence& s) { e.SelectiveEraseRectangle(area(s, 0)); }},
        {'|', CsiWhen::With, '$', [](E& e, const Sequence& s) { e.SetColumnsPerPage(s.Given(0)); }},
        {'}', CsiWhen::With, '$', [](E& e, const Sequence& s) { e.SelectActiveStatusDisplay(n0(s)); }},
        {'}', CsiWhen::With, '\'', [](E& e, const Sequence& s) { e.InsertColumns(n1(s)); }},
        {'~', CsiWhen::With, '\'', [](E& e, const Sequence& s) { e.DeleteColumns(n1(s)); }},
        {'~', CsiWhen::With, '$', [](E& e, const Sequence& s) { e.SelectStatusDisplayType(n1(s)); }},
    };
    static constexpr FinalIndex kIndex = IndexFinals(kTable);
    // Colons separate sub-parameters, which only renditions have; any other
    // sequence holding one is malformed and ignored.
    if (sequence.Has(':') && final != 'm' && !(sequence.Has('$') && (final == 'r' || final == 't')))
        return;
    const int first = kIndex.first[final & 0x7F];
    for (int i = first; i < first + kIndex.count[final & 0x7F]; ++i) {
        const Entry& e = kTable[i];
        const bool matches = e.when == CsiWhen::Always ||
                             (e.when == CsiWhen::With && sequence.Has(e.selector)) ||
                             (e.when == CsiWhen::NoIntermediate && !sequence.AnyIntermediate());
        if (!matches) continue;
        e.command(*this, sequence);
        return;
    }
}

} // namespace tamsivane
