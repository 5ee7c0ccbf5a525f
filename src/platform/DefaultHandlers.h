// The user's default programs for file types and link schemes, as the
// desktop's "mimeapps.list" files record them.  The program makes itself the
// default for its own types only where the user has no default at all, and
// never replaces a program the user chose.
#pragma once

#include <string>
#include <vector>

namespace tamsivane {

// The folders looked in, from the environment (XDG base directories).
struct XdgFolders {
    std::string configHome;               // $XDG_CONFIG_HOME or ~/.config
    std::vector<std::string> configDirs;  // $XDG_CONFIG_DIRS or /etc/xdg
    std::string dataHome;                 // $XDG_DATA_HOME or ~/.local/share
    std::vector<std::string> dataDirs;    // $XDG_DATA_DIRS or /usr/local/share:/usr/share
    std::vector<std::string> desktops;    // $XDG_CURRENT_DESKTOP, lower case
    static XdgFolders FromEnvironment();
};

class DefaultHandlers {
public:
    explicit DefaultHandlers(XdgFolders folders) : folders_(std::move(folders)) {}

    // The desktop entry that is the default for type, or "" when none is set
    // in any of the lists (user's, desktop-specific, system-wide).
    std::string DefaultFor(const std::string& type) const;
    // Whether desktopId ("tamsivane.desktop") is installed where the desktop looks.
    bool IsInstalled(const std::string& desktopId) const;
    // Makes desktopId the default for each type that has none, in the user's
    // own list; returns the types it was made the default for.  Nothing when
    // the entry is not installed or the list cannot be written.
    std::vector<std::string> ClaimUnset(const std::string& desktopId,
                                        const std::vector<std::string>& types);

private:
    std::vector<std::string> ListFiles() const;
    std::string UserList() const;

    XdgFolders folders_;
};

} // namespace tamsivane
