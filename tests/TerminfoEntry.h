// The program's compiled terminal description in the build tree, read the
// way programs read it: through tput and infocmp.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/RunCli.h"

namespace tamsivane::testing {

// What tput or infocmp prints about the entry; nullopt when it fails.
inline std::optional<std::string> TerminfoOutput(std::string_view program,
                                                 const std::string& arguments) {
    const CliResult result =
        RunCli(arguments, "TERMINFO='" TAMSIVANE_TERMINFO "' " + std::string(program));
    if (result.status != 0) return std::nullopt;
    return result.output;
}

// The string of a capability ("cup 5 10": name and decimal arguments) as tput
// prints it; nullopt when the entry lacks it.
inline std::optional<std::string> CapabilityString(std::string_view nameAndArguments) {
    if (nameAndArguments.empty() ||
        nameAndArguments.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                           "0123456789 ") != std::string_view::npos) {
        return std::nullopt;
    }
    return TerminfoOutput("tput -T tamsivane", std::string(nameAndArguments));
}

// The names of every capability the entry declares, extended ones included.
inline std::vector<std::string> CapabilityNames() {
    std::vector<std::string> names;
    const std::optional<std::string> listing = TerminfoOutput("infocmp -1 -x", "tamsivane");
    if (!listing) return names;
    size_t start = 0;
    for (size_t end; (end = listing->find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string_view line(listing->data() + start, end - start);
        // Capability lines are indented by a tab; the first line names the entry.
        if (line.empty() || line[0] != '\t') continue;
        names.emplace_back(line.substr(1, line.find_first_of("=#,") - 1));
    }
    return names;
}

} // namespace tamsivane::testing
