// The program's own terminal description ("tamsivane"): where curses
// programs would find it, the program's own copy beside it, and the
// environment that lets a program on the local terminal use it.
#pragma once

#include <string>
#include <vector>

namespace tamsivane {

inline constexpr const char* kOwnTerminalName = "tamsivane";

// The folders curses programs search, in their order: $TERMINFO,
// ~/.terminfo, the parts of $TERMINFO_DIRS (an empty part: the system's),
// then the system's folders.
std::vector<std::string> TerminfoSearchFolders();
// The program's own compiled entries: "terminfo" beside an uninstalled
// program, "../share/terminfo" beside an installed one.
std::vector<std::string> ProgramTerminfoFolders();

// The folder among folders that holds the compiled entry of name (in the
// "t/name" or the "74/name" layout), or "".
std::string FolderWithEntry(const std::vector<std::string>& folders, const std::string& name);

// Whether a local terminal program can use TERM=tamsivane, and what its
// environment needs for that: nothing when the entry is where curses looks,
// else TERMINFO_DIRS naming the program's own folder first.
struct TerminfoAccess {
    bool found = false;
    std::string terminfoDirs; // non-empty: set TERMINFO_DIRS to this
};
TerminfoAccess FindOwnTerminfo();

// An uninstalled program copies its entry into ~/.terminfo once, when curses
// programs cannot find one yet.  True when the entry is there afterwards.
bool InstallOwnTerminfoForUser();

} // namespace tamsivane
