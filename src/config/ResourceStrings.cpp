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
    {Msg::CannotOpenForSending, "Cannot open file for sending."},
    {Msg::TextNotFound, "Text not found."},
    {Msg::NoSiteSelected, "Please select a site name."},
    {Msg::NoHostAddress, "Please input the address for the host."},
    {Msg::ConnectionNotSupported, "This kind of connection is not supported."},
    // The address book's file, then why it cannot be read or saved.
    {Msg::CannotReadAddressBook, "Cannot read the address book \"%s\": %s."},
    {Msg::CannotSaveAddressBook, "Cannot save the address book \"%s\": %s."},
    {Msg::NoAddressBookEntry, "No address book entry named %s."},
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
