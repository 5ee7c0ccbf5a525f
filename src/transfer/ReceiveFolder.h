// Where received files go.  Names the other end sends are cut to their last
// component and checked, and files are created only inside the folder, each
// as a new regular file: nothing there is ever replaced or followed.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace tamsivane {

// The folder the RecvDir setting names: "/" and "\" both separate, and a
// relative one, like "~/...", lies in the user's home folder ("" without one).
// The default setting ("Received") or none means "Tamsivane" in the user's
// download folder.
std::string ResolveReceiveFolder(std::string_view setting);

class ReceiveFolder {
public:
    // The highest number put after a name that exists.
    static constexpr int kMaxNumber = 999;

    explicit ReceiveFolder(std::string path) : path_(std::move(path)) {}

    // The last component of a name (split at "/" and "\"); "" when that is
    // empty, "." or "..", or holds a control character.
    static std::string SafeName(std::string_view sent);

    // Makes the folder and its missing parents, then creates a new file for
    // writing with mode (less the umask): name, or when that exists name.1,
    // name.2, ...  The descriptor and the name it got, or -1 with the reason
    // in error.
    int Create(const std::string& name, mode_t mode, std::string& created,
               std::string& error) const;

    // For a sender that asks to append: the existing regular file of the
    // name, opened to append (never through a link), else a new file as
    // Create makes it.
    int Append(const std::string& name, mode_t mode, std::string& created,
               std::string& error) const;

    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace tamsivane
