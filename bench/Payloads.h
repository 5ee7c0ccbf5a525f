// Deterministic host output for the throughput benchmark.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tamsivane::bench {

struct Payload {
    std::string name;
    int columns;
    int lines;
    bool utf8;
    std::string bytes;
};

// The payloads whose names start with namePrefix, each at least minBytes long.
std::vector<Payload> MakePayloads(size_t minBytes, std::string_view namePrefix = {});

} // namespace tamsivane::bench
