// Feeds arbitrary host bytes to an emulator.  The first bytes of the input
// choose the page geometry, history size, character-set settings and the
// chunk size; the rest goes through ReceiveBlock, and after every block the
// cursor must still lie on the page or on the status line.  One input in
// eight wraps the rest into a soft-font load (DECDLD) with parameters of its
// own choosing, so that glyph data is exercised far more often than random
// bytes would reach it.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "config/SettingsStore.h"
#include "emulator/VtEmulator.h"

namespace {

using namespace tamsivane;

constexpr std::array<int, 6> kLineChoices = {24, 25, 36, 48, 72, 144};
constexpr int kMaxSaveLines = 2000;
constexpr int kShortHistoryLines = 64;
constexpr int kLongHistoryMark = 0xF0;
constexpr size_t kMaxChunk = 4096;

// Hands out the input's leading bytes; 0 once they are used up.
class ByteReader {
public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Next() { return position_ < size_ ? data_[position_++] : 0; }
    const uint8_t* Rest() const { return data_ + position_; }
    size_t RestSize() const { return size_ - position_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
};

void Fail(const char* what, const VtEmulator& emulator) {
    const CursorPosition cursor = emulator.Cursor();
    std::fprintf(stderr, "invariant broken: %s (cursor %d,%d, lines %d, columns %d)\n", what,
                 cursor.row, cursor.column, emulator.Screen().Lines(),
                 emulator.Settings().GetNumber(P::Columns));
    std::abort();
}

void CheckInvariants(const VtEmulator& emulator) {
    const ScreenBuffer& screen = emulator.Screen();
    const CursorPosition cursor = emulator.Cursor();
    const int columns = emulator.Settings().GetNumber(P::Columns);
    const int lastRow = emulator.StatusLineActive() ? screen.Lines() : screen.Lines() - 1;
    if (cursor.row < 0 || cursor.row > lastRow) Fail("cursor row outside the page", emulator);
    if (cursor.column < 0 || cursor.column >= columns) Fail("cursor column outside", emulator);
    if (screen.DisplayedPage() < 0 || screen.DisplayedPage() >= screen.Pages()) {
        Fail("displayed page outside the pages", emulator);
    }
    if (screen.Pages() * screen.Lines() > kPageStoreLines) Fail("pages beyond the store", emulator);
}

void ChooseSettings(ByteReader& reader, SettingsStore& settings) {
    const uint8_t geometry = reader.Next();
    const int columns = (geometry & 1) ? 132 : 80;
    const int lines = kLineChoices[(geometry >> 1) % kLineChoices.size()];
    const int maxPages = std::min(6, kPageStoreLines / lines);
    const int pages = 1 + reader.Next() % maxPages;
    settings.SetPageGeometry(columns, lines, pages);

    // A long history costs milliseconds to allocate, so it is chosen rarely;
    // a short one wraps just as well.
    const int low = reader.Next();
    const int high = reader.Next();
    const int saveLines = high >= kLongHistoryMark ? (low | (high << 8)) % (kMaxSaveLines + 1)
                                                   : low % kShortHistoryLines;
    settings.SetNumber(P::SaveLines, saveLines);

    const uint8_t flags = reader.Next();
    settings.SetNumber(P::AutoWrap, flags & 1);
    // Displayed controls take a quarter of the runs; the parser the rest.
    settings.SetNumber(P::Interpret, (flags & 6) ? 1 : 0);
    settings.SetNumber(P::DBCS, (flags >> 3) & 1);
    settings.SetNumber(P::DBCSSet, reader.Next() % 6);
    settings.SetNumber(P::NRC, reader.Next() % 15);
    settings.SetNumber(P::PrimarySet, reader.Next() % 17);
    settings.SetNumber(P::SecondarySet, reader.Next() % 17);
}

// "ESC P Pfn;Pcn;Pe;Pcmw;Pss;Pt;Pcmh;Pcss { data ESC \\" around the rest.
std::string SoftFontLoad(ByteReader& reader) {
    std::string load = "\x1bP";
    for (int i = 0; i < 8; ++i) {
        if (i > 0) load += ';';
        const int value = reader.Next() | (reader.Next() << 8);
        if (value % 7 != 0) load += std::to_string(value % 3 == 0 ? value : value % 100);
    }
    load += '{';
    load.append(reinterpret_cast<const char*>(reader.Rest()), reader.RestSize());
    load += "\x1b\\";
    return load;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ByteReader reader(data, size);
    VtEmulator emulator;
    ChooseSettings(reader, emulator.Settings());
    const size_t chunk = 1 + (reader.Next() | (reader.Next() << 8)) % kMaxChunk;
    if (!emulator.Start()) return 0;
    CheckInvariants(emulator);

    std::string softFont;
    if (reader.Next() % 8 == 0) softFont = SoftFontLoad(reader);
    const uint8_t* rest =
        softFont.empty() ? reader.Rest() : reinterpret_cast<const uint8_t*>(softFont.data());
    size_t remaining = softFont.empty() ? reader.RestSize() : softFont.size();
    while (remaining > 0) {
        const size_t length = std::min(chunk, remaining);
        emulator.ReceiveBlock(rest, length);
        CheckInvariants(emulator);
        rest += length;
        remaining -= length;
    }
    return 0;
}
