// The wire format: checksums, what the encoder writes and what the reader
// accepts and refuses.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "transfer/ZModemWire.h"

namespace tamsivane::zmodem {
namespace {

using Event = Reader::Event;

// As a transfer reads: plain runs inside a subpacket at once, the rest byte
// by byte.
std::vector<Event> PutAll(Reader& reader, const std::string& bytes) {
    std::vector<Event> events;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    for (size_t i = 0; i < bytes.size();) {
        const size_t plain = reader.PutPlain(data + i, bytes.size() - i);
        i += plain;
        if (plain > 0) continue;
        const Event event = reader.Put(data[i++]);
        if (event != Event::None) events.push_back(event);
    }
    return events;
}

TEST(ZModemWire, ChecksumsOfTheCheckString) {
    const std::string check = "123456789";
    const auto* bytes = reinterpret_cast<const uint8_t*>(check.data());
    EXPECT_EQ(Crc16(bytes, check.size()), 0x31C3);
    EXPECT_EQ(Crc32(bytes, check.size()), 0xCBF43926u);
}

TEST(ZModemWire, HexHeaderAsReceiversExpectIt) {
    std::string out;
    Encoder::AppendHexHeader(out, ZRINIT, FlagsData(0x23));
    EXPECT_EQ(out, std::string("**\x18"
                               "B0100000023be50\r\x8a\x11"));
    out.clear();
    Encoder::AppendHexHeader(out, ZFIN, {});
    EXPECT_EQ(out, std::string("**\x18"
                               "B0800000000022d\r\x8a"));
}

TEST(ZModemWire, EscapesTheBytesALineMayEat) {
    Encoder encoder;
    std::string out;
    const uint8_t data[] = {0x18, 0x10, 0x11, 0x13, 0x0D, 0x90, 0x91, 0x93, 0x8D, 'A', 0x01, 0xFF};
    encoder.AppendSubpacket(out, data, sizeof data, kCrcG, true);
    EXPECT_EQ(out.substr(0, 22),
              std::string("\x18X\x18P\x18Q\x18S\x18M\x18\xd0\x18\xd1\x18\xd3\x18\xcd"
                          "A\x01\xff",
                          21) +
                  "\x18");
    encoder.SetEscapeControls(true);
    out.clear();
    encoder.AppendSubpacket(out, data + 9, 2, kCrcG, true);
    EXPECT_EQ(out.substr(0, 3), std::string("A\x18"
                                            "A"));
}

TEST(ZModemWire, ReadsEveryHeaderFormAndChecksEach) {
    Encoder encoder;
    for (bool crc32 : {false, true}) {
        Reader reader;
        std::string out;
        encoder.AppendBinaryHeader(out, ZDATA, PositionData(0x18131211), crc32);
        EXPECT_EQ(PutAll(reader, out), std::vector<Event>{Event::Header});
        EXPECT_EQ(reader.Type(), ZDATA);
        EXPECT_EQ(DataPosition(reader.Data()), 0x18131211u);
        EXPECT_EQ(reader.UsesCrc32(), crc32);
        out[5] ^= 0x04;
        EXPECT_EQ(PutAll(reader, out), std::vector<Event>{Event::BadHeader});
    }
    Reader reader;
    std::string hex;
    Encoder::AppendHexHeader(hex, ZRPOS, PositionData(4096));
    EXPECT_EQ(PutAll(reader, "noise " + hex), std::vector<Event>{Event::Header});
    EXPECT_EQ(DataPosition(reader.Data()), 4096u);
    hex[6] = hex[6] == '0' ? '1' : '0';
    EXPECT_EQ(PutAll(reader, hex), std::vector<Event>{Event::BadHeader});
    // Variable-length forms: hex with two length digits, binary with a length
    // byte; data beyond the four known bytes is checked and left alone.
    const uint8_t longer[] = {ZRPOS, 0x10, 0x20, 0, 0, 0x99};
    char text[64];
    std::snprintf(text, sizeof text,
                  "**\x18"
                  "b05%02x%02x%02x%02x%02x%02x%04x\r\n",
                  longer[0], longer[1], longer[2], longer[3], longer[4], longer[5],
                  Crc16(longer, 6));
    EXPECT_EQ(PutAll(reader, text), std::vector<Event>{Event::Header});
    EXPECT_EQ(DataPosition(reader.Data()), 0x2010u);
    const uint8_t body[] = {ZACK, 1, 2, 3, 4};
    const uint16_t crc = Crc16(body, 5);
    std::string var = std::string(
        "*\x18"
        "a\x04",
        4);
    var.append(reinterpret_cast<const char*>(body), 5);
    var += static_cast<char>(crc >> 8);
    var += static_cast<char>(crc);
    EXPECT_EQ(PutAll(reader, var), std::vector<Event>{Event::Header});
    EXPECT_EQ(reader.Type(), ZACK);
    EXPECT_EQ(DataPosition(reader.Data()), 0x04030201u);
}

TEST(ZModemWire, SubpacketsRoundTripAndDamageIsCaught) {
    Encoder encoder;
    std::string payload;
    for (int i = 0; i < 600; ++i) payload += static_cast<char>(i * 7);
    for (bool crc32 : {false, true}) {
        std::string out;
        const auto* bytes = reinterpret_cast<const uint8_t*>(payload.data());
        encoder.AppendSubpacket(out, bytes, payload.size(), kCrcG, crc32);
        encoder.AppendSubpacket(out, bytes, 10, kCrcW, crc32);
        Reader reader;
        std::string header;
        encoder.AppendBinaryHeader(header, ZDATA, {}, crc32);
        ASSERT_EQ(PutAll(reader, header), std::vector<Event>{Event::Header});
        reader.ExpectData();
        // XON and XOFF added by the line are not data.
        out.insert(100, "\x11\x93");
        Event first = Event::None;
        size_t i = 0;
        for (; i < out.size() && first == Event::None; ++i) first = reader.Put(uint8_t(out[i]));
        EXPECT_EQ(first, Event::Data);
        EXPECT_EQ(std::string(reader.Payload().begin(), reader.Payload().end()), payload);
        EXPECT_EQ(reader.EndCode(), kCrcG);
        EXPECT_EQ(PutAll(reader, out.substr(i)), std::vector<Event>{Event::Data});
        EXPECT_EQ(reader.Payload().size(), 10u);
        EXPECT_TRUE(reader.Idle());

        reader.ExpectData();
        std::string damaged = out;
        damaged[300] ^= 0x01;
        EXPECT_EQ(PutAll(reader, damaged).front(), Event::BadData);
    }
}

TEST(ZModemWire, EscapedRubsAndOverlongSubpackets) {
    Reader reader;
    std::string header;
    Encoder encoder;
    encoder.AppendBinaryHeader(header, ZDATA, {}, false);
    PutAll(reader, header);
    reader.ExpectData();
    const uint8_t expected[] = {0x7F, 0xFF, 0x18};
    std::string packet = "\x18l\x18m\x18X\x18k";
    const uint8_t end = kCrcW;
    const uint16_t crc = Crc16(&end, 1, Crc16(expected, 3));
    packet += static_cast<char>(crc >> 8);
    packet += static_cast<char>(crc);
    EXPECT_EQ(PutAll(reader, packet), std::vector<Event>{Event::Data});
    EXPECT_EQ(reader.Payload(), std::vector<uint8_t>(expected, expected + 3));

    reader.ExpectData();
    EXPECT_EQ(PutAll(reader, std::string(kMaxSubpacket + 1, 'x')),
              std::vector<Event>{Event::BadData});
    EXPECT_TRUE(reader.Idle());
}

TEST(ZModemWire, FiveCanInARowCancel) {
    Reader reader;
    EXPECT_TRUE(PutAll(reader, "\x18\x18\x18\x18").empty());
    EXPECT_EQ(PutAll(reader, "\x18"), std::vector<Event>{Event::Cancel});
    EXPECT_TRUE(PutAll(reader, "\x18\x18\x18\x18x\x18").empty());
}

} // namespace
} // namespace tamsivane::zmodem
