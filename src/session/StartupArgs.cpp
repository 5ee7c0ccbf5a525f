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

// The "--" options: a text, a switch, or (neither) --quit-after's seconds.
struct DesktopOption {
    std::string_view name;
    std::string DesktopOptions::*text = nullptr;
    bool DesktopOptions::*flag = nullptr;
};
constexpr DesktopOption kDesktopOptions[] = {
    {"--screenshot", &DesktopOptions::screenshot},
    {"--dump-text", &DesktopOptions::dumpText},
    {"--quit-after"},
    {"--fault-report", &DesktopOptions::faultReport},
    {"--replay", &DesktopOptions::replay},
    {"--quit-at-end", nullptr, &DesktopOptions::quitAtEnd},
};

// The option a "--" word names ("--name" or "--name=value"), or nullptr.
const DesktopOption* FindDesktopOption(std::string_view word) {
    const std::string_view name = word.substr(0, word.find('='));
    const auto option = std::find_if(std::begin(kDesktopOptions), std::end(kDesktopOptions),
                                     [&](const DesktopOption& o) { return o.name == name; });
    return option == std::end(kDesktopOptions) ? nullptr : option;
}

// Whether the option's value is the next word.
bool ValueFollows(const DesktopOption& option, std::string_view word) {
    return option.flag == nullptr && word.find('=') == std::string_view::npos;
}

// Takes the "--" options out of words; false on an unknown one or a missing
// or bad value.
bool TakeDesktopOptions(std::span<const std::string> words, DesktopOptions& options,
                        std::vector<std::string>& rest) {
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        if (!word.starts_with("--")) {
            rest.push_back(words[i]);
            continue;
        }
        const DesktopOption* option = FindDesktopOption(word);
        if (option == nullptr) return false;
        if (option->flag != nullptr) {
            if (word.size() != option->name.size()) return false;
            options.*(option->flag) = true;
            continue;
        }
        std::string_view value;
        if (!ValueFollows(*option, word)) {
            value = word.substr(word.find('=') + 1);
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

// Whether a word after "-e" names a setup file or a link rather than a program.
bool NamesSetupFile(const std::string& word,
                    const std::function<bool(const std::string&)>& isFile) {
    constexpr std::string_view kExtension = ".qzv";
    const bool extension =
        word.size() >= kExtension.size() &&
        StartsWithIgnoringCase(std::string_view(word).substr(word.size() - kExtension.size()),
                               kExtension);
    return extension || StartsWithIgnoringCase(word, "file://") || IsTelnetLink(word) ||
           isFile(word + ".QZV") || isFile(word + ".qzv");
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

size_t ProgramOptionAt(std::span<const std::string> words,
                       const std::function<bool(const std::string&)>& isFile) {
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string_view word = words[i];
        if (word.starts_with("--")) {
            const DesktopOption* option = FindDesktopOption(word);
            if (option != nullptr && ValueFollows(*option, word)) ++i;
            continue;
        }
        if (word == "-s" || word == "-S") ++i; // the script's name
        if (word != "-e" || i + 1 >= words.size()) continue;
        const std::string& next = words[i + 1];
        if (next.empty() || next.starts_with('-') || NamesSetupFile(next, isFile)) continue;
        return i;
    }
    return words.size();
}

std::string ShellQuoted(std::span<const std::string> words) {
    constexpr std::string_view kPlain = "+-./:=@_,%^";
    std::string line;
    for (const std::string& word : words) {
        if (!line.empty()) line += ' ';
        const bool plain = !word.empty() && std::all_of(word.begin(), word.end(), [&](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) ||
                   kPlain.find(c) != std::string_view::npos;
        });
        if (plain) {
            line += word;
            continue;
        }
        line += '\'';
        for (const char c : word) line += c == '\'' ? std::string("'\\''") : std::string(1, c);
        line += '\'';
    }
    return line;
}

StartupCommandLine ParseStartupWords(std::span<const std::string> words,
                                     const std::function<bool(const std::string&)>& isFile) {
    StartupCommandLine result;
    const size_t programAt = ProgramOptionAt(words, isFile);
    std::vector<std::string> rest;
    bool read = TakeDesktopOptions(words.first(programAt), result.desktop, rest) &&
                ReadWords(rest, isFile, result.request);
    if (read && programAt < words.size()) {
        // A command and a target besides it: which one to open is unclear.
        read = result.request.open == StartupRequest::Open::Nothing;
        result.request.open = StartupRequest::Open::Program;
        result.request.program.assign(words.begin() + static_cast<ptrdiff_t>(programAt) + 1,
                                      words.end());
    }
    if (!read) {
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
