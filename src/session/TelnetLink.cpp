#include "session/TelnetLink.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tamsivane {
namespace {

constexpr std::string_view kScheme = "telnet:";

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

} // namespace

std::optional<int> ParsePortNumber(std::string_view text) {
    int port = 0;
    const char* end = text.data() + text.size();
    const auto [last, error] = std::from_chars(text.data(), end, port);
    if (text.empty() || error != std::errc() || last != end || port < 1 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

bool IsTelnetLink(std::string_view text) { return StartsWithNoCase(text, kScheme); }

std::optional<TelnetTarget> ParseTelnetLink(std::string_view link, int defaultPort) {
    if (IsTelnetLink(link)) link.remove_prefix(kScheme.size());
    if (link.substr(0, 2) == "//") link.remove_prefix(2);
    if (!link.empty() && link.back() == '/') link.remove_suffix(1);

    TelnetTarget target;
    target.port = defaultPort;
    std::string_view rest;
    if (!link.empty() && link.front() == '[') {
        // A bracketed IPv6 address, whose own colons are not the port's.
        const size_t close = link.find(']');
        if (close == std::string_view::npos) return std::nullopt;
        target.host = link.substr(1, close - 1);
        rest = link.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') return std::nullopt;
    } else {
        const size_t colon = link.find(':');
        target.host = link.substr(0, colon);
        if (colon != std::string_view::npos) rest = link.substr(colon);
    }
    if (!rest.empty()) {
        const std::optional<int> port = ParsePortNumber(rest.substr(1));
        if (!port) return std::nullopt;
        target.port = *port;
    }
    if (target.host.empty()) return std::nullopt;
    return target;
}

} // namespace tamsivane
