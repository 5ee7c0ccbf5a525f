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

} // namespace tamsivane
