// The folders the program reads its shipped data from (templates, help and
// the like, never written), the user's own data folder, where the user's
// templates and address book live, and the user's download folder.
#pragma once

#include <string>
#include <vector>

namespace tamsivane {

// The folder that holds the running program, or "" when it cannot be found.
std::string ProgramFolder();
// The installed data folder: "../share/tamsivane" beside the program's folder.
std::string SharedDataFolder();
// $XDG_DATA_HOME/tamsivane, else ~/.local/share/tamsivane; "" without a home.
std::string UserDataFolder();

// The user's download folder: XDG_DOWNLOAD_DIR from the environment or from
// the user's folder list (user-dirs.dirs in the XDG config folder), else
// ~/Downloads; "" without a home.
std::string DownloadFolder();

// Whether new files can be created in folder (an existing folder only).
bool IsWritableFolder(const std::string& folder);
// Creates folder and its missing parents (owner-only access); true when it exists afterwards.
bool MakeFolders(const std::string& folder);
// Names of the regular files directly in folder; empty when it cannot be read.
std::vector<std::string> FilesIn(const std::string& folder);

} // namespace tamsivane
