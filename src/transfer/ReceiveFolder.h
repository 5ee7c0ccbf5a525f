// Where received files go.  Names the other end sends are cut to their last
// component and checked, and files are created only inside the folder,
// never through a symbolic link, and only as regular files.
#pragma once

#include <string>
#include <string_view>

namespace tamsivane {

// The folder the RecvDir setting names: "/" and "\" both separate, "~/" is the
// home folder, and a relative one lies beside the program when the program's
// folder is writable, else in the user's data folder.
std::string ResolveReceiveFolder(std::string_view setting);

class ReceiveFolder {
public:
    explicit ReceiveFolder(std::string path) : path_(std::move(path)) {}

    // The last component of a name (split at "/" and "\"); "" when that is
    // empty, "." or "..", or holds a control character.
    static std::string SafeName(std::string_view sent);

    // Makes the folder and its missing parents, then creates (or truncates)
    // the file name in it for writing.  The descriptor, or -1 with the
    // reason in error.
    int Create(const std::string& name, std::string& error) const;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace tamsivane
