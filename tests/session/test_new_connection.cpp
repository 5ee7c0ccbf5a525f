#include <gtest/gtest.h>

#include "config/RecentList.h"
#include "config/ResourceStrings.h"
#include "session/NewConnection.h"

namespace tamsivane {
namespace {

int TypeIndex(const char* name) {
    const auto& offered = OfferedConnectionTypes();
    return static_cast<int>(std::find(offered.begin(), offered.end(), name) - offered.begin());
}

class NewConnectionTest : public ::testing::Test {
protected:
    std::optional<int> Apply(const ConnectionEntries& e) {
        return ApplyConnection(e, settings_, profile_);
    }
    ConnectionEntries Entries(const char* type) {
        ConnectionEntries e = LoadLastEntries(profile_);
        e.type = TypeIndex(type);
        return e;
    }

    SettingsStore settings_;
    MemoryProfile profile_;
};

TEST_F(NewConnectionTest, OffersTheTypesWithTheNewKindsLastAndNeverDebug) {
    EXPECT_EQ(OfferedConnectionTypes(),
              (std::vector<std::string>{"Telnet", "Serial", "Modem", "Telnet Proxy", "Local",
                                        "Local Shell", "SSH"}));
    EXPECT_EQ(ConnectionKindByName("Debug"), ConnectionKind::Debug);
    EXPECT_FALSE(ConnectionKindByName("telnet"));
}

TEST_F(NewConnectionTest, FirstUseChoosesNothingAndKeepsTheTemplate) {
    settings_.SetNumber(P::HostType, 2);
    EXPECT_EQ(Apply(LoadLastEntries(profile_)), std::nullopt);
    EXPECT_EQ(profile_.GetInt("Transport", "Type", 99), -1);
    EXPECT_EQ(settings_.GetNumber(P::HostType), 2);
}

TEST_F(NewConnectionTest, TelnetPageChecksHostAndPort) {
    ConnectionEntries e = Entries("Telnet");
    EXPECT_EQ(Apply(e), Msg::NoHost);
    e.host = "myhost";
    for (const char* bad : {"23a", "0", "", "70000"}) {
        e.port = bad;
        EXPECT_EQ(Apply(e), Msg::BadTelnetPort) << bad;
    }
    EXPECT_EQ(profile_.GetInt("Transport", "Type", 99), 99); // nothing written on failure
    settings_.SetString(P::Proxy, "from-template");
    for (const auto& [text, port] : {std::pair{"telnet", 23}, {"finger", 79}, {"2323", 2323}}) {
        e.port = text;
        ASSERT_EQ(Apply(e), std::nullopt) << text;
        EXPECT_EQ(settings_.GetNumber(P::Port), port);
    }
    EXPECT_EQ(settings_.GetString(P::HostName), "myhost");
    EXPECT_EQ(settings_.GetNumber(P::HostType), 0);
    EXPECT_EQ(settings_.GetString(P::Proxy), "");
    EXPECT_EQ(profile_.GetString("Transport", "TelnetPort", ""), "2323");
    EXPECT_EQ(profile_.GetInt("Transport", "Type", -1), 0);
    // The same host three times is listed once.
    EXPECT_EQ(RecentHosts(profile_).Load(), std::vector<std::string>{"myhost"});
}

TEST_F(NewConnectionTest, ProxyPageNeedsBothHostsAndPorts) {
    ConnectionEntries e = Entries("Telnet Proxy");
    e.host = "inner";
    EXPECT_EQ(Apply(e), Msg::NoProxyHost);
    e.proxyHost = "gate";
    e.proxyPort = "";
    EXPECT_EQ(Apply(e), Msg::BadTelnetPort);
    e.proxyPort = "8023";
    ASSERT_EQ(Apply(e), std::nullopt);
    EXPECT_EQ(settings_.GetString(P::Proxy), "gate");
    EXPECT_EQ(settings_.GetNumber(P::Speed), 8023);
    EXPECT_EQ(settings_.GetNumber(P::Port), 23);
    EXPECT_EQ(LoadLastEntries(profile_).proxyHost, "gate");
    EXPECT_EQ(LoadLastEntries(profile_).proxyPort, "8023");
}

TEST_F(NewConnectionTest, SerialPageChecksPortAndBaudRate) {
    ConnectionEntries e = Entries("Serial");
    for (const char* bad : {"COM0", "COMX", "LPT1", "COM", "COM-1", "COM99999999999"}) {
        e.commPort = bad;
        EXPECT_EQ(Apply(e), Msg::BadCommPort) << bad;
    }
    e.commPort = "com2";
    // Text, signs and zero are not a rate (they are not taken as 0).
    for (const char* bad : {"fast", "-9600", "0", "", "96 00", "+9600", "99999999999"}) {
        e.baudRate = bad;
        EXPECT_EQ(Apply(e), Msg::BadBaudRate) << bad;
    }
    e.baudRate = "115200";
    e.dataBits = 1;
    e.parity = 2;
    e.stopBits = 2;
    e.flowControl = 1;
    ASSERT_EQ(Apply(e), std::nullopt);
    EXPECT_EQ(settings_.GetNumber(P::Port), 1);
    EXPECT_EQ(settings_.GetNumber(P::Speed), 115200);
    EXPECT_EQ(settings_.GetNumber(P::DataLength), 7);
    EXPECT_EQ(settings_.GetNumber(P::HostType), 1);
    const ConnectionEntries last = LoadLastEntries(profile_);
    EXPECT_EQ(last.commPort, "com2");
    EXPECT_EQ(last.baudRate, "115200");
    EXPECT_EQ(last.dataBits, 1);
    EXPECT_EQ(last.parity, 2);
    EXPECT_EQ(last.stopBits, 2);
    EXPECT_EQ(last.flowControl, 1);
    EXPECT_EQ(last.type, TypeIndex("Serial"));
}

TEST_F(NewConnectionTest, ModemPageChecksThePhoneNumber) {
    ConnectionEntries e = Entries("Modem");
    e.modem = -1;
    e.phoneNumber = "123";
    EXPECT_EQ(Apply(e), Msg::NoModem);
    e.modem = 1;
    e.phoneNumber = "555-1234#";
    EXPECT_EQ(Apply(e), Msg::BadPhoneNumber);
    e.phoneNumber = "9,(555) 123-4567";
    ASSERT_EQ(Apply(e), std::nullopt);
    EXPECT_EQ(settings_.GetNumber(P::HostType), 3);
    EXPECT_EQ(settings_.GetNumber(P::Port), 1);
    EXPECT_EQ(settings_.GetString(P::HostName), "9,(555) 123-4567");
    EXPECT_EQ(LoadLastEntries(profile_).modem, 1);
    EXPECT_EQ(RecentPhoneNumbers(profile_).Load(), std::vector<std::string>{"9,(555) 123-4567"});
}

TEST_F(NewConnectionTest, LocalIsTheLoopBack) {
    ASSERT_EQ(Apply(Entries("Local")), std::nullopt);
    EXPECT_EQ(settings_.GetNumber(P::HostType), 2);
}

TEST_F(NewConnectionTest, LocalShellRunsTheCommandOrTheLoginShell) {
    ConnectionEntries e = Entries("Local Shell");
    settings_.SetString(P::HostName, "from-template");
    ASSERT_EQ(Apply(e), std::nullopt);
    EXPECT_EQ(settings_.GetNumber(P::HostType), 7);
    EXPECT_EQ(settings_.GetString(P::HostName), "");
    e.shellCommand = "top";
    ASSERT_EQ(Apply(e), std::nullopt);
    EXPECT_EQ(settings_.GetString(P::HostName), "top");
    EXPECT_EQ(LoadLastEntries(profile_).shellCommand, "top");
}

TEST_F(NewConnectionTest, SshPageChecksHostAndPortAndRemembersThem) {
    ConnectionEntries e = Entries("SSH");
    EXPECT_EQ(e.sshPort, "SSH");
    EXPECT_EQ(Apply(e), Msg::NoHost);
    e.sshHost = "shellhost";
    e.sshPort = "22x";
    EXPECT_EQ(Apply(e), Msg::BadSshPort);
    e.sshPort = "ssh";
    e.sshUser = "me";
    ASSERT_EQ(Apply(e), std::nullopt);
    EXPECT_EQ(settings_.GetNumber(P::HostType), 8);
    EXPECT_EQ(settings_.GetNumber(P::Port), 22);
    EXPECT_EQ(settings_.GetString(P::HostName), "shellhost");
    EXPECT_EQ(settings_.GetString(P::SshUser), "me");
    EXPECT_EQ(RecentHosts(profile_).Load(), std::vector<std::string>{"shellhost"});
    const ConnectionEntries last = LoadLastEntries(profile_);
    EXPECT_EQ(last.sshPort, "ssh");
    EXPECT_EQ(last.sshUser, "me");
    EXPECT_EQ(last.type, TypeIndex("SSH"));
}

TEST_F(NewConnectionTest, OutOfRangeListIndexesFallBackToTheFirst) {
    profile_.SetInt("Transport", "Parity", 9);
    profile_.SetInt("Transport", "DataLength", -3);
    EXPECT_EQ(LoadLastEntries(profile_).parity, 0);
    EXPECT_EQ(LoadLastEntries(profile_).dataBits, 0);
}

} // namespace
} // namespace tamsivane
