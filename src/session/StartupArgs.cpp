#include "session/StartupArgs.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

#include "session/TelnetLink.h"

namespace tamsivane {
namespace {

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

std::string StripQuotes(std::string_view word) {
    if (word.empty() || word.front() != '"') return std::string(word);
    word.remove_prefix(1);
    const size_t close = word.find('"');
    return std::string(word.substr(0, close));
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// "file://[localhost]/path" with %XX escapes; nullopt for another host or a
// malformed escape.
std::optional<std::string> FileUrlPath(std::string_view url) {
    url.remove_prefix(std::string_view("file://").size());
    if (StartsWithIgnoringCase(url, "localhost/")) url.remove_prefix(std::string_view("localhost").size());
    if (url.empty() || url.front() != '/') return std::nullopt;
    std::string path;
    for (size_t i = 0; i < url.size(); ++i) {
        if (url[i] != '%') {
            path += url[i];
            continue;
        }
        const int high = i + 2 < url.size() ? HexDigit(url[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(url[i + 2]) : -1;
        if (low < 0 || (high == 0 && low == 0)) return std::nullopt;
        path += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return path;
}

// Reads a Telnet address, "TELNET:" link or plain "host[:port]", into
// request: the port word, or 23, unless the address names its own port.
bool ReadTelnetAddress(std::string_view target, std::optional<std::string_view> portWord,
                       StartupRequest& request) {
    const std::optional<TelnetTarget> link = ParseTelnetLink(target);
    if (!link) return false;
    request.open = StartupRequest::Open::Telnet;
    request.host = link->host;
    request.port = link->port;
    const size_t colon = target.rfind(':');
    const bool ownPort = colon != std::string_view::npos && colon > target.rfind(']') &&
                         !(IsTelnetLink(target) && colon + 1 == std::string_view("telnet:").size());
    if (portWord && !ownPort) {
        const auto port = ParsePortNumber(*portWord);
        if (!port) return false;
        request.port = *port;
    }
    return true;
}

// Takes the "--" options out of words; false on an unknown one or a missing
// or bad value.
bool TakeDesktopOptions(std::span<const std::string> words, DesktopOptions& options,
                        std::vector<std::string>& rest) {
    struct Option {
        std::string_view name;
        std::string DesktopOptions::*text; // nullptr: --quit-after
    };
    static constexpr Option kOptions[] = {
        {"--screenshot", &DesktopOptions::screenshot},
        {"--dump-text", &DesktopOptions::dumpText},
        {"--quit-after", nullptr},
        {"--fault-report", &DesktopOptions::faultReport},
        {"--replay", &DesktopOptions::replay},
    };
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        if (!word.starts_with("--")) {
            rest.push_back(words[i]);
            continue;
        }
        const size_t equals = word.find('=');
        const std::string_view name = word.substr(0, equals);
        const auto option = std::find_if(std::begin(kOptions), std::end(kOptions),
                                         [&](const Option& o) { return o.name == name; });
        if (option == std::end(kOptions)) return false;
        std::string_view value;
        if (equals != std::string_view::npos) {
            value = word.substr(equals + 1);
        } else if (i + 1 < words.size()) {
            value = words[++i];
        } else {
            return false;
        }
        if (value.empty()) return false;
        if (option->text != nullptr) {
            options.*(option->text) = std::string(value);
            continue;
        }
        int seconds = 0;
        const auto [last, error] = std::from_chars(value.data(), value.data() + value.size(), seconds);
        if (error != std::errc() || last != value.data() + value.size() || seconds < 0) return false;
        options.quitAfterSeconds = seconds;
    }
    return true;
}

bool ReadWords(std::span<const std::string> words,
               const std::function<bool(const std::string&)>& isFile, StartupRequest& request) {
    bool setupFile = false;
    bool telnetHost = false;
    std::vector<std::string_view> positional;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        if (!word.starts_with('-')) {
            positional.push_back(word);
            continue;
        }
        if (word.size() < 2) return false;
        switch (std::tolower(static_cast<unsigned char>(word[1]))) {
        case 'e': request.noConnect = true; break;
        case 'f': setupFile = true; break;
        case 'h': telnetHost = true; break;
        case 'p': break;
        case 's':
            if (i + 1 >= words.size()) return false;
            request.script = StripQuotes(words[++i]);
            break;
        default: return false;
        }
    }
    if (positional.size() > 2) return false;
    if (positional.empty()) return true;
    const std::string target = StripQuotes(positional[0]);
    const std::optional<std::string_view> portWord =
        positional.size() == 2 ? std::optional(positional[1]) : std::nullopt;
    if (target.empty()) return true;

    if (StartsWithIgnoringCase(target, "file://")) {
        const auto path = FileUrlPath(target);
        if (!path || telnetHost || portWord) return false;
        request.open = StartupRequest::Open::SetupFile;
        request.setupFile = *path;
        return true;
    }
    if (setupFile) {
        if (portWord) return false;
        request.open = StartupRequest::Open::SetupFile;
        request.setupFile = target;
        return true;
    }
    if (telnetHost) {
        request.port = kTelnetPort;
        if (portWord) {
            const auto port = ParsePortNumber(*portWord);
            if (!port) return false;
            request.port = *port;
        }
        request.open = StartupRequest::Open::Telnet;
        request.host = target;
        return true;
    }
    // A bare target: a setup file when one exists (the extension may be left
    // out, in either case), else a Telnet address.  A "telnet:" link is
    // always an address: a link from a web page or a mail must not open a
    // setup file that happens to lie in the working folder.
    if (IsTelnetLink(target)) return ReadTelnetAddress(target, portWord, request);
    for (const std::string& candidate : {target, target + ".QZV", target + ".qzv"}) {
        if (isFile(candidate)) {
            request.open = StartupRequest::Open::SetupFile;
            request.setupFile = candidate;
            return !portWord;
        }
    }
    return ReadTelnetAddress(target, portWord, request);
}

} // namespace

std::vector<std::string> SplitCommandLine(std::string_view text) {
    std::vector<std::string> words;
    size_t i = 0;
    const auto blank = [&](size_t at) { return text[at] == ' ' || text[at] == '\t'; };
    while (i < text.size()) {
        if (blank(i)) {
            ++i;
            continue;
        }
        if (text[i] == '"') {
            const size_t close = text.find('"', i + 1);
            const size_t end = close == std::string_view::npos ? text.size() : close;
            words.emplace_back(text.substr(i + 1, end - i - 1));
            i = close == std::string_view::npos ? text.size() : close + 1;
            continue;
        }
        const size_t start = i;
        while (i < text.size() && !blank(i)) ++i;
        words.emplace_back(text.substr(start, i - start));
    }
    return words;
}

StartupCommandLine ParseStartupWords(std::span<const std::string> words,
                                     const std::function<bool(const std::string&)>& isFile) {
    StartupCommandLine result;
    std::vector<std::string> rest;
    if (!TakeDesktopOptions(words, result.desktop, rest) ||
        !ReadWords(rest, isFile, result.request)) {
        result.error = true;
        result.request = StartupRequest{};
    }
    return result;
}

bool RegularFileExists(const std::string& path) {
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

} // namespace tamsivane
