#include "config/ResourceStrings.h"

#include <algorithm>
#include <iterator>

namespace tamsivane {
namespace {

struct ResourceEntry {
    int id;
    std::string_view text;
};

constexpr int ScriptError(int code) { return Msg::ScriptErrors + code - 1000; }

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
    {Msg::ClipboardCopyFailed, "Cannot open clipboard. Copying aborted."},
    {Msg::ClipboardPasteFailed, "Cannot open clipboard. Pasting aborted."},
    {Msg::OutOfMemory, "Out of memory."},
    {Msg::AllFilesFilter, "All Files (*.*) |*.*|"},
    {Msg::SendFileTitle, "Send File"},
    {Msg::NewConnectionTitle, "New Connection to %s"},
    {Msg::ConnectionTitle, "%s : Connection to %s"},
    {Msg::CannotInitializePrinter, "Cannot initialize printer. Error code = %d"},
    {Msg::ScriptErrors, "Other error"},
    {ScriptError(1001), "Invalid function name"},
    {ScriptError(1002), "Invalid parameter name"},
    {ScriptError(1010), "Invalid character"},
    {ScriptError(1011), "Unexpected character"},
    {ScriptError(1012), "Unexpected character near operator"},
    {ScriptError(1013), "Invalid symbol in expression"},
    {ScriptError(1020), "Required function parameter not supplied"},
    {ScriptError(1021), "Incompatible parameter type"},
    {ScriptError(1030), "Number value required"},
    {ScriptError(1031), "String value required"},
    {ScriptError(1032), "Object required"},
    {ScriptError(1033), "Function point required"},
    {ScriptError(1040), "Identifier name too long: maximum 64 characters"},
    {ScriptError(1050), "Invalid object type"},
    {ScriptError(1051), "Invalid method name"},
    {ScriptError(1052), "Invalid property name"},
    {ScriptError(1053), "Variable not found"},
    {ScriptError(1060), "Array subscription required"},
    {ScriptError(1061), "Array subscription invalid"},
    {ScriptError(1070), "Cannot assign value"},
    {ScriptError(1071), "Operation not supported"},
    {ScriptError(1072), "Value required"},
    {ScriptError(1081), "Cannot set property: invalid name or index"},
    {ScriptError(1082), "term.Get: invalid length"},
    {ScriptError(1083), "term.DoMenu: menu item not found"},
    {ScriptError(1084), "term.Send: the host did not take the text"},
    {ScriptError(1090), "Cannot open file"},
    {ScriptError(1091), "Protected script function disabled"},
    {ScriptError(1092), "Invalid parameter(s)"},
    {ScriptError(1093), "Parameter number mismatch"},
    {ScriptError(1100), "Cannot access an array without subscription"},
    {ScriptError(1101), "Array subscription out of range"},
    {ScriptError(1102), "Cannot assign array into a variable"},
    {ScriptError(1103), "Array element type mismatch"},
    // The script's name, the line, the code and the message.
    {Msg::ScriptErrorReport, "Script Error:\n\n%s (Line %d) : E%04d %s"},
    {Msg::ScriptErrorDetail, ": \"%s\""},
    {Msg::ScriptCallbackError, "Script error in OnRecv routine: %s."},
    {Msg::ScriptCallbackDetail, "\n====>\"%s\""},
    {Msg::ScriptTimedOut, "Script timed out."},
    {Msg::NothingRecorded, "You didn't type anything, so the macro will be ignored."},
    {Msg::CommandNeedsDesktop, "This command needs the desktop program: %s"},
    {Msg::SessionNeedsDesktop, "Opening another session needs the desktop program: %s"},
    // Details of script errors.
    {Msg::DivisionByZero, "division by zero"},
    {Msg::DivisionOverflow, "division overflow"},
    {Msg::StringTooLong, "string longer than %d MiB"},
    {Msg::ScriptMemoryFull, "script memory above %d MiB"},
    {Msg::CallsTooDeep, "calls nested deeper than %d levels"},
    {Msg::EvaluationTooDeep, "evaluation nested deeper than %d levels"},
    {Msg::NestingTooDeep, "nesting deeper than %d levels"},
    {Msg::ScriptOutOfMemory, "out of memory"},
    {Msg::HostScriptRefused, "The host asked to run a script; it was refused."},
    {Msg::HostScriptBusy,
     "The host asked to run a script while one was running; the request was dropped."},
    {Msg::HostScriptTimeLimit, "The host's script ran out of time and was stopped."},
    {Msg::HostScriptQuestion, "The host wants to run a script"},
    {Msg::HostScriptsDropped, "%d more requests dropped"},
    // A message and how often it came.
    {Msg::RepeatedMessage, "%s (%d times)"},
    // A folder or file the desktop could not show; a file and why it was not read.
    {Msg::UserGuideAt, "The user guide is %s."},
    {Msg::ReceivedFilesAt, "The received files are in %s."},
    {Msg::FileNotRead, "%s: %s"},
    {Msg::CannotSaveModemList, "Cannot save the modem list: %s."},
    // Why a serial line cannot be set up; the refused setting's value.
    {Msg::LineBadSpeed, "Invalid baud rate: %d."},
    {Msg::LineBadDataBits, "%d data bits are not supported; the line takes 6, 7 or 8."},
    {Msg::LineOneAndAHalfStopBits, "1.5 stop bits are not supported by this line."},
    {Msg::LineBadStopBits, "Invalid stop bits setting: %d."},
    {Msg::LineBadParity, "Invalid parity setting: %d."},
    {Msg::LineBadFlowControl, "Invalid flow control setting: %d."},
    {Msg::LineSettingsRefused, "The device refuses the speed of %d bit/s or the line settings."},
    {Msg::LineSpeedRefused, "The device refuses the speed of %d bit/s."},
    // Dialling, shown on the screen.
    {Msg::Dialing, "Dialing..."},
    {Msg::Ringback, "Ringback"},
    {Msg::LineBusy, "Busy"},
    {Msg::CallConnected, "Connected."},
    {Msg::NoModemDriver, "Modem doesn't exist or driver version not supported."},
    {Msg::ModemNotAvailable, "Modem not available."},
    {Msg::BadDialingAddress, "Invalid dialing address."},
    {Msg::CallFailed, "Failed to make a call. (Err# %X)"},
    // SSH: the host, the key type and its fingerprint; the host and the
    // known-hosts file; the file; the account.
    {Msg::UnknownHostKey,
     "The authenticity of host %s can't be established.\n%s key fingerprint is %s.\n"
     "Do you want to connect and remember this host?"},
    {Msg::ChangedHostKey,
     "The host key of %s has changed. The connection was refused; if the change is expected, "
     "remove the old key from %s."},
    {Msg::AuthenticationFailed, "Authentication failed."},
    {Msg::HostKeyNotStored, "The host key could not be stored in %s."},
    {Msg::PasswordPrompt, "Password for %s:"},
};

// Numbers strictly increase: each is found by binary search and none is used twice.
static_assert(std::adjacent_find(std::begin(kStrings), std::end(kStrings),
                                 [](const ResourceEntry& a, const ResourceEntry& b) {
                                     return a.id >= b.id;
                                 }) == std::end(kStrings));

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
        // "%s", "%d", "%X", or "%0<width>d" for a number padded with zeros.
        size_t end = i + 1;
        size_t width = 0;
        const bool padded = end < pattern.size() && pattern[end] == '0';
        if (padded) {
            while (++end < pattern.size() && pattern[end] >= '0' && pattern[end] <= '9') {
                width = std::min<size_t>(width * 10 + static_cast<size_t>(pattern[end] - '0'), 64);
            }
        }
        const bool place =
            pattern[i] == '%' && end < pattern.size() &&
            (pattern[end] == 'd' || (!padded && (pattern[end] == 's' || pattern[end] == 'X')));
        if (place && value != values.end()) {
            if (value->size() < width) text.append(width - value->size(), '0');
            text += *value++;
            i = end;
        } else {
            text += pattern[i];
        }
    }
    return text;
}

} // namespace tamsivane
