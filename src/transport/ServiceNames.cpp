#include "transport/ServiceNames.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace tamsivane {
namespace {

struct Service {
    std::string_view name;
    int port;
};

constexpr Service kServices[] = {
    {"Telnet", 23}, {"SSH", 22}, {"Finger", 79}, {"Systat", 11}, {"Echo", 7},
};

constexpr int kHighestPort = 65535;

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

} // namespace

int PortFromText(std::string_view text) {
    for (const Service& service : kServices) {
        if (EqualIgnoringCase(service.name, text)) return service.port;
    }
    const bool digits = !text.empty() && std::all_of(text.begin(), text.end(),
                                                     [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) return -1;
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    return error == std::errc() && end == text.data() + text.size() && port <= kHighestPort ? port
                                                                                            : -1;
}

std::string PortToText(int port) {
    for (const Service& service : kServices) {
        if (service.port == port) return std::string(service.name);
    }
    return std::to_string(port);
}

} // namespace tamsivane
