// Feeds arbitrary received bytes through the Telnet filter and option
// handler.  The first bytes choose the settings the handler reads (echo,
// window size, terminal type, debug capture) and the block size; the rest
// arrives in blocks.  What the filter leaves must fit where it came from,
// and no single block may produce more replies than its commands allow.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/SettingsStore.h"
#include "transport/TelnetProtocol.h"

namespace {

using namespace tamsivane;

constexpr size_t kMaxBlock = 2048;
// The longest reply to one received byte: WILL NAWS with the window size.
constexpr size_t kLongestReply = 3 + 3 + 4 * 2 + 2;

class Recorder : public TelnetProtocol::Peer {
public:
    void SendToPeer(std::string_view bytes) override { replies += bytes; }
    void Capture(std::string_view text) override { captured += text; }
    std::string replies;
    std::string captured;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const uint8_t flags = data[0];
    const size_t block = 1 + data[1] % kMaxBlock;
    SettingsStore settings;
    settings.SetNumber(P::LocalEcho, flags & 1);
    settings.SetNumber(P::SetHostSize, (flags >> 1) & 1);
    settings.SetNumber(P::CaptureDebug, (flags >> 2) & 1);
    settings.SetNumber(P::TermID, data[2] % 6);
    settings.SetPageGeometry((flags & 8) ? 132 : 80, (flags & 16) ? 48 : 24, 1);

    Recorder peer;
    TelnetProtocol protocol(settings, peer);
    std::vector<uint8_t> buffer;
    for (size_t offset = 3; offset < size; offset += block) {
        const size_t length = std::min(block, size - offset);
        buffer.assign(data + offset, data + offset + length);
        peer.replies.clear();
        const size_t kept = protocol.Filter(buffer.data(), buffer.size());
        if (kept > length || peer.replies.size() > length * kLongestReply) std::abort();
        if (flags & 32) protocol.WindowSizeChanged();
    }
    return 0;
}
