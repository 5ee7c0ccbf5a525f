// What the New Connection dialog decides, without the dialog: the connection
// types it offers, the last entries it starts from, and the checks and
// parameters of each type's page.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/AppProfile.h"
#include "config/SettingsStore.h"

namespace tamsivane {

enum class ConnectionKind { Telnet, Serial, Local, Modem, TelnetProxy, Debug, LocalShell, Ssh };

// The type list in the dialog's order: "Telnet", "Serial", "Modem",
// "Telnet Proxy", "Local", "Local Shell", "SSH" ("Debug" is never offered).
const std::vector<std::string>& OfferedConnectionTypes();
std::optional<ConnectionKind> ConnectionKindByName(std::string_view name);

// The choices of the pages' lists, by index.
inline constexpr const char* kCommPorts[] = {"COM1", "COM2", "COM3", "COM4"};
inline constexpr const char* kBaudRates[] = {"300",  "600",   "1200",  "2400", "4800",
                                             "9600", "19200", "38400", "51200"};
inline constexpr const char* kDataBits[] = {"6", "7", "8"};
inline constexpr const char* kParities[] = {"No Parity", "Even", "Odd", "Mark", "Space"};
inline constexpr const char* kStopBits[] = {"1 Bit", "1.5 Bits", "2 Bits"};
inline constexpr const char* kFlowControls[] = {"None", "Xon/Xoff", "Hardware"};

// What the pages hold.
struct ConnectionEntries {
    // Index into the offered list; out of range (as on first use): none chosen.
    int type = -1;
    std::string host;
    std::string port = "Telnet";
    std::string proxyHost;
    std::string proxyPort = "Telnet";
    std::string commPort = "COM1";
    std::string baudRate = "9600";
    int dataBits = 2;
    int parity = 0;
    int stopBits = 0;
    int flowControl = 0;
    int modem = 0;    // index in the modem list; -1 without modems
    std::string phoneNumber;
    std::string shellCommand; // empty: the user's login shell
    std::string sshHost;
    std::string sshPort = "SSH";
    std::string sshUser; // empty: the local user
};

// The last entries from the profile's "Transport" section (the host list
// comes from RecentHosts).
ConnectionEntries LoadLastEntries(const AppProfile& profile);

// Checks the entries of one kind of connection and sets the session's
// parameters from them; otherwise returns the number of the message for
// the user and changes nothing.  The profile is not touched.
std::optional<int> SetConnection(ConnectionKind kind, const ConnectionEntries& entries,
                                 SettingsStore& settings);

// Checks the chosen type's entries; on success sets the session's
// parameters, remembers the entries in the profile and returns nullptr,
// otherwise returns the number of the message for the user and changes
// nothing.  Without a chosen type only "Type" is written (as -1).
std::optional<int> ApplyConnection(const ConnectionEntries& entries, SettingsStore& settings,
                                   AppProfile& profile);

// The terminal name every session tells the other end, kept in the
// profile's "Transport" section ("TerminalName"); "" lets each connection
// choose (the program's own name for local shells, the VT name otherwise).
std::string ChosenTerminalName(const AppProfile& profile);
void SetChosenTerminalName(AppProfile& profile, std::string_view name);

// A baud rate: decimal digits only, at least 1.
std::optional<int32_t> ParseBaudRate(std::string_view text);
// "COM<n>" in any case, n a decimal number other than 0; the port's index n - 1.
std::optional<int32_t> ParseCommPort(std::string_view text);
bool IsValidPhoneNumber(std::string_view text);

} // namespace tamsivane
