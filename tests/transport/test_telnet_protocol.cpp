#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/SettingsStore.h"
#include "transport/TelnetProtocol.h"

namespace tamsivane {
namespace {

using namespace Telnet;

std::string B(std::initializer_list<int> bytes) {
    std::string s;
    for (int b : bytes) s += static_cast<char>(b);
    return s;
}

class TelnetProtocolTest : public ::testing::Test, public TelnetProtocol::Peer {
protected:
    void SendToPeer(std::string_view bytes) override { replies += bytes; }
    void Capture(std::string_view text) override { captured += text; }
    std::string ChosenTerminalType() const override { return chosenType; }

    // What survives the filter.
    std::string Feed(std::string bytes) {
        bytes.resize(protocol.Filter(reinterpret_cast<uint8_t*>(bytes.data()), bytes.size()));
        return bytes;
    }

    SettingsStore settings;
    TelnetProtocol protocol{settings, *this};
    std::string replies;
    std::string captured;
    std::string chosenType;
};

TEST_F(TelnetProtocolTest, DataBytesAndTheirEscapes) {
    EXPECT_EQ(Feed("plain"), "plain");
    EXPECT_EQ(Feed(B({'a', IAC, IAC, 'b'})), B({'a', IAC, 'b'}));
    EXPECT_EQ(Feed(B({'\r', 0, 'x'})), "\rx");
    EXPECT_EQ(Feed("\r\n"), "\r\n");
    // After CR a 255 is data, not a command.
    EXPECT_EQ(Feed(B({'\r', IAC, 'y'})), B({'\r', IAC, 'y'}));
    // Other commands (here NOP and GA) vanish.
    EXPECT_EQ(Feed(B({'p', IAC, 241, IAC, 249, 'q'})), "pq");
    EXPECT_EQ(replies, "");
}

TEST_F(TelnetProtocolTest, BinaryBothWaysWhileATransferRuns) {
    protocol.SetBinary(true);
    EXPECT_EQ(replies, B({IAC, DO, Binary, IAC, WILL, Binary}));
    replies.clear();
    // CR NUL is text until the host agrees, data from that point on.
    EXPECT_EQ(Feed(B({'\r', 0, IAC, WILL, Binary, '\r', 0, '\r', '\n'})),
              B({'\r', '\r', 0, '\r', '\n'}));
    Feed(B({IAC, DO, Binary}));
    EXPECT_EQ(replies, ""); // answers to our own requests need none
    protocol.SetBinary(false);
    EXPECT_EQ(replies, B({IAC, DONT, Binary, IAC, WONT, Binary}));
    replies.clear();
    // Binary lasts until the host's WONT.
    EXPECT_EQ(Feed(B({'\r', 0, IAC, WONT, Binary, '\r', 0})), B({'\r', 0, '\r'}));
    Feed(B({IAC, DONT, Binary}));
    EXPECT_EQ(replies, "");
    // Outside a transfer the host's offers are refused.
    Feed(B({IAC, WILL, Binary, IAC, DO, Binary}));
    EXPECT_EQ(replies, B({IAC, DONT, Binary, IAC, WONT, Binary}));
}

TEST_F(TelnetProtocolTest, CommandsSplitAcrossBlocks) {
    EXPECT_EQ(Feed(B({'a', IAC})), "a");
    EXPECT_EQ(Feed(B({DO})), "");
    EXPECT_EQ(Feed(B({0, 'b', '\r'})), "b\r");
    EXPECT_EQ(Feed(B({0, 'c'})), "c");
    EXPECT_EQ(replies, B({IAC, WONT, 0}));
}

TEST_F(TelnetProtocolTest, EchoFollowsTheHostAndIsAnsweredOnce) {
    settings.SetNumber(P::LocalEcho, 1);
    Feed(B({IAC, DO, Echo, IAC, DO, Echo}));
    EXPECT_EQ(replies, B({IAC, WILL, Echo}));
    replies.clear();
    Feed(B({IAC, WILL, Echo}));
    EXPECT_EQ(settings.GetNumber(P::LocalEcho), 0);
    EXPECT_EQ(replies, B({IAC, DO, Echo}));
    replies.clear();
    Feed(B({IAC, WONT, Echo}));
    EXPECT_EQ(settings.GetNumber(P::LocalEcho), 1);
    EXPECT_EQ(replies, B({IAC, DONT, Echo}));
}

TEST_F(TelnetProtocolTest, SuppressGoAheadAcceptedOnce) {
    Feed(B({IAC, WILL, SuppressGoAhead, IAC, DO, SuppressGoAhead, IAC, DONT, SuppressGoAhead}));
    EXPECT_EQ(replies, B({IAC, DO, SuppressGoAhead}));
}

TEST_F(TelnetProtocolTest, UnknownOptionsAreRefusedOnlyWhenAsked) {
    Feed(B({IAC, DO, 0, IAC, WILL, 0, IAC, DONT, 0, IAC, WONT, 0, IAC, WILL, Status}));
    EXPECT_EQ(replies, B({IAC, WONT, 0, IAC, DONT, 0, IAC, DONT, Status}));
}

TEST_F(TelnetProtocolTest, WindowSize) {
    settings.SetNumber(P::SetHostSize, 0);
    Feed(B({IAC, DO, WindowSize}));
    EXPECT_EQ(replies, B({IAC, WONT, WindowSize}));
    replies.clear();
    settings.SetNumber(P::SetHostSize, 1);
    ASSERT_TRUE(settings.SetPageGeometry(132, 24, 6));
    Feed(B({IAC, DO, WindowSize}));
    EXPECT_EQ(replies, B({IAC, WILL, WindowSize, IAC, SB, WindowSize, 0, 132, 0, 24, IAC, SE}));
    replies.clear();
    ASSERT_TRUE(settings.SetPageGeometry(80, 36, 4));
    protocol.WindowSizeChanged();
    EXPECT_EQ(replies, B({IAC, WILL, WindowSize, IAC, SB, WindowSize, 0, 80, 0, 36, IAC, SE}));
}

TEST_F(TelnetProtocolTest, TerminalTypeFollowsTermId) {
    Feed(B({IAC, DO, TerminalType}));
    EXPECT_EQ(replies, B({IAC, WILL, TerminalType}));
    const std::string request = B({IAC, SB, TerminalType, Telnet::Send, IAC, SE});
    for (const auto& [termId, name] : {std::pair{0, "vt420"}, {2, "vt220"}, {5, "vt100"}}) {
        replies.clear();
        settings.SetNumber(P::TermID, termId);
        EXPECT_EQ(Feed("<" + request + ">"), "<>");
        EXPECT_EQ(replies, B({IAC, SB, TerminalType, Is}) + name + B({IAC, SE}));
    }
    // The user's choice goes instead.
    chosenType = "tamsivane";
    replies.clear();
    Feed(request);
    EXPECT_EQ(replies, B({IAC, SB, TerminalType, Is}) + "tamsivane" + B({IAC, SE}));
    replies.clear();
    Feed(B({IAC, SB, TerminalType, Is, 'x', IAC, SE}));
    EXPECT_EQ(replies, B({IAC, SB, TerminalType, IAC, SE}));
    replies.clear();
    Feed(B({IAC, SB, WindowSize, 1, IAC, SE}));
    EXPECT_EQ(replies, "");
}

TEST_F(TelnetProtocolTest, OverlongSubnegotiationIsCutAndTheStreamGoesOn) {
    std::string sub = B({IAC, SB, TerminalType, Telnet::Send});
    sub += std::string(5000, 'z');
    sub += B({IAC, IAC, IAC, 7});
    sub += std::string(300, 'y');
    sub += B({IAC, SE});
    settings.SetNumber(P::TermID, 1);
    EXPECT_EQ(Feed(sub + "after"), "after");
    EXPECT_EQ(replies, B({IAC, SB, TerminalType, Is}) + "vt320" + B({IAC, SE}));
}

TEST_F(TelnetProtocolTest, OptionsAreNotedInTheDebugCapture) {
    Feed(B({IAC, DO, 0}));
    EXPECT_EQ(captured, "");
    settings.SetNumber(P::CaptureDebug, 1);
    Feed(B({IAC, DO, Echo, IAC, WONT, 200}));
    EXPECT_EQ(captured, "<OP 253 1><OP 252 200>");
}

TEST_F(TelnetProtocolTest, OutputDoublesEveryIac) {
    const std::string raw = B({'a', IAC, IAC, 'b', IAC});
    EXPECT_EQ(
        TelnetProtocol::EscapeOutput(reinterpret_cast<const uint8_t*>(raw.data()), raw.size()),
        B({'a', IAC, IAC, IAC, IAC, 'b', IAC, IAC}));
}

} // namespace
} // namespace tamsivane
