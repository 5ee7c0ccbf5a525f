// What the user's locale says about text encoding.
#pragma once

#include <string_view>

namespace tamsivane {

// Whether a locale name ("en_GB.UTF-8", "C.utf8", "de_DE.UTF-8@euro") names
// the UTF-8 code set; a name without a code set ("C", "POSIX") does not.
bool LocaleNameIsUtf8(std::string_view name);

// The locale the C library takes for character types: the first of LC_ALL,
// LC_CTYPE and LANG that is set and not empty; whether it is UTF-8.
bool UserLocaleIsUtf8();

} // namespace tamsivane
