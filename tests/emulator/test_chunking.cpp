// The receive path has block fast paths (printable ASCII and upper-half runs,
// control-sequence runs, printer data); ReceiveByte takes each byte through
// the plain state machine.  Whatever the blocks, the screen, cursor, history,
// replies and printer data must come out as byte by byte.
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
    void PrinterControllerData(std::string_view bytes) override { printed.append(bytes); }
    std::string sent;
    std::string printed;
};

struct Outcome {
    std::vector<uint16_t> cells;
    CursorPosition cursor;
    int history = 0;
    std::string replies;
    std::string printed;
};

struct Variant {
    const char* name;
    int columns;
    int lines;
    int dbcs; // 0 off, else the double-byte set
    int primarySet; // 10: an 8-bit code page in GR, so 128-159 are text
};

constexpr size_t kByteWise = 0;

// The bytes in blocks of chunk, or one at a time through ReceiveByte (kByteWise).
Outcome Feed(const Variant& v, const std::string& bytes, size_t chunk) {
    Replies replies;
    VtEmulator emulator(&replies);
    emulator.Settings().SetPageGeometry(v.columns, v.lines, 144 / v.lines > 6 ? 6 : 144 / v.lines);
    emulator.Settings().SetNumber(P::SaveLines, 50);
    if (v.dbcs) {
        emulator.Settings().SetNumber(P::DBCS, 1);
        emulator.Settings().SetNumber(P::DBCSSet, v.dbcs);
    }
    emulator.Settings().SetNumber(P::PrimarySet, v.primarySet);
    EXPECT_TRUE(emulator.Start());
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    if (chunk == kByteWise) {
        for (const uint8_t byte : std::string_view(bytes)) emulator.ReceiveByte(byte);
    } else {
        for (size_t i = 0; i < bytes.size(); i += chunk)
            emulator.ReceiveBlock(data + i, std::min(chunk, bytes.size() - i));
    }
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
    out.printed = replies.printed;
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
        "\x1b[5ito the printer\x1b[4i", "\x9b" "5i\x1b[1mprinted\x9b" "4i", "\x1b]0;title\x07",
        "\x1b" "P1{text\x1b\\", "\x1b(0", "\x1b(B", "\x1b" "N", "\x1b*0\x1bn", "\x1b(A",
        // double-width text in UTF-8 and in Shift-JIS, and lines between Latin letters
        "\xe6\x97\xa5\xe6\x9c\xac\xe8\xaa\x9e", "\x93\xfa\x96\x7b\x8c\xea",
        "\xe2\x94\x82" "caf\xc3\xa9\xe2\x94\x82\xe2\x95\x90",
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

TEST(ChunkingTest, EveryChunkingGivesWhatBytesOneByOneGive) {
    const Variant variants[] = {
        {"80x24", 80, 24, 0, 4},   {"132x48", 132, 48, 0, 4},   {"utf-8", 80, 24, 5, 4},
        {"shift-jis", 80, 25, 3, 4}, {"code page 437", 80, 24, 0, 10}};
    std::mt19937 rng(20261206);
    for (const Variant& v : variants) {
        for (int round = 0; round < 6; ++round) {
            const std::string bytes = RandomStream(rng, 6000);
            const Outcome oracle = Feed(v, bytes, kByteWise);
            for (size_t chunk : {size_t{2048}, size_t{1}, size_t{5}, size_t{17}}) {
                const Outcome split = Feed(v, bytes, chunk);
                SCOPED_TRACE(std::string(v.name) + " round " + std::to_string(round) + " chunk " +
                             std::to_string(chunk));
                EXPECT_EQ(split.cursor.row, oracle.cursor.row);
                EXPECT_EQ(split.cursor.column, oracle.cursor.column);
                EXPECT_EQ(split.history, oracle.history);
                EXPECT_EQ(split.replies, oracle.replies);
                EXPECT_EQ(split.printed, oracle.printed);
                EXPECT_TRUE(split.cells == oracle.cells);
            }
        }
    }
}

} // namespace
} // namespace tamsivane
