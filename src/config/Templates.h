// Settings templates: setup files named "<name>.qzv", shipped with the
// program or saved by the user ("default" is loaded into every new
// connection).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "config/SettingsStore.h"
#include "keyboard/KeyMap.h"

namespace tamsivane {

inline constexpr std::string_view kDefaultTemplate = "default";

struct TemplateFolders {
    std::vector<std::string> search; // looked in, in this order
    std::string save;                // where templates are written
};

// The user's data folder, then the program's folder and the shared data
// folder, whose shipped templates are only read.  Templates are saved in the
// user's data folder, searched first, so that a saved template is the one
// loaded.
TemplateFolders DiscoverTemplateFolders();

class Templates {
public:
    explicit Templates(TemplateFolders folders);

    // Every template's name, sorted, each once.
    std::vector<std::string> Names() const;
    // The file of the named template, or "" when there is none.
    std::string Find(std::string_view name) const;
    // Reads the named template into settings and keys; on failure they are untouched.
    bool Load(std::string_view name, SettingsStore& settings, KeyMap& keys) const;
    bool Save(std::string_view name, const SettingsStore& settings, const KeyMap& keys) const;

    // A name is a plain file name: not empty, no folder separator ("/" or the
    // "\\" of names made elsewhere), not hidden.
    static bool IsValidName(std::string_view name);

    const TemplateFolders& Folders() const { return folders_; }

private:
    TemplateFolders folders_;
};

} // namespace tamsivane
