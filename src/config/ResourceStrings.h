// The numbered texts shown to the user.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace tamsivane {

namespace Msg {
enum : int {
    NoVtKeySelected = 1010,
    VtKeyNotMappable = 1011,
    CannotSetupPrinter = 1022,
    CannotStartPrintJob = 1023,
    CannotCreateFile = 1027,
    CannotConnect = 1029,
    RestartForSettings = 1030,
    CannotOpenForSending = 1039,
    TextNotFound = 1041,
    NoSiteSelected = 1060,
    NoHostAddress = 1061,
    ConnectionNotSupported = 1062,
    CannotReadAddressBook = 1063,
    CannotSaveAddressBook = 1064,
    NoAddressBookEntry = 1065,
    AllFilesFilter = 2002,
    SendFileTitle = 3001,
    NewConnectionTitle = 4001,
    ConnectionTitle = 4002,
    CannotInitializePrinter = 4008,
};
} // namespace Msg

// The text for a string number; empty for an unknown number.
std::string_view ResourceString(int id);

// The text of a string number with each "%s" or "%d" replaced by the next
// value (numbers are given as their text); a place without a value is left
// as it stands.
std::string FormatResource(int id, std::initializer_list<std::string_view> values);

} // namespace tamsivane
