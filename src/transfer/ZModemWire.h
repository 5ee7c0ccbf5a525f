// The ZModem wire format: the frame bytes, header and subpacket encoding with
// their checksums, and a reader that turns a received byte stream into
// checked headers and data subpackets.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tamsivane::zmodem {

inline constexpr uint8_t kPad = '*';
inline constexpr uint8_t kDle = 24; // ZDLE, the same byte as CAN
inline constexpr uint8_t kCan = 24;
inline constexpr uint8_t kBin16 = 'A';
inline constexpr uint8_t kHex = 'B';
inline constexpr uint8_t kBin32 = 'C';
inline constexpr uint8_t kVarBin16 = 'a';
inline constexpr uint8_t kVarHex = 'b';
inline constexpr uint8_t kVarBin32 = 'c';
// Subpacket end codes.
inline constexpr uint8_t kCrcE = 'h'; // frame ends, a header follows
inline constexpr uint8_t kCrcG = 'i'; // more data follows
inline constexpr uint8_t kCrcQ = 'j'; // more data follows, acknowledge
inline constexpr uint8_t kCrcW = 'k'; // frame ends, acknowledge
inline constexpr uint8_t kRub0 = 'l'; // escaped 127
inline constexpr uint8_t kRub1 = 'm'; // escaped 255

enum FrameType : uint8_t {
    ZRQINIT = 0,
    ZRINIT = 1,
    ZSINIT = 2,
    ZACK = 3,
    ZFILE = 4,
    ZSKIP = 5,
    ZNAK = 6,
    ZABORT = 7,
    ZFIN = 8,
    ZRPOS = 9,
    ZDATA = 10,
    ZEOF = 11,
    ZFERR = 12,
    ZCRC = 13,
    ZCHALLENGE = 14,
    ZCOMPL = 15,
    ZCAN = 16,
    ZFREECNT = 17,
    ZCOMMAND = 18,
};

// ZRINIT flags (ZF0).
inline constexpr uint8_t kCanFullDuplex = 0x01;
inline constexpr uint8_t kCanOverlapIo = 0x02;
inline constexpr uint8_t kCanCrc32 = 0x20;
inline constexpr uint8_t kEscapeControls = 0x40; // also ZSINIT's request
// ZFILE: binary file (ZF0); the management option (ZF1, low five bits):
// append to an existing file, replace it.
inline constexpr uint8_t kFileBinary = 1;
inline constexpr uint8_t kFileAppend = 3;
inline constexpr uint8_t kFileReplace = 4;
inline constexpr uint8_t kFileManagementMask = 0x1F;

// Longest data subpacket accepted.
inline constexpr size_t kMaxSubpacket = 8192;
// Consecutive CAN bytes that cancel a transfer.
inline constexpr int kCancelCount = 5;
// Eight CAN, then ten BS to erase them from a screen that shows them.
inline constexpr std::array<uint8_t, 18> kCancelSequence = {24, 24, 24, 24, 24, 24, 24, 24, 8,
                                                            8,  8,  8,  8,  8,  8,  8,  8,  8};

// The four data bytes of a header: ZP0..ZP3, which for flags are ZF3..ZF0.
using HeaderData = std::array<uint8_t, 4>;

inline HeaderData PositionData(uint32_t position) {
    return {static_cast<uint8_t>(position), static_cast<uint8_t>(position >> 8),
            static_cast<uint8_t>(position >> 16), static_cast<uint8_t>(position >> 24)};
}
inline uint32_t DataPosition(const HeaderData& data) {
    return data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<uint32_t>(data[3]) << 24);
}
// zf0 is the last data byte, zf1 the one before it.
inline HeaderData FlagsData(uint8_t zf0, uint8_t zf1 = 0) { return {0, 0, zf1, zf0}; }

// CRC-16/XMODEM (polynomial 0x1021, initial 0).
uint16_t Crc16(const uint8_t* data, size_t n, uint16_t crc = 0);
// The standard CRC-32: Crc32Update from 0xFFFFFFFF, complemented at the end.
uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t n);
uint32_t Crc32(const uint8_t* data, size_t n);

// Builds what goes on the wire.
class Encoder {
public:
    Encoder();
    // Escapes every control character as well (the peer's ZSINIT or ZRINIT asked).
    void SetEscapeControls(bool on);
    bool EscapesControls() const { return escapeControls_; }

    static void AppendHexHeader(std::string& out, uint8_t type, const HeaderData& data);
    void AppendBinaryHeader(std::string& out, uint8_t type, const HeaderData& data,
                            bool crc32) const;
    // The data escaped, ZDLE and the end code, then the checksum of both.
    void AppendSubpacket(std::string& out, const uint8_t* data, size_t n, uint8_t end,
                         bool crc32) const;

private:
    void AppendEscaped(std::string& out, uint8_t byte) const;
    void AppendCrc(std::string& out, const uint8_t* data, size_t n, uint8_t end, bool crc32) const;

    std::array<bool, 256> escaped_{};
    bool escapeControls_ = false;
};

// Reads headers (hex and binary, fixed and variable length) and the data
// subpackets that follow them, checking every checksum.
class Reader {
public:
    enum class Event {
        None,      // the byte was taken, nothing complete yet
        Header,    // a header passed its check: Type(), Data()
        BadHeader, // a damaged header, dropped
        Data,      // a subpacket passed its check: Payload(), EndCode()
        BadData,   // a damaged or overlong subpacket, dropped
        Cancel,    // the peer cancelled (consecutive CAN)
    };

    Event Put(uint8_t byte);
    // Inside a subpacket: takes the leading bytes that need no decoding (up
    // to the first ZDLE or flow-control byte) in one step, so that bulk data
    // costs no call per byte.  How many were taken; 0 outside a subpacket.
    size_t PutPlain(const uint8_t* bytes, size_t n);
    // The next bytes are a data subpacket of the frame just read.
    void ExpectData();
    // Drops whatever frame is being read.
    void Reset();
    // Between frames: the last byte started nothing.
    bool Idle() const { return state_ == State::Idle; }
    // The byte is the CR or LF still due after a hex header.
    bool IsTrailer(uint8_t byte) const {
        return trailer_ > 0 && ((byte & 0x7F) == '\r' || (byte & 0x7F) == '\n');
    }

    uint8_t Type() const { return type_; }
    const HeaderData& Data() const { return data_; }
    // The last header was a binary CRC-32 one (its subpackets use CRC-32 too).
    bool UsesCrc32() const { return crc32_; }
    const std::vector<uint8_t>& Payload() const { return payload_; }
    uint8_t EndCode() const { return endCode_; }

private:
    enum class State { Idle, Pad, PadDle, HexLength, Hex, BinLength, Bin, Data, DataCrc };

    Event PutHex(uint8_t byte);
    Event PutBinary(uint8_t byte);
    Event TakeBinary(uint8_t value);
    Event EndHeader(const uint8_t* bytes, size_t length, size_t crcLength);
    Event EndData();
    Event Fail(Event event);

    State state_ = State::Idle;
    bool afterDle_ = false;
    bool startNew_ = false; // the next data byte begins a new subpacket
    int cans_ = 0;
    int trailer_ = 0; // CR LF after a hex header still to skip
    bool crc32_ = false;
    size_t headerLength_ = 4;
    std::array<uint8_t, 40> header_{}; // length, type, data, checksum
    size_t headerFill_ = 0;
    uint8_t type_ = 0;
    HeaderData data_{};
    std::vector<uint8_t> payload_;
    uint8_t endCode_ = 0;
    std::array<uint8_t, 4> crc_{};
    size_t crcFill_ = 0;
};

} // namespace tamsivane::zmodem
