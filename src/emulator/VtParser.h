// The grammar of the host byte stream, apart from what any sequence means:
// a byte-driven state machine (ground, escape, control sequence,
// device-control string, printer controller, file-transfer start) that
// reports complete units to its handler.  It knows nothing of the screen.
//
// The handler is a class (the parser is instantiated for it, so every report
// is a direct, inlinable call) with these members, reachable by the parser:
//
//   void Print(const uint8_t* bytes, size_t length);
//       graphic bytes of the ground state, at least one: all printable
//       ASCII, or all of the upper half
//   void Execute(uint8_t control);
//       a C0 or C1 control that the grammar itself does not consume
//   void Escape(const SequenceCollector& sequence, uint8_t final);
//   void ControlSequence(const SequenceCollector& sequence, uint8_t final);
//       the state is ground again when these are called; a control sequence
//       may start the printer controller (StartPrinterController)
//   void DeviceControlString(const SequenceCollector& sequence, uint8_t final,
//                            std::string_view data);
//       a string completed by ST with data (an empty or overlong one is dropped)
//   void PrinterData(std::string_view bytes);
//   void PrinterControllerEnded();
//   void TransferStart();           CAN "B00" while transfer detection is on
//   bool C1IsGraphic();             whether 0x80-0x9F are graphic in ground
//   bool DetectsTransferStart();    whether CAN starts looking for "B00"
//
// Two ways in: Feed takes one byte through the plain state machine; Parse
// takes a block and reports runs (printable text, parameters, printer data)
// at a time.  Both report the same units; Feed is the reference.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "emulator/PrinterControllerFilter.h"
#include "emulator/SequenceCollector.h"

namespace tamsivane {

enum class ParserState : uint8_t {
    Ground,
    Escape,
    ControlSequence,
    DeviceControlString,
    PrinterController,
    TransferStart,
    IgnoredString, // operating-system command, privacy message, application command
};

constexpr bool IsPrintableAscii(uint8_t byte) { return static_cast<uint8_t>(byte - 0x20) < 0x5F; }

// How many bytes at the start of text are printable ASCII (0x20-0x7E),
// sixteen at a time.
inline size_t PrintableAsciiPrefix(const uint8_t* text, size_t length) {
    size_t n = 0;
#if defined(__SSE2__)
    const __m128i belowPrintable = _mm_set1_epi8(0x1F);
    const __m128i delete_ = _mm_set1_epi8(0x7F);
    while (n + 16 <= length) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + n));
        // Signed compares: bytes of 0x80 and above are negative and fail the first.
        const __m128i printable =
            _mm_and_si128(_mm_cmpgt_epi8(v, belowPrintable), _mm_cmplt_epi8(v, delete_));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(printable));
        if (mask != 0xFFFF) return n + static_cast<size_t>(__builtin_ctz(~mask));
        n += 16;
    }
#endif
    while (n < length && IsPrintableAscii(text[n])) ++n;
    return n;
}

// How many bytes at the start of text are upper-half bytes from lowest on
// (0x80 or 0xA0), sixteen at a time: no branch on each byte, whose values
// vary in UTF-8 text.
inline size_t UpperHalfPrefix(const uint8_t* text, size_t length, uint8_t lowest) {
    size_t n = 0;
#if defined(__SSE2__)
    // Signed compares: the upper half is negative and keeps its order, so a
    // byte is taken when it is negative and lowest is not greater.
    const __m128i lowestSigned = _mm_set1_epi8(static_cast<char>(lowest));
    const __m128i zero = _mm_setzero_si128();
    while (n + 16 <= length) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + n));
        const __m128i upper = _mm_andnot_si128(_mm_cmpgt_epi8(lowestSigned, v), _mm_cmplt_epi8(v, zero));
        const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(upper));
        if (mask != 0xFFFF) return n + static_cast<size_t>(__builtin_ctz(~mask));
        n += 16;
    }
#endif
    while (n < length && text[n] >= lowest) ++n;
    return n;
}

template <class Handler>
class VtParser {
public:
    // Longest device-control-string payload kept; a longer string is dropped whole.
    static constexpr size_t kMaxStringData = 64 * 1024;

    explicit VtParser(Handler& handler) : handler_(handler) { stringData_.reserve(256); }

    ParserState State() const { return state_; }

    // Back to ground with nothing collected (session start, soft reset).
    void Reset() {
        Enter(ParserState::Ground);
        stringData_.clear();
        printerFilter_.Reset();
    }

    // Media copy "printer controller on": every byte goes to the printer until
    // the end sequence.
    void StartPrinterController() {
        printerFilter_.Reset();
        Enter(ParserState::PrinterController);
    }
    void EndPrinterController() { Enter(ParserState::Ground); }

    // Makes a running Parse return after the unit it is reporting (the
    // caller's per-byte hooks were switched on).
    void Interrupt() { interrupted_ = true; }

    // One byte through the plain state machine.
    void Feed(uint8_t byte) {
        switch (state_) {
        case ParserState::Ground:
            GroundByte(byte);
            break;
        case ParserState::Escape:
            EscapeByte(byte);
            break;
        case ParserState::ControlSequence:
            ControlSequenceByte(byte);
            break;
        case ParserState::DeviceControlString:
            StringByte(byte);
            break;
        case ParserState::PrinterController:
            PrinterRun(&byte, 1);
            break;
        case ParserState::TransferStart:
            TransferStartByte(byte);
            break;
        case ParserState::IgnoredString:
            IgnoredStringByte(byte);
            break;
        }
    }

    // A block, run by run; returns the bytes taken, which is all of them
    // unless Interrupt was called on the way.
    size_t Parse(const uint8_t* data, size_t length) {
        interrupted_ = false;
        size_t i = 0;
        while (i < length && !interrupted_) {
            switch (state_) {
            case ParserState::Ground:
                if (const size_t run = GraphicRun(data + i, length - i)) {
                    handler_.Print(data + i, run);
                    i += run;
                } else if (data[i] == ESC && i + 1 < length && data[i + 1] == '[') {
                    // ESC [ is by far the most frequent introducer; its
                    // parameters are taken at once, not after another turn
                    // through the state switch.
                    Enter(ParserState::ControlSequence);
                    i += 2;
                    i += ControlSequenceRun(data + i, length - i);
                } else if (data[i] == ESC && i + 1 < length) {
                    // Likewise the byte after any other ESC.
                    Enter(ParserState::Escape);
                    EscapeByte(data[i + 1]);
                    i += 2;
                } else {
                    Control(data[i++]);
                }
                break;
            case ParserState::Escape:
                EscapeByte(data[i++]);
                break;
            case ParserState::ControlSequence:
                i += ControlSequenceRun(data + i, length - i);
                break;
            case ParserState::PrinterController:
                i += PrinterRun(data + i, length - i);
                break;
            default:
                Feed(data[i++]);
                break;
            }
        }
        return i;
    }

private:
    static constexpr uint8_t CAN = 0x18, SUB = 0x1A, ESC = 0x1B, BEL = 0x07;
    static constexpr uint8_t DCS = 0x90, CSI = 0x9B, ST = 0x9C, OSC = 0x9D, PM = 0x9E, APC = 0x9F;
    static constexpr bool IsC1(uint8_t byte) { return byte >= 0x7F && byte < 0xA0; }

    void Enter(ParserState state) {
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

    // Operating-system commands, privacy messages and application program
    // commands are read to their end and discarded; nothing of them is kept.
    void EnterIgnoredString(uint8_t introducer) {
        Enter(ParserState::IgnoredString);
        stringSubState_ = 0;
        stringFinal_ = introducer;
    }

    // A control in the ground, escape and control-sequence states: the ones
    // that start, end or cancel sequences belong to the grammar, every other
    // one goes to the handler.
    void Control(uint8_t byte) {
        switch (byte) {
        case CAN:
            Enter(handler_.DetectsTransferStart() ? ParserState::TransferStart
                                                  : ParserState::Ground);
            break;
        case SUB:
        case ST:
            Enter(ParserState::Ground);
            break;
        case ESC:
            Enter(ParserState::Escape);
            break;
        case DCS:
            Enter(ParserState::DeviceControlString);
            break;
        case CSI:
            Enter(ParserState::ControlSequence);
            break;
        case OSC:
            EnterIgnoredString(']');
            break;
        case PM:
            EnterIgnoredString('^');
            break;
        case APC:
            EnterIgnoredString('_');
            break;
        default:
            handler_.Execute(byte);
            break;
        }
    }

    // 0x80-0x9F are graphic when the handler says so (an 8-bit code page or
    // a double-byte decoder in GR).
    bool IsGroundGraphic(uint8_t byte) {
        if (byte < 0x80) return IsPrintableAscii(byte);
        return byte >= 0xA0 || handler_.C1IsGraphic();
    }

    void GroundByte(uint8_t byte) {
        if (IsGroundGraphic(byte))
            handler_.Print(&byte, 1);
        else
            Control(byte);
    }

    // The graphic bytes at the start of text of the same half as the first:
    // printable ASCII, or upper-half bytes (0x80-0x9F only when graphic).
    // 0 when the first byte is a control.
    size_t GraphicRun(const uint8_t* text, size_t length) {
        if (IsPrintableAscii(text[0])) return PrintableAsciiPrefix(text, length);
        if (text[0] < 0x80) return 0;
        // Asked once per run: printing does not change it.
        return UpperHalfPrefix(text, length, handler_.C1IsGraphic() ? 0x80 : 0xA0);
    }

    void EscapeByte(uint8_t byte) {
        if (byte < 0x20 || IsC1(byte)) {
            Control(byte);
        } else if (byte < 0x30) {
            collector_.Collect(byte);
        } else {
            Enter(ParserState::Ground);
            switch (byte) {
            case 'P':
                Enter(ParserState::DeviceControlString);
                break;
            case '[':
                Enter(ParserState::ControlSequence);
                break;
            case '\\':
                break; // ST
            case ']':
            case '^':
            case '_':
                EnterIgnoredString(byte);
                break;
            default:
                handler_.Escape(collector_, byte);
                break;
            }
        }
    }

    void ControlSequenceByte(uint8_t byte) {
        if (byte < 0x20 || IsC1(byte)) {
            Control(byte);
        } else if (byte < 0x40) {
            collector_.Collect(byte);
        } else {
            // A byte of 0xA0 or above ends the sequence without action.
            Enter(ParserState::Ground);
            if (byte < 0x7F) handler_.ControlSequence(collector_, byte);
        }
    }

    // Parameters and intermediates up to the byte that ends or interrupts
    // the sequence, which goes through ControlSequenceByte.
    size_t ControlSequenceRun(const uint8_t* data, size_t length) {
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

    void StringByte(uint8_t byte) {
        if (byte == CAN || byte == SUB) {
            // Cancels the string: nothing of it is executed.
            Enter(ParserState::Ground);
            return;
        }
        switch (stringSubState_) {
        case 0: // parameters and intermediates, then the final byte
            if (byte >= 0x40 && byte <= 0x7E) {
                stringFinal_ = byte;
                stringSubState_ = 1;
            } else if (byte > 0x7E) {
                Enter(ParserState::Ground);
            } else {
                collector_.Collect(byte);
            }
            return;
        case 1: // data
            if (byte == ESC) {
                stringSubState_ = 2;
            } else if (byte == ST) {
                CompleteString();
            } else if (stringData_.size() < kMaxStringData) {
                stringData_.push_back(static_cast<char>(byte));
            } else {
                // Too long: the whole string is dropped, and memory stays bounded.
                stringOverflow_ = true;
            }
            return;
        default: // data, then ESC
            if (byte == '\\') {
                CompleteString();
            } else {
                Enter(ParserState::Escape);
                EscapeByte(byte);
            }
            return;
        }
    }

    void CompleteString() {
        Enter(ParserState::Ground);
        if (!stringOverflow_ && !stringData_.empty())
            handler_.DeviceControlString(collector_, stringFinal_, stringData_);
    }

    // An operating-system command may also end in BEL.
    void IgnoredStringByte(uint8_t byte) {
        if (stringSubState_ == 1) {
            if (byte == '\\') {
                Enter(ParserState::Ground);
            } else {
                Enter(ParserState::Escape);
                EscapeByte(byte);
            }
        } else if (byte == ESC) {
            stringSubState_ = 1;
        } else if (byte == CAN || byte == SUB || (byte == ST && !handler_.C1IsGraphic()) ||
                   (byte == BEL && stringFinal_ == ']')) {
            Enter(ParserState::Ground);
        }
    }

    void TransferStartByte(uint8_t byte) {
        static constexpr char kTransferStart[] = "B00";
        if (byte != static_cast<uint8_t>(kTransferStart[matchCount_])) {
            Enter(ParserState::Ground);
            return;
        }
        if (++matchCount_ == sizeof(kTransferStart) - 1) {
            Enter(ParserState::Ground);
            handler_.TransferStart();
        }
    }

    // Bytes for the printer up to the end sequence, handed over together.
    size_t PrinterRun(const uint8_t* data, size_t length) {
        printerBytes_.clear();
        size_t i = 0;
        bool ended = false;
        while (i < length && !ended) ended = printerFilter_.Feed(data[i++], printerBytes_);
        if (!printerBytes_.empty()) handler_.PrinterData(printerBytes_);
        if (ended) {
            Enter(ParserState::Ground);
            handler_.PrinterControllerEnded();
        }
        return i;
    }

    Handler& handler_;
    ParserState state_ = ParserState::Ground;
    SequenceCollector collector_;
    uint8_t matchCount_ = 0;
    uint8_t stringFinal_ = 0;
    uint8_t stringSubState_ = 0;
    bool stringOverflow_ = false;
    bool interrupted_ = false;
    std::string stringData_;
    PrinterControllerFilter printerFilter_;
    std::string printerBytes_;
};

} // namespace tamsivane
