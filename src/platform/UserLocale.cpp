#include "platform/UserLocale.h"

#include <cctype>
#include <cstdlib>
#include <string>

namespace tamsivane {

// The code set stands between '.' and an optional '@' modifier; its spelling
// varies ("UTF-8", "utf8", "UTF8"), so case and dashes are left out.
bool LocaleNameIsUtf8(std::string_view name) {
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos) return false;
    std::string_view codeSet = name.substr(dot + 1);
    codeSet = codeSet.substr(0, codeSet.find('@'));
    std::string folded;
    for (const char c : codeSet) {
        if (c != '-' && c != '_')
            folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return folded == "utf8";
}

bool UserLocaleIsUtf8() {
    for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && value[0] != '\0') return LocaleNameIsUtf8(value);
    }
    return false;
}

} // namespace tamsivane
