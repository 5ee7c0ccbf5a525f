#include "platform/UserAccount.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace tamsivane {
namespace {

std::string PasswordEntryField(char* passwd::* field) {
    const long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(static_cast<size_t>(size > 0 ? size : 16384));
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        return {};
    }
    const char* value = found->*field;
    return value ? value : "";
}

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

std::string HomeFolder() {
    std::string home = Environment("HOME");
    return home.empty() ? PasswordEntryField(&passwd::pw_dir) : home;
}

std::string LoginName() {
    std::string name = PasswordEntryField(&passwd::pw_name);
    return name.empty() ? Environment("USER") : name;
}

std::string LoginShell() {
    std::string shell = Environment("SHELL");
    return shell.empty() ? PasswordEntryField(&passwd::pw_shell) : shell;
}

} // namespace tamsivane
