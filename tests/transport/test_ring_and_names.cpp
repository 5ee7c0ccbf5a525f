#include <gtest/gtest.h>

#include <string>

#include "transport/CRingBuffer.h"
#include "transport/ServiceNames.h"

namespace tamsivane {
namespace {

const uint8_t* Bytes(const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); }

std::string Take(CRingBuffer& ring, size_t max) {
    std::string out(max, '\0');
    out.resize(ring.Get(reinterpret_cast<uint8_t*>(out.data()), max));
    return out;
}

TEST(RingBuffer, KeepsOrderAcrossTheWrap) {
    CRingBuffer ring;
    ASSERT_TRUE(ring.Allocate(8));
    ASSERT_TRUE(ring.Put(Bytes("abcdef"), 6));
    EXPECT_EQ(Take(ring, 4), "abcd");
    // Six bytes from position 6: two at the end, four at the start.
    ASSERT_TRUE(ring.Put(Bytes("123456"), 6));
    EXPECT_EQ(ring.Used(), 8u);
    EXPECT_EQ(ring.Free(), 0u);
    EXPECT_EQ(Take(ring, 3), "ef1");
    EXPECT_EQ(Take(ring, 100), "23456");
    EXPECT_EQ(Take(ring, 100), "");
}

TEST(RingBuffer, PutIsAllOrNothing) {
    CRingBuffer ring;
    ASSERT_TRUE(ring.Allocate(4));
    ASSERT_TRUE(ring.Put(Bytes("ab"), 2));
    EXPECT_FALSE(ring.Put(Bytes("cde"), 3));
    EXPECT_EQ(ring.Used(), 2u);
    EXPECT_TRUE(ring.Put(Bytes("cd"), 2));
    ring.Reset();
    EXPECT_EQ(ring.Used(), 0u);
    EXPECT_EQ(ring.Free(), 4u);
    EXPECT_TRUE(ring.Put(Bytes("wxyz"), 4));
    EXPECT_EQ(Take(ring, 4), "wxyz");
}

TEST(ServiceNames, NamesAndNumbersBothWays) {
    EXPECT_EQ(PortFromText("telnet"), 23);
    EXPECT_EQ(PortFromText("SSH"), 22);
    EXPECT_EQ(PortFromText("Finger"), 79);
    EXPECT_EQ(PortFromText("systat"), 11);
    EXPECT_EQ(PortFromText("ECHO"), 7);
    EXPECT_EQ(PortFromText("2323"), 2323);
    EXPECT_EQ(PortFromText("0"), 0);
    EXPECT_EQ(PortFromText(""), -1);
    EXPECT_EQ(PortFromText("23x"), -1);
    EXPECT_EQ(PortFromText("-23"), -1);
    EXPECT_EQ(PortFromText("65536"), -1);
    EXPECT_EQ(PortFromText("99999999999999999999"), -1);
    EXPECT_EQ(PortToText(23), "Telnet");
    EXPECT_EQ(PortToText(7), "Echo");
    EXPECT_EQ(PortToText(2323), "2323");
}

} // namespace
} // namespace tamsivane
