// The folders the program reads its data from (templates and the like) and
// the user's own data folder, where it writes when its own folders are not
// writable.
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

// Whether new files can be created in folder (an existing folder only).
bool IsWritableFolder(const std::string& folder);
// Creates folder and its missing parents (owner-only access); true when it exists afterwards.
bool MakeFolders(const std::string& folder);
// Names of the regular files directly in folder; empty when it cannot be read.
std::vector<std::string> FilesIn(const std::string& folder);

} // namespace tamsivane
