#include "transfer/ZModemWire.h"

#include <algorithm>

namespace tamsivane::zmodem {

namespace {

constexpr std::array<uint16_t, 256> MakeCrc16Table() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1;
        table[i] = static_cast<uint16_t>(crc);
    }
    return table;
}

// Table k gives the effect of a byte followed by k zero bytes, so that eight
// bytes are folded in at once.
using Crc32Tables = std::array<std::array<uint32_t, 256>, 8>;

constexpr Crc32Tables MakeCrc32Tables() {
    Crc32Tables tables{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t crc = i;
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
        tables[0][i] = crc;
    }
    for (size_t k = 1; k < tables.size(); ++k) {
        for (uint32_t i = 0; i < 256; ++i) {
            const uint32_t previous = tables[k - 1][i];
            tables[k][i] = (previous >> 8) ^ tables[0][previous & 0xFF];
        }
    }
    return tables;
}

constexpr auto kCrc16Table = MakeCrc16Table();
constexpr Crc32Tables kCrc32 = MakeCrc32Tables();
constexpr char kHexDigits[] = "0123456789abcdef";

bool IsFlowControl(uint8_t byte) {
    return byte == 0x11 || byte == 0x13 || byte == 0x91 || byte == 0x93;
}

// Bytes that end a run of plain subpacket data.
constexpr std::array<bool, 256> MakeSpecial() {
    std::array<bool, 256> special{};
    for (uint8_t byte : {uint8_t{0x11}, uint8_t{0x13}, uint8_t{0x91}, uint8_t{0x93}, kDle})
        special[byte] = true;
    return special;
}

constexpr auto kSpecial = MakeSpecial();

int HexValue(uint8_t byte) {
    if (byte >= '0' && byte <= '9') return byte - '0';
    if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
    if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
    return -1;
}

void AppendHexByte(std::string& out, uint8_t byte) {
    out += kHexDigits[byte >> 4];
    out += kHexDigits[byte & 15];
}

} // namespace

uint16_t Crc16(const uint8_t* data, size_t n, uint16_t crc) {
    for (size_t i = 0; i < n; ++i) {
        crc = static_cast<uint16_t>((crc << 8) ^ kCrc16Table[((crc >> 8) ^ data[i]) & 0xFF]);
    }
    return crc;
}

uint32_t Crc32Update(uint32_t crc, const uint8_t* data, size_t n) {
    for (; n >= 8; n -= 8, data += 8) {
        crc ^= data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<uint32_t>(data[3]) << 24);
        crc = kCrc32[7][crc & 0xFF] ^ kCrc32[6][(crc >> 8) & 0xFF] ^
              kCrc32[5][(crc >> 16) & 0xFF] ^ kCrc32[4][crc >> 24] ^ kCrc32[3][data[4]] ^
              kCrc32[2][data[5]] ^ kCrc32[1][data[6]] ^ kCrc32[0][data[7]];
    }
    for (size_t i = 0; i < n; ++i) crc = kCrc32[0][(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return crc;
}

uint32_t Crc32(const uint8_t* data, size_t n) { return ~Crc32Update(0xFFFFFFFFu, data, n); }

// --- Encoder

Encoder::Encoder() { SetEscapeControls(false); }

void Encoder::SetEscapeControls(bool on) {
    escapeControls_ = on;
    for (int byte = 0; byte < 256; ++byte) {
        // ZDLE, DLE and the flow-control bytes in both halves, and CR, which
        // some lines turn into CR LF.
        const int low = byte & 0x7F;
        escaped_[byte] =
            low == kDle || low == 16 || low == 17 || low == 19 || low == 13 || (on && low < 32);
    }
}

void Encoder::AppendHexHeader(std::string& out, uint8_t type, const HeaderData& data) {
    const uint8_t bytes[5] = {type, data[0], data[1], data[2], data[3]};
    out += static_cast<char>(kPad);
    out += static_cast<char>(kPad);
    out += static_cast<char>(kDle);
    out += static_cast<char>(kHex);
    for (uint8_t byte : bytes) AppendHexByte(out, byte);
    const uint16_t crc = Crc16(bytes, sizeof bytes);
    AppendHexByte(out, static_cast<uint8_t>(crc >> 8));
    AppendHexByte(out, static_cast<uint8_t>(crc));
    out += '\r';
    out += static_cast<char>(0x8A);
    // XON restarts a sender stopped by flow control; not after the last headers.
    if (type != ZFIN && type != ZACK) out += static_cast<char>(0x11);
}

void Encoder::AppendBinaryHeader(std::string& out, uint8_t type, const HeaderData& data,
                                 bool crc32) const {
    const uint8_t bytes[5] = {type, data[0], data[1], data[2], data[3]};
    out += static_cast<char>(kPad);
    out += static_cast<char>(kDle);
    out += static_cast<char>(crc32 ? kBin32 : kBin16);
    for (uint8_t byte : bytes) AppendEscaped(out, byte);
    if (crc32) {
        const uint32_t crc = Crc32(bytes, sizeof bytes);
        for (int shift = 0; shift < 32; shift += 8) AppendEscaped(out, uint8_t(crc >> shift));
    } else {
        const uint16_t crc = Crc16(bytes, sizeof bytes);
        AppendEscaped(out, static_cast<uint8_t>(crc >> 8));
        AppendEscaped(out, static_cast<uint8_t>(crc));
    }
}

void Encoder::AppendSubpacket(std::string& out, const uint8_t* data, size_t n, uint8_t end,
                              bool crc32) const {
    // Written in place: at most two bytes for each, with room for the rest.
    const size_t start = out.size();
    out.resize(start + 2 * n + 16);
    char* to = out.data() + start;
    for (size_t i = 0; i < n; ++i) {
        const uint8_t byte = data[i];
        if (escaped_[byte]) {
            *to++ = static_cast<char>(kDle);
            *to++ = static_cast<char>(byte ^ 0x40);
        } else {
            *to++ = static_cast<char>(byte);
        }
    }
    out.resize(static_cast<size_t>(to - out.data()));
    out += static_cast<char>(kDle);
    out += static_cast<char>(end);
    AppendCrc(out, data, n, end, crc32);
    // After ZCRCW the receiver answers at once: XON makes sure it may.
    if (end == kCrcW) out += static_cast<char>(0x11);
}

void Encoder::AppendCrc(std::string& out, const uint8_t* data, size_t n, uint8_t end,
                        bool crc32) const {
    if (crc32) {
        const uint32_t crc = ~Crc32Update(Crc32Update(0xFFFFFFFFu, data, n), &end, 1);
        for (int shift = 0; shift < 32; shift += 8) AppendEscaped(out, uint8_t(crc >> shift));
    } else {
        const uint16_t crc = Crc16(&end, 1, Crc16(data, n));
        AppendEscaped(out, static_cast<uint8_t>(crc >> 8));
        AppendEscaped(out, static_cast<uint8_t>(crc));
    }
}

void Encoder::AppendEscaped(std::string& out, uint8_t byte) const {
    if (escaped_[byte]) {
        out += static_cast<char>(kDle);
        out += static_cast<char>(byte ^ 0x40);
    } else {
        out += static_cast<char>(byte);
    }
}

// --- Reader

void Reader::ExpectData() {
    state_ = State::Data;
    afterDle_ = false;
    startNew_ = false;
    payload_.clear();
}

void Reader::Reset() {
    state_ = State::Idle;
    trailer_ = 0;
    afterDle_ = false;
    startNew_ = false;
}

Reader::Event Reader::Fail(Event event) {
    Reset();
    return event;
}

Reader::Event Reader::Put(uint8_t byte) {
    if (byte == kCan) {
        if (++cans_ >= kCancelCount) {
            cans_ = 0;
            return Fail(Event::Cancel);
        }
    } else {
        cans_ = 0;
    }
    if (trailer_ > 0) {
        // A hex header ends with CR LF, which a subpacket after it is not part of.
        --trailer_;
        const uint8_t low = byte & 0x7F;
        if (low == '\r' || low == '\n') return Event::None;
    }
    switch (state_) {
    case State::Idle:
        if (byte == kPad) state_ = State::Pad;
        return Event::None;
    case State::Pad:
        if (byte == kDle) {
            state_ = State::PadDle;
        } else if (byte != kPad && !IsFlowControl(byte)) {
            state_ = State::Idle;
        }
        return Event::None;
    case State::PadDle:
        headerFill_ = 0;
        headerLength_ = 4;
        afterDle_ = false;
        switch (byte) {
        case kHex:
            state_ = State::Hex;
            crc32_ = false;
            break;
        case kVarHex:
            state_ = State::HexLength;
            crc32_ = false;
            break;
        case kBin16:
            state_ = State::Bin;
            crc32_ = false;
            break;
        case kBin32:
            state_ = State::Bin;
            crc32_ = true;
            break;
        case kVarBin16:
            state_ = State::BinLength;
            crc32_ = false;
            break;
        case kVarBin32:
            state_ = State::BinLength;
            crc32_ = true;
            break;
        default:
            state_ = State::Idle;
            break;
        }
        return Event::None;
    case State::HexLength:
    case State::Hex:
        return PutHex(byte);
    default:
        return PutBinary(byte);
    }
}

size_t Reader::PutPlain(const uint8_t* bytes, size_t n) {
    if (state_ != State::Data || afterDle_ || trailer_ > 0) return 0;
    if (startNew_) {
        payload_.clear();
        startNew_ = false;
    }
    const size_t room = kMaxSubpacket - std::min(kMaxSubpacket, payload_.size());
    const size_t limit = std::min(n, room);
    size_t taken = 0;
    while (taken < limit && !kSpecial[bytes[taken]]) ++taken;
    if (taken == 0) return 0;
    payload_.insert(payload_.end(), bytes, bytes + taken);
    cans_ = 0;
    return taken;
}

Reader::Event Reader::PutHex(uint8_t byte) {
    if (IsFlowControl(byte)) return Event::None;
    const int value = HexValue(byte);
    if (value < 0) return Fail(Event::BadHeader);
    // Two digits make a byte; headerFill_ counts digits.
    const size_t index = headerFill_ / 2;
    if (headerFill_ % 2 == 0) {
        header_[index] = static_cast<uint8_t>(value << 4);
    } else {
        header_[index] = static_cast<uint8_t>(header_[index] | value);
    }
    ++headerFill_;
    if (state_ == State::HexLength) {
        if (headerFill_ < 2) return Event::None;
        headerLength_ = header_[0];
        if (headerLength_ < 1 || headerLength_ > 16) return Fail(Event::BadHeader);
        headerFill_ = 0;
        state_ = State::Hex;
        return Event::None;
    }
    // Type, data, two checksum bytes.
    const size_t total = headerLength_ + 3;
    if (headerFill_ < total * 2) return Event::None;
    trailer_ = 2;
    return EndHeader(header_.data(), headerLength_ + 1, 2);
}

Reader::Event Reader::PutBinary(uint8_t byte) {
    if (startNew_) {
        payload_.clear();
        startNew_ = false;
    }
    // The sender escapes flow control; raw ones were added by the line.
    if (IsFlowControl(byte)) return Event::None;
    if (!afterDle_) {
        if (byte == kDle) {
            afterDle_ = true;
            return Event::None;
        }
        return TakeBinary(byte);
    }
    afterDle_ = false;
    switch (byte) {
    case kCrcE:
    case kCrcG:
    case kCrcQ:
    case kCrcW:
        if (state_ != State::Data)
            return Fail(state_ == State::DataCrc ? Event::BadData : Event::BadHeader);
        endCode_ = byte;
        crcFill_ = 0;
        state_ = State::DataCrc;
        return Event::None;
    case kRub0:
        return TakeBinary(0x7F);
    case kRub1:
        return TakeBinary(0xFF);
    default:
        if ((byte & 0x60) == 0x40) return TakeBinary(byte ^ 0x40);
        return Fail(state_ == State::Data || state_ == State::DataCrc ? Event::BadData
                                                                      : Event::BadHeader);
    }
}

Reader::Event Reader::TakeBinary(uint8_t value) {
    const size_t crcLength = crc32_ ? 4 : 2;
    switch (state_) {
    case State::BinLength:
        headerLength_ = value;
        if (headerLength_ < 1 || headerLength_ > 16) return Fail(Event::BadHeader);
        state_ = State::Bin;
        return Event::None;
    case State::Bin:
        header_[headerFill_++] = value;
        if (headerFill_ < headerLength_ + 1 + crcLength) return Event::None;
        return EndHeader(header_.data(), headerLength_ + 1, crcLength);
    case State::Data:
        if (payload_.size() >= kMaxSubpacket) return Fail(Event::BadData);
        payload_.push_back(value);
        return Event::None;
    case State::DataCrc:
        crc_[crcFill_++] = value;
        if (crcFill_ < crcLength) return Event::None;
        return EndData();
    default:
        return Fail(Event::BadHeader);
    }
}

Reader::Event Reader::EndHeader(const uint8_t* bytes, size_t length, size_t crcLength) {
    state_ = State::Idle;
    const uint8_t* crc = bytes + length;
    bool good;
    if (crcLength == 4) {
        const uint32_t expected = Crc32(bytes, length);
        good = DataPosition({crc[0], crc[1], crc[2], crc[3]}) == expected;
    } else {
        good = Crc16(bytes, length) == ((crc[0] << 8) | crc[1]);
    }
    if (!good) return Event::BadHeader;
    type_ = bytes[0];
    data_ = {};
    for (size_t i = 1; i < length && i <= data_.size(); ++i) data_[i - 1] = bytes[i];
    return Event::Header;
}

Reader::Event Reader::EndData() {
    bool good;
    if (crc32_) {
        const uint32_t expected =
            ~Crc32Update(Crc32Update(0xFFFFFFFFu, payload_.data(), payload_.size()), &endCode_, 1);
        good = DataPosition(crc_) == expected;
    } else {
        good = Crc16(&endCode_, 1, Crc16(payload_.data(), payload_.size())) ==
               ((crc_[0] << 8) | crc_[1]);
    }
    if (!good) return Fail(Event::BadData);
    // After ZCRCG and ZCRCQ the next subpacket follows at once.
    if (endCode_ == kCrcG || endCode_ == kCrcQ) {
        state_ = State::Data;
        startNew_ = true;
    } else {
        state_ = State::Idle;
    }
    return Event::Data;
}

} // namespace tamsivane::zmodem
