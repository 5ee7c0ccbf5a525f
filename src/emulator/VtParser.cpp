// The byte-driven parser: ground, escape, control sequence, device control
// string, printer controller and file-transfer start detection.
#include <filesystem>
#include <fstream>

#include "emulator/ControlNames.h"
#include "emulator/EmulatorHost.h"
#include "emulator/VtEmulator.h"

namespace tamsivane {

namespace {
constexpr uint8_t SO = 0x0E, SI = 0x0F, CAN = 0x18, SUB = 0x1A, ESC = 0x1B;
constexpr uint8_t BEL = 0x07, DCS = 0x90, CSI = 0x9B, ST = 0x9C, OSC = 0x9D, PM = 0x9E, APC = 0x9F;
constexpr const char kTransferStart[] = "B00";
constexpr size_t kMaxScriptFileSize = 1 << 20;
constexpr bool IsC1(uint8_t byte) { return byte >= 0x7F && byte < 0xA0; }

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
} // namespace

void VtEmulator::SetState(ParserState state) {
    state_ = state;
    if (state == ParserState::Escape || state == ParserState::ControlSequence) {
        collector_.Clear();
    } else if (state == ParserState::DeviceControlString) {
        collector_.Clear();
        stringSubState_ = 0;
        stringFinal_ = 0;
        stringData_.clear();
        stringOverflow_ = false;
    }
    matchCount_ = 0;
}

// Beside the parser, so that the per-byte calls below can be inlined.
// The byte hooks are looked at once per block, and again only when one of
// them was switched (a host-started script may start watching mid-block).
void VtEmulator::ReceiveBlock(const uint8_t* data, size_t length) {
    size_t i = 0;
    hooksSwitched_ = false;
    bool hooks = ByteHooksActive();
    while (i < length) {
        if (hooks)
            ReceiveByte(data[i++]);
        else if (state_ == ParserState::Ground)
            i += GroundRun(data + i, length - i);
        else if (state_ == ParserState::ControlSequence)
            i += ControlSequenceRun(data + i, length - i);
        else
            ParseByte(data[i++]);
        if (hooksSwitched_) {
            hooksSwitched_ = false;
            hooks = ByteHooksActive();
        }
    }
    UpdateViews();
}

void VtEmulator::ReceiveByte(uint8_t byte) {
    if (scriptWatch_) scriptWatch_ = host_->OfferToScripts(byte);
    if (captureOpen_ && settings_.GetNumber(P::CaptureDebug)) CaptureDebugByte(byte);
    if (settings_.GetNumber(P::Interpret) == 0) {
        DisplayByte(byte);
        return;
    }
    ParseByte(byte);
}

void VtEmulator::ParseByte(uint8_t byte) {
    switch (state_) {
    case ParserState::Ground: GroundByte(byte); break;
    case ParserState::Escape: EscapeByte(byte); break;
    case ParserState::ControlSequence: ControlSequenceByte(byte); break;
    case ParserState::DeviceControlString: StringByte(byte); break;
    case ParserState::PrinterController: PrinterControllerByte(byte); break;
    case ParserState::TransferStart: TransferStartByte(byte); break;
    case ParserState::IgnoredString: IgnoredStringByte(byte); break;
    }
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
    const uint16_t saved = attribute_;
    const uint16_t fg = (attribute_ & Attr::ForegroundMask) >> Attr::ForegroundShift;
    const uint16_t bg = (attribute_ & Attr::BackgroundMask) >> Attr::BackgroundShift;
    attribute_ = static_cast<uint16_t>((attribute_ & 0x00FF) | (bg << Attr::ForegroundShift) |
                                       (fg << Attr::BackgroundShift));
    WriteCharacter('<');
    for (const char* p = name; *p; ++p) WriteCharacter(static_cast<uint8_t>(*p));
    WriteCharacter('>');
    attribute_ = saved;
}

// 128-159 are graphic when GR holds an 8-bit code page or the double-byte decoder.
bool VtEmulator::IsGroundControl(uint8_t byte) const {
    return byte < 0x20 || byte == 0x7F || (IsC1(byte) && !charsets_.GrIsGraphic());
}

void VtEmulator::GroundByte(uint8_t byte) {
    if (IsGroundControl(byte)) {
        ExecuteControl(byte);
        return;
    }
    if (const uint16_t code = charsets_.Translate(byte)) WriteCharacter(code);
}

// Whether every received byte must pass the scripts, the capture file or the
// control display before it is parsed (the block writers do not capture).
bool VtEmulator::ByteHooksActive() const {
    return scriptWatch_ || captureOpen_ || settings_.GetNumber(P::Interpret) == 0;
}

// The ground state while no byte hook is active, until a byte leaves it:
// runs of plain ASCII are written as blocks, other graphic bytes translated
// and written, controls executed.  Returns the bytes consumed.
size_t VtEmulator::GroundRun(const uint8_t* data, size_t length) {
    size_t i = 0;
    while (i < length && state_ == ParserState::Ground) {
        const uint8_t byte = data[i];
        if (IsPrintableAscii(byte) && !insertMode_ && charsets_.GlIsPlainAscii()) {
            const size_t written = WritePrintableRun(data + i, length - i);
            i += written;
            if (written > 0) continue;
        }
        // A UTF-8 session: a whole sequence at a time.
        if (byte >= 0x80 && charsets_.GrIsUtf8Decoder()) {
            uint16_t code = 0;
            i += charsets_.TranslateUtf8Sequence(data + i, length - i, code);
            if (code) WriteCharacter(code);
            continue;
        }
        // ESC [ is by far the most frequent introducer: straight to the
        // control-sequence state, as the escape table would do.
        if (byte == ESC && i + 1 < length && data[i + 1] == '[' && !softFont_.Matches('[', {})) {
            SetState(ParserState::ControlSequence);
            return i + 2;
        }
        ++i;
        GroundByte(byte);
    }
    return i;
}

// C0 controls in every state, and C1 controls in their 8-bit and 7-bit forms.
void VtEmulator::ExecuteControl(uint8_t byte) {
    switch (byte) {
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
    case CAN:
        SetState(settings_.GetNumber(P::AutoRecv) ? ParserState::TransferStart
                                                  : ParserState::Ground);
        break;
    case SUB: SetState(ParserState::Ground); break;
    case ESC: SetState(ParserState::Escape); break;
    case 0x84: Index(); break;
    case 0x85: NextLine(); break;
    case 0x88: settings_.SetTabStop(cursorColumn_, true); break;
    case 0x8D: ReverseIndex(); break;
    case 0x8E: charsets_.SingleShift(2); break;
    case 0x8F: charsets_.SingleShift(3); break;
    case DCS: SetState(ParserState::DeviceControlString); break;
    case 0x9A: PrimaryDeviceAttributes(); break;
    case CSI: SetState(ParserState::ControlSequence); break;
    case ST: SetState(ParserState::Ground); break;
    case OSC: StartIgnoredString(']'); break;
    case PM: StartIgnoredString('^'); break;
    case APC: StartIgnoredString('_'); break;
    default: break; // every other control is ignored
    }
}

void VtEmulator::EscapeByte(uint8_t byte) {
    if (byte < 0x20 || IsC1(byte)) {
        ExecuteControl(byte);
    } else if (byte < 0x30) {
        collector_.Collect(byte);
    } else {
        SetState(ParserState::Ground);
        DispatchEscape(byte);
    }
}

void VtEmulator::ControlSequenceByte(uint8_t byte) {
    if (byte < 0x20 || IsC1(byte)) {
        ExecuteControl(byte);
    } else if (byte < 0x40) {
        collector_.Collect(byte);
    } else if (byte < 0x7F) {
        SetState(ParserState::Ground);
        DispatchControlSequence(byte);
    } else {
        SetState(ParserState::Ground);
    }
}

// Parameters and intermediates of a control sequence up to the byte that
// ends it or interrupts it, which goes through ControlSequenceByte.
size_t VtEmulator::ControlSequenceRun(const uint8_t* data, size_t length) {
    size_t i = 0;
    while (i < length) {
        const uint8_t byte = data[i++];
        if (byte >= 0x20 && byte < 0x40) {
            collector_.Collect(byte);
        } else {
            ControlSequenceByte(byte);
            break;
        }
    }
    return i;
}

void VtEmulator::StringByte(uint8_t byte) {
    if (byte == CAN || byte == SUB) {
        // Cancels the string: nothing of it is executed.
        SetState(ParserState::Ground);
        return;
    }
    switch (stringSubState_) {
    case 0:
        if (byte >= 0x40 && byte <= 0x7E) {
            stringFinal_ = byte;
            stringSubState_ = 1;
        } else if (byte > 0x7E) {
            SetState(ParserState::Ground);
        } else {
            collector_.Collect(byte);
        }
        return;
    case 1:
        if (byte == ESC) {
            stringSubState_ = 2;
        } else if (byte == ST) {
            CompleteString();
            SetState(ParserState::Ground);
        } else if (stringData_.size() < kMaxStringData) {
            stringData_.push_back(static_cast<char>(byte));
        } else {
            // Too long: the whole string is dropped, and memory stays bounded.
            stringOverflow_ = true;
        }
        return;
    default:
        if (byte == '\\') {
            CompleteString();
            SetState(ParserState::Ground);
        } else {
            SetState(ParserState::Escape);
            EscapeByte(byte);
        }
        return;
    }
}

// Operating-system commands, privacy messages and application program
// commands are read to their end and discarded.  Nothing of them is kept, so
// any length stays bounded.  An operating-system command may also end in BEL.
void VtEmulator::StartIgnoredString(uint8_t introducer) {
    SetState(ParserState::IgnoredString);
    stringSubState_ = 0;
    stringFinal_ = introducer;
}

void VtEmulator::IgnoredStringByte(uint8_t byte) {
    if (stringSubState_ == 1) {
        if (byte == '\\') {
            SetState(ParserState::Ground);
        } else {
            SetState(ParserState::Escape);
            EscapeByte(byte);
        }
    } else if (byte == ESC) {
        stringSubState_ = 1;
    } else if (byte == CAN || byte == SUB || (byte == ST && !charsets_.GrIsGraphic()) ||
               (byte == BEL && stringFinal_ == ']')) {
        SetState(ParserState::Ground);
    }
}

void VtEmulator::TransferStartByte(uint8_t byte) {
    if (byte != static_cast<uint8_t>(kTransferStart[matchCount_])) {
        SetState(ParserState::Ground);
        return;
    }
    if (++matchCount_ == sizeof(kTransferStart) - 1) {
        SetState(ParserState::Ground);
        host_->StartFileReceive();
    }
}

void VtEmulator::PrinterControllerByte(uint8_t byte) {
    printerBytes_.clear();
    const bool ended = printerFilter_.Feed(byte, printerBytes_);
    if (!printerBytes_.empty()) host_->PrinterControllerData(printerBytes_);
    if (ended) {
        host_->PrinterControllerEnded();
        SetState(ParserState::Ground);
    }
}

void VtEmulator::CompleteString() {
    if (stringOverflow_ || stringData_.empty()) return;
    const std::string_view data = stringData_;
    if (stringFinal_ == '|') {
        DefineUserKeys(data);
    } else if (stringFinal_ == '{') {
        DownloadSoftFont(data);
    } else if (stringFinal_ == 't' && collector_.Has('$')) {
        // 2 restores the tab stops; 1, cursor information, is not kept.
        const int kind = collector_.Parameter(0, 0);
        if (kind == 0)
            RunHostScript(data, false);
        else if (kind == 2)
            RestoreTabStops(data);
    } else if (stringFinal_ == 's' && collector_.Has('$')) {
        RunHostScript(data, true);
    }
}

// The host names the file, so only a regular file is read, and at most a
// bounded amount of it: a device or a pipe would never end.
void VtEmulator::RunHostScript(std::string_view data, bool isFileName) {
    if (!isFileName) {
        host_->RunHostScript(data, "<No Name>");
        return;
    }
    const std::string name(data);
    std::error_code error;
    std::string text;
    bool loaded = std::filesystem::is_regular_file(name, error) &&
                  std::filesystem::file_size(name, error) <= kMaxScriptFileSize && !error;
    if (loaded) {
        std::ifstream file(name, std::ios::binary);
        text.resize(kMaxScriptFileSize + 1);
        file.read(text.data(), static_cast<std::streamsize>(text.size()));
        text.resize(static_cast<size_t>(file.gcount()));
        loaded = !file.bad() && text.size() <= kMaxScriptFileSize;
    }
    if (!loaded) {
        host_->ShowMessage("Cannot load script file.");
        return;
    }
    host_->RunHostScript(text, name);
}

// --- escape sequences -------------------------------------------------------

namespace {

enum class EscWhen : uint8_t { Always, With, WithAnyOf, AnyIntermediate, NoIntermediate };

enum class EscDo : uint8_t {
    Ignore, Designate, DesignateNational, DesignatePreferred, LineSize, BackIndex, SaveCursor,
    RestoreCursor, Alignment, ForwardIndex, KeypadMode, Index, NextLine, TabSet, ReverseIndex,
    SingleShift, DeviceControlString, IgnoredString, ControlSequence, StringTerminator, Identify, LockShiftGL,
    LockShiftGR,
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
    {'P', EscWhen::Always, nullptr, EscDo::DeviceControlString, 0},
    {'R', EscWhen::Always, nullptr, EscDo::DesignateNational, 4},           // French
    {'Y', EscWhen::Always, nullptr, EscDo::DesignateNational, 7},           // Italian
    {'Z', EscWhen::NoIntermediate, nullptr, EscDo::Identify, 0},
    {'Z', EscWhen::AnyIntermediate, nullptr, EscDo::DesignateNational, 11}, // Spanish
    {'[', EscWhen::Always, nullptr, EscDo::ControlSequence, 0},
    {'\\', EscWhen::Always, nullptr, EscDo::StringTerminator, 0},
    {']', EscWhen::Always, nullptr, EscDo::IgnoredString, 0},
    {'^', EscWhen::Always, nullptr, EscDo::IgnoredString, 0},
    {'_', EscWhen::Always, nullptr, EscDo::IgnoredString, 0},
    {'`', EscWhen::Always, nullptr, EscDo::DesignateNational, 9},           // Norwegian/Danish
    {'n', EscWhen::Always, nullptr, EscDo::LockShiftGL, 2},                 // LS2
    {'o', EscWhen::NoIntermediate, nullptr, EscDo::LockShiftGL, 3},         // LS3
    {'|', EscWhen::Always, nullptr, EscDo::LockShiftGR, 3},                 // LS3R
    {'}', EscWhen::Always, nullptr, EscDo::LockShiftGR, 2},                 // LS2R
    {'~', EscWhen::Always, nullptr, EscDo::LockShiftGR, 1},                 // LS1R
};

constexpr FinalIndex kEscapeIndex = IndexFinals(kEscapeTable);

bool Matches(const EscapeEntry& e, const SequenceCollector& c) {
    switch (e.when) {
    case EscWhen::Always: return true;
    case EscWhen::With: return c.Has(static_cast<uint8_t>(e.intermediates[0]));
    case EscWhen::WithAnyOf:
        for (const char* p = e.intermediates; *p; ++p)
            if (c.Has(static_cast<uint8_t>(*p))) return true;
        return false;
    case EscWhen::AnyIntermediate: return c.AnyIntermediate();
    case EscWhen::NoIntermediate: return !c.AnyIntermediate();
    }
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

void VtEmulator::Designate(int setIndex) {
    const int g = DesignatedG(collector_);
    if (g >= 0) charsets_.Designate(g, setIndex);
}

void VtEmulator::DesignateNational(int nrc) {
    const int g = DesignatedG(collector_);
    if (g >= 0) charsets_.DesignateNational(g, nrc);
}

void VtEmulator::DispatchEscape(uint8_t final) {
    const std::string_view intermediates(reinterpret_cast<const char*>(collector_.Intermediates()),
                                         collector_.IntermediateCount());
    if (softFont_.Matches(final, intermediates)) {
        const int g = DesignatedG(collector_);
        if (g >= 0) charsets_.DesignateSoftFont(g);
        return;
    }
    if (final >= 0x80) return;
    const int first = kEscapeIndex.first[final];
    for (int i = first; i < first + kEscapeIndex.count[final]; ++i) {
        const EscapeEntry& e = kEscapeTable[i];
        if (!Matches(e, collector_)) continue;
        switch (e.action) {
        case EscDo::Ignore: break;
        case EscDo::Designate: Designate(e.argument); break;
        case EscDo::DesignateNational: DesignateNational(e.argument); break;
        case EscDo::DesignatePreferred: Designate(settings_.GetNumber(P::UPSS)); break;
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
        case EscDo::DeviceControlString: SetState(ParserState::DeviceControlString); break;
        case EscDo::IgnoredString: StartIgnoredString(static_cast<uint8_t>(e.final)); break;
        case EscDo::ControlSequence: SetState(ParserState::ControlSequence); break;
        case EscDo::StringTerminator: SetState(ParserState::Ground); break;
        case EscDo::Identify: PrimaryDeviceAttributes(); break;
        case EscDo::LockShiftGL: charsets_.LockShiftGL(e.argument); break;
        case EscDo::LockShiftGR: charsets_.LockShiftGR(e.argument); break;
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
} // namespace

void VtEmulator::DispatchControlSequence(uint8_t final) {
    struct Entry {
        char final;
        CsiWhen when;
        char selector;
        Handler handler;
    };
    // Checked in order; variants selected by an intermediate come first.
    static constexpr Entry kTable[] = {
        {'@', CsiWhen::Always, 0, &VtEmulator::CsiInsertCharacters},
        {'A', CsiWhen::Always, 0, &VtEmulator::CsiCursorUp},
        {'B', CsiWhen::Always, 0, &VtEmulator::CsiCursorDown},
        {'C', CsiWhen::Always, 0, &VtEmulator::CsiCursorForward},
        {'D', CsiWhen::Always, 0, &VtEmulator::CsiCursorBackward},
        {'H', CsiWhen::Always, 0, &VtEmulator::CsiCursorPosition},
        {'f', CsiWhen::Always, 0, &VtEmulator::CsiCursorPosition},
        {'J', CsiWhen::With, '?', &VtEmulator::CsiSelectiveEraseInDisplay},
        {'J', CsiWhen::Always, 0, &VtEmulator::CsiEraseInDisplay},
        {'K', CsiWhen::With, '?', &VtEmulator::CsiSelectiveEraseInLine},
        {'K', CsiWhen::Always, 0, &VtEmulator::CsiEraseInLine},
        {'L', CsiWhen::Always, 0, &VtEmulator::CsiInsertLines},
        {'M', CsiWhen::Always, 0, &VtEmulator::CsiDeleteLines},
        {'P', CsiWhen::With, ' ', &VtEmulator::CsiPagePositionAbsolute},
        {'P', CsiWhen::Always, 0, &VtEmulator::CsiDeleteCharacters},
        {'Q', CsiWhen::With, ' ', &VtEmulator::CsiPagePositionRelative},
        {'R', CsiWhen::With, ' ', &VtEmulator::CsiPagePositionBackward},
        {'U', CsiWhen::Always, 0, &VtEmulator::CsiNextPage},
        {'V', CsiWhen::Always, 0, &VtEmulator::CsiPrecedingPage},
        {'X', CsiWhen::Always, 0, &VtEmulator::CsiEraseCharacters},
        {'c', CsiWhen::With, '>', &VtEmulator::SecondaryDeviceAttributes},
        {'c', CsiWhen::With, '=', &VtEmulator::TertiaryDeviceAttributes},
        {'c', CsiWhen::Always, 0, &VtEmulator::CsiPrimaryDeviceAttributes},
        {'g', CsiWhen::Always, 0, &VtEmulator::CsiTabClear},
        {'h', CsiWhen::Always, 0, &VtEmulator::CsiSetMode},
        {'l', CsiWhen::Always, 0, &VtEmulator::CsiResetMode},
        {'i', CsiWhen::Always, 0, &VtEmulator::CsiMediaCopy},
        {'m', CsiWhen::Always, 0, &VtEmulator::CsiSelectGraphicRendition},
        {'n', CsiWhen::Always, 0, &VtEmulator::CsiDeviceStatusReport},
        {'p', CsiWhen::With, '!', &VtEmulator::CsiSoftReset},                  // DECSTR
        {'q', CsiWhen::With, '"', &VtEmulator::CsiSelectCharacterAttribute},   // DECSCA
        {'q', CsiWhen::With, '*', &VtEmulator::CsiSoftReset},
        {'r', CsiWhen::With, '$', &VtEmulator::CsiChangeAttributesInRectangle}, // DECCARA
        {'r', CsiWhen::NoIntermediate, 0, &VtEmulator::CsiSetTopBottomMargins}, // DECSTBM
        {'s', CsiWhen::Always, 0, &VtEmulator::CsiSetLeftRightMargins},         // DECSLRM
        {'t', CsiWhen::With, '$', &VtEmulator::CsiReverseAttributesInRectangle}, // DECRARA
        {'t', CsiWhen::NoIntermediate, 0, &VtEmulator::CsiSetLinesPerPage},     // DECSLPP
        {'v', CsiWhen::With, '$', &VtEmulator::CsiCopyRectangle},               // DECCRA
        {'x', CsiWhen::With, '$', &VtEmulator::CsiFillRectangle},               // DECFRA
        {'x', CsiWhen::With, '*', &VtEmulator::CsiSelectAttributeChangeExtent}, // DECSACE
        {'z', CsiWhen::With, '$', &VtEmulator::CsiEraseRectangle},              // DECERA
        {'{', CsiWhen::With, '$', &VtEmulator::CsiSelectiveEraseRectangle},     // DECSERA
        {'|', CsiWhen::With, '$', &VtEmulator::CsiSetColumnsPerPage},           // DECSCPP
        {'}', CsiWhen::With, '$', &VtEmulator::CsiSelectActiveStatusDisplay},   // DECSASD
        {'}', CsiWhen::With, '\'', &VtEmulator::CsiInsertColumns},              // DECIC
        {'~', CsiWhen::With, '\'', &VtEmulator::CsiDeleteColumns},              // DECDC
        {'~', CsiWhen::With, '$', &VtEmulator::CsiSelectStatusDisplayType},     // DECSSDT
    };
    static constexpr FinalIndex kIndex = IndexFinals(kTable);
    const int first = kIndex.first[final & 0x7F];
    for (int i = first; i < first + kIndex.count[final & 0x7F]; ++i) {
        const Entry& e = kTable[i];
        const bool matches = e.when == CsiWhen::Always ||
                             (e.when == CsiWhen::With && collector_.Has(e.selector)) ||
                             (e.when == CsiWhen::NoIntermediate && !collector_.AnyIntermediate());
        if (!matches) continue;
        (this->*e.handler)();
        return;
    }
}

} // namespace tamsivane
