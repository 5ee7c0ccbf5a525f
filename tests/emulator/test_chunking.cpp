// The receive path has block fast paths (printable runs, control-sequence
// runs); fed one byte at a time it takes the general parser.  Whatever the
// chunking, the screen, cursor, history and replies must come out the same.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "emulator/EmulatorHost.h"
#include "emulator/VtEmulator.h"

namespace tamsivane {
namespace {

class Replies : public EmulatorHost {
public:
    void SendToHost(std::string_view bytes) override { sent.append(bytes); }
    std::string sent;
};

struct Outcome {
    std::vector<uint16_t> cells;
    CursorPosition cursor;
    int history = 0;
    std::string replies;
};

struct Variant {
    const char* name;
    int columns;
    int lines;
    int dbcs; // 0 off, else the double-byte set
};

Outcome Feed(const Variant& v, const std::string& bytes, size_t chunk) {
    Replies replies;
    VtEmulator emulator(&replies);
    emulator.Settings().SetPageGeometry(v.columns, v.lines, 144 / v.lines > 6 ? 6 : 144 / v.lines);
    emulator.Settings().SetNumber(P::SaveLines, 50);
    if (v.dbcs) {
        emulator.Settings().SetNumber(P::DBCS, 1);
        emulator.Settings().SetNumber(P::DBCSSet, v.dbcs);
    }
    EXPECT_TRUE(emulator.Start());
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    for (size_t i = 0; i < bytes.size(); i += chunk)
        emulator.ReceiveBlock(data + i, std::min(chunk, bytes.size() - i));
    Outcome out;
    const ScreenBuffer& screen = emulator.Screen();
    out.history = screen.HistoryCount();
    for (int line = 0; line < screen.DisplayLineCount(); ++line) {
        DisplayLine display;
        if (!screen.LineForDisplay(line, display)) continue;
        out.cells.push_back(display.size);
        out.cells.insert(out.cells.end(), display.codes, display.codes + kStride);
        out.cells.insert(out.cells.end(), display.attrs, display.attrs + kStride);
    }
    out.cursor = emulator.Cursor();
    out.replies = replies.sent;
    return out;
}

// Text of every length, controls, sequences with and without parameters,
// UTF-8, upper-half bytes and the odd broken sequence.
std::string RandomStream(std::mt19937& rng, size_t length) {
    static const char* const kPieces[] = {
        "\r\n", "\n", "\r", "\t", "\b", "\x1b[A", "\x1b[3B", "\x1b[12C", "\x1b[D", "\x1b[K",
        "\x1b[1K", "\x1b[2J", "\x1b[m", "\x1b[1;31;44m", "\x1b[7m", "\x1b[4h", "\x1b[4l",
        "\x1b[?7l", "\x1b[?7h", "\x1b[3@", "\x1b[2P", "\x1b[5X", "\x1b[2L", "\x1b[M", "\x1b" "7",
        "\x1b" "8", "\x1bM", "\x1b" "D", "\x1b" "E", "\x1b[5;20r", "\x1b[r", "\x1b[10;70H",
        "\x1b[24;80H", "\x1b(0lqk\x1b(B", "\x0e" "x\x0f", "\x1b[6n", "\x1b[c", "\x1b#6", "\x1b#3",
        "\xe2\x94\x80", "\xc3\xa9", "\xe9", "\xf0\x9f\x98\x80", "\xc0\xaf", "\xed\xa0\x80",
        "\xe2\x94", "\xee\xbc\x80", "\x82\xa0", "\x80", "\x9b" "2C", "\x1b[?3h", "\x1b[?3l", "\x1b[1;10s",
        "\x1b[", "\x1bP$tx\x1b\\", "\x18", "\x1b[2$~", "\x1b[1$}", "\x1b[0$}",
    };
    std::string out;
    std::uniform_int_distribution<int> kind(0, 3);
    std::uniform_int_distribution<size_t> piece(0, std::size(kPieces) - 1);
    std::uniform_int_distribution<int> textLength(1, 40);
    std::uniform_int_distribution<int> printable(0x20, 0x7E);
    while (out.size() < length) {
        if (kind(rng) == 0) {
            out += kPieces[piece(rng)];
        } else {
            for (int n = textLength(rng); n > 0; --n) out += static_cast<char>(printable(rng));
        }
    }
    return out;
}

TEST(ChunkingTest, EveryChunkingGivesTheSameScreen) {
    const Variant variants[] = {
        {"80x24", 80, 24, 0}, {"132x48", 132, 48, 0}, {"utf-8", 80, 24, 5}, {"shift-jis", 80, 25, 3}};
    std::mt19937 rng(20261206);
    for (const Variant& v : variants) {
        for (int round = 0; round < 6; ++round) {
            const std::string bytes = RandomStream(rng, 6000);
            const Outcome whole = Feed(v, bytes, 2048);
            for (size_t chunk : {size_t{1}, size_t{5}, size_t{17}}) {
                const Outcome split = Feed(v, bytes, chunk);
                SCOPED_TRACE(std::string(v.name) + " round " + std::to_string(round) + " chunk " +
                             std::to_string(chunk));
                EXPECT_EQ(split.cursor.row, whole.cursor.row);
                EXPECT_EQ(split.cursor.column, whole.cursor.column);
                EXPECT_EQ(split.history, whole.history);
                EXPECT_EQ(split.replies, whole.replies);
                EXPECT_TRUE(split.cells == whole.cells);
            }
        }
    }
}

} // namespace
} // namespace tamsivane
