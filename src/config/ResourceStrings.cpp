#include "config/ResourceStrings.h"

#include <algorithm>
#include <iterator>

namespace tamsivane {
namespace {

struct ResourceEntry {
    int id;
    std::string_view text;
};

// Sorted by number.
constexpr ResourceEntry kStrings[] = {
    {Msg::NoVtKeySelected, "Please select one VT key click left mouse button."},
    {Msg::VtKeyNotMappable, "Selected VT key cannot be mapped to."},
    {Msg::CannotSetupPrinter, "Cannot setup printer."},
    {Msg::CannotStartPrintJob, "Cannot start printer job."},
    {Msg::CannotCreateFile, "Cannot create the file."},
    {Msg::CannotConnect, "Cannot connect to remote host."},
    {Msg::RestartForSettings,
     "You need to save the settings and restart the connection for new settings to be "
     "effective."},
    {Msg::InvalidSequence, "Invalid format in sequence."},
    {Msg::SelectAttribute, "Please select an attribute in attributes list."},
    {Msg::CannotOpenForSending, "Cannot open file for sending."},
    {Msg::TextNotFound, "Text not found."},
    {Msg::CannotLoadScript, "Cannot load script file."},
    {Msg::CommandLineError,
     "Error while processing command line.\nPlease see help for command line infomation."},
    {Msg::AbortConnectingQuestion,
     "This session is trying to connect to remote host.\nAre you sure to abort it?"},
    {Msg::DisconnectQuestion,
     "This session is still connected with remote host.\nAre you sure to disconnect?"},
    {Msg::SaveSettingsQuestion,
     "The terminal settings have been modified. Do you want to save the changes?"},
    {Msg::CannotLoadTemplate, "Cannot load settings from template."},
    {Msg::CannotSaveTemplate, "Cannot save to this template. Check template name."},
    {Msg::PreviousVersionSetupFile,
     "The file you are loading is saved by a previous version of Tamsivane, and its format "
     "isn't supported by this version of Tamsivane. Please use session file converter to "
     "convert it to new format.\n\n"
     "The session file converter is distributed with Tamsivane 3.00 as a separate program; run "
     "it on this file and open the converted file."},
    // The name of a setup file, then why it cannot be read or saved.
    {Msg::CannotReadSetupFile, "Cannot read the setup file \"%s\": %s."},
    {Msg::CannotSaveSetupFile, "Cannot save the setup file \"%s\": %s."},
    {Msg::NoTransportForHostType, "No connection can be made for HostType %d."},
    {Msg::UserGuideMissing, "The user guide (index.htm) is not installed."},
    {Msg::NoHost, "Please input host name or address."},
    {Msg::BadTelnetPort, "Invalid Telnet port number."},
    {Msg::BadCommPort, "Invalid comm port name."},
    {Msg::BadBaudRate, "Invalid baud rate."},
    {Msg::BadPhoneNumber, "Invalid character in phone number."},
    {Msg::NoProxyHost, "Please specify address of both host and proxy."},
    {Msg::NoModem, "No modem installed. Please use Configure... to add your modem."},
    {Msg::FaultReportUnreadable,
     "Severe problem happened to Tamsivane; its report cannot be read: %s"},
    {Msg::NoButtonCaption, "Please specify a caption for the button."},
    {Msg::NoMappedKeyCharacter, "Please specify a single character for mapped key."},
    {Msg::NoSiteSelected, "Please select a site name."},
    {Msg::NoHostAddress, "Please input the address for the host."},
    {Msg::ConnectionNotSupported, "This kind of connection is not supported."},
    // The address book's file, then why it cannot be read or saved.
    {Msg::CannotReadAddressBook, "Cannot read the address book \"%s\": %s."},
    {Msg::CannotSaveAddressBook, "Cannot save the address book \"%s\": %s."},
    {Msg::NoAddressBookEntry, "No address book entry named %s."},
    {Msg::BadSshPort, "Invalid SSH port number."},
    {Msg::NoTemplateName, "Please select or type a template name."},
    {Msg::SelectMenuItem, "Please select a menu item."},
    {Msg::AllFilesFilter, "All Files (*.*) |*.*|"},
    {Msg::SendFileTitle, "Send File"},
    {Msg::NewConnectionTitle, "New Connection to %s"},
    {Msg::ConnectionTitle, "%s : Connection to %s"},
    {Msg::CannotInitializePrinter, "Cannot initialize printer. Error code = %d"},
};

static_assert(std::is_sorted(std::begin(kStrings), std::end(kStrings),
                             [](const ResourceEntry& a, const ResourceEntry& b) {
                                 return a.id < b.id;
                             }));

} // namespace

std::string_view ResourceString(int id) {
    const auto* entry =
        std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                         [](const ResourceEntry& e, int wanted) { return e.id < wanted; });
    return entry != std::end(kStrings) && entry->id == id ? entry->text : std::string_view{};
}

std::string FormatResource(int id, std::initializer_list<std::string_view> values) {
    const std::string_view pattern = ResourceString(id);
    std::string text;
    const auto* value = values.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        const bool place = pattern[i] == '%' && i + 1 < pattern.size() &&
                           (pattern[i + 1] == 's' || pattern[i + 1] == 'd');
        if (place && value != values.end()) {
            text += *value++;
            ++i;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

} // namespace tamsivane
