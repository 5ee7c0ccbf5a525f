#include "session/TelnetLink.h"

#include <gtest/gtest.h>

namespace tamsivane {
namespace {

TEST(TelnetLinkTest, HostAndPortFromEveryForm) {
    const struct {
        const char* link;
        const char* host;
        int port;
    } cases[] = {
        {"telnet://myhost:2323/", "myhost", 2323},
        {"TELNET:myhost", "myhost", 23},
        {"Telnet://10.0.0.1", "10.0.0.1", 23},
        {"myhost:1", "myhost", 1},
        {"telnet://[::1]:2323", "::1", 2323},
        {"[fe80::1]", "fe80::1", 23},
    };
    for (const auto& c : cases) {
        const std::optional<TelnetTarget> target = ParseTelnetLink(c.link);
        ASSERT_TRUE(target) << c.link;
        EXPECT_EQ(target->host, c.host) << c.link;
        EXPECT_EQ(target->port, c.port) << c.link;
    }
    EXPECT_TRUE(IsTelnetLink("TeLnEt:x"));
    EXPECT_FALSE(IsTelnetLink("session.qzv"));
}

TEST(TelnetLinkTest, BadPortsAndEmptyHostsAreRefused) {
    for (const char* link : {"telnet://", "telnet://:23", "host:0", "host:65536", "host:23x",
                             "host:", "[::1", "[::1]x", "host:-5"}) {
        EXPECT_FALSE(ParseTelnetLink(link)) << link;
    }
}

} // namespace
} // namespace tamsivane
