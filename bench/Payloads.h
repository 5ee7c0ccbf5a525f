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
    int dbcsSet; // DBCSSet of a double-byte session (5 UTF-8); kSingleByte: DBCS off
    std::string bytes;
    std::string sameTextAs; // the UTF-8 payload with the same text, for a code-page payload

    static constexpr int kSingleByte = -1;
    static constexpr int kUtf8 = 5;
    bool Utf8() const { return dbcsSet == kUtf8; }
    // Whether libvterm reads these bytes too (it knows no double-byte code page).
    bool PeerReadable() const { return dbcsSet == kSingleByte || Utf8(); }
};

// The payloads whose names start with namePrefix, each at least minBytes long
// (a code-page payload is its UTF-8 twin's text, so it may be shorter).
std::vector<Payload> MakePayloads(size_t minBytes, std::string_view namePrefix = {});

} // namespace tamsivane::bench
