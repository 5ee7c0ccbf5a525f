#include "Payloads.h"

#include <cstdint>
#include <span>
#include <string_view>

#include "platform/CodePage.h"

namespace tamsivane::bench {

namespace {

// A small fixed-seed generator, so every run measures the same bytes.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<uint32_t>(state_ >> 16);
    }
    int Between(int low, int high) { return low + static_cast<int>(Next() % (high - low + 1)); }

private:
    uint64_t state_;
};

constexpr std::string_view kWords[] = {
    "the", "terminal", "host", "line", "build", "error:", "warning", "0x7ffe", "compile",
    "src/emulator/parser.cpp", "ok", "[100%]", "Linking", "CXX", "object", "--", "value", "=",
    "12345", "session", "cursor", "page", "scroll", "history", "byte", "stream",
};

void AppendWords(Random& rng, std::string& out, int length) {
    const size_t start = out.size();
    while (out.size() - start < static_cast<size_t>(length)) {
        out += kWords[rng.Next() % std::size(kWords)];
        out += ' ';
    }
    out.resize(start + static_cast<size_t>(length));
}

std::string Number(int n) { return std::to_string(n); }

// Lines of plain text scrolling up through the history.
std::string PlainText(size_t minBytes) {
    Random rng(1);
    std::string out;
    out.reserve(minBytes + 256);
    while (out.size() < minBytes) {
        AppendWords(rng, out, rng.Between(10, 79));
        out += "\r\n";
    }
    return out;
}

// Cursor-addressed, coloured writes all over the page (full-screen updates).
std::string ColouredUpdates(size_t minBytes, int columns, int lines) {
    Random rng(2);
    std::string out;
    out.reserve(minBytes + 256);
    while (out.size() < minBytes) {
        const int col = rng.Between(1, columns - 10);
        out += "\x1b[" + Number(rng.Between(1, lines)) + ';' + Number(col) + 'H';
        out += "\x1b[" + Number(30 + rng.Between(0, 7)) + ';' + Number(40 + rng.Between(0, 7));
        if (rng.Next() % 4 == 0) out += ";1";
        out += 'm';
        AppendWords(rng, out, rng.Between(4, std::min(40, columns - col)));
        if (rng.Next() % 8 == 0) out += "\x1b[0m";
    }
    return out;
}

// Scrolling inside a margin region, with lines inserted and deleted.
std::string RegionScrolling(size_t minBytes, int lines) {
    Random rng(3);
    std::string out = "\x1b[3;" + Number(lines - 2) + "r";
    out.reserve(minBytes + 256);
    while (out.size() < minBytes) {
        const int r = rng.Next() % 6;
        if (r == 0) {
            out += "\x1b[" + Number(rng.Between(3, lines - 2)) + ";1H\x1b[" +
                   Number(rng.Between(1, 3)) + (rng.Next() % 2 ? 'L' : 'M');
        } else {
            out += "\x1b[" + Number(lines - 2) + ";1H";
            AppendWords(rng, out, rng.Between(10, 70));
            out += "\r\n";
        }
    }
    return out;
}

// UTF-8 text with box-drawing characters and accented letters.
std::string Utf8LineDrawing(size_t minBytes) {
    Random rng(4);
    constexpr std::string_view kPieces[] = {
        "\u2500\u2500\u2500\u2500", "\u2502", "\u250c\u2500\u2510", "\u2514\u2500\u2518", "\u253c",
        "\u251c\u2500", "\u2524", "caf\u00e9 ", "na\u00efve ", "\u00fcber ", "\u03b1\u03b2\u03b3 ",
        "plain ascii ", "r\u00e9sum\u00e9 ", "\u2550\u2550\u2551",
    };
    std::string out;
    out.reserve(minBytes + 256);
    while (out.size() < minBytes) {
        int width = 0;
        const int target = rng.Between(10, 76);
        while (width < target) {
            const std::string_view piece = kPieces[rng.Next() % std::size(kPieces)];
            out += piece;
            for (unsigned char c : piece) width += (c & 0xC0) != 0x80;
        }
        out += "\r\n";
    }
    return out;
}

// Short control sequences of every common kind between bits of text.
std::string ControlMix(size_t minBytes) {
    Random rng(5);
    constexpr std::string_view kControls[] = {
        "\x1b[A", "\x1b[2B", "\x1b[C", "\x1b[3D", "\x1b[K", "\x1b[1K", "\x1b[m", "\x1b[1m",
        "\x1b[7m", "\x1b[0;4m", "\t", "\b", "\r\n", "\x1b" "7", "\x1b" "8", "\x1b[2@", "\x1b[P",
        "\x1b[3X", "\x1bM", "\x1b" "D", "\x1b[?7h", "\x1b[4l",
    };
    std::string out;
    out.reserve(minBytes + 256);
    while (out.size() < minBytes) {
        out += kControls[rng.Next() % std::size(kControls)];
        if (rng.Next() % 2) AppendWords(rng, out, rng.Between(1, 12));
        if (rng.Next() % 16 == 0)
            out += "\x1b[" + Number(rng.Between(1, 24)) + ';' + Number(rng.Between(1, 80)) + 'H';
    }
    return out;
}

constexpr std::u16string_view kJapanese[] = {
    u"日本語の文章を表示します。", u"東京都", u"漢字とかなの混じった行", u"端末エミュレータ",
    u"ひらがな", u"カタカナ", u"画面の表示", u"接続しました。", u"設定を保存しました。",
    u"ファイルを転送中", u"履歴", u"文字コード", u"OK ", u"12:34 ", u"[完了] ",
};

constexpr std::u16string_view kChinese[] = {
    u"中文字符的显示", u"终端仿真器", u"屏幕显示", u"连接主机", u"设置已保存。", u"文件传输中",
    u"简体中文", u"汉字", u"你好，世界！", u"历史记录", u"字符编码", u"OK ", u"12:34 ", u"[完成] ",
};

// Lines of East Asian text (double-width characters with a little ASCII), as
// UTF-16; long enough that its UTF-8 form has at least minBytes.
std::u16string WideText(size_t minBytes, std::span<const std::u16string_view> pieces, int columns) {
    Random rng(6);
    std::u16string out;
    size_t utf8Bytes = 0;
    while (utf8Bytes < minBytes) {
        int width = 0;
        const int target = rng.Between(10, columns - 20);
        while (width < target) {
            const std::u16string_view piece = pieces[rng.Next() % pieces.size()];
            out += piece;
            for (char16_t c : piece) {
                width += c < 0x80 ? 1 : 2;
                utf8Bytes += c < 0x80 ? 1 : 3;
            }
        }
        out += u"\r\n";
        utf8Bytes += 2;
    }
    return out;
}

} // namespace

std::vector<Payload> MakePayloads(size_t minBytes, std::string_view namePrefix) {
    struct Shape {
        const char* name;
        int columns, lines;
        int dbcsSet;
        std::string (*make)(size_t, int, int);
    };
    constexpr int kSingle = Payload::kSingleByte;
    static constexpr Shape kShapes[] = {
        {"plain text 80x24", 80, 24, kSingle, [](size_t n, int, int) { return PlainText(n); }},
        {"coloured updates 80x24", 80, 24, kSingle, &ColouredUpdates},
        {"coloured updates 132x48", 132, 48, kSingle, &ColouredUpdates},
        {"region scroll 80x24", 80, 24, kSingle, [](size_t n, int, int l) { return RegionScrolling(n, l); }},
        {"region scroll 132x48", 132, 48, kSingle, [](size_t n, int, int l) { return RegionScrolling(n, l); }},
        {"utf-8 line drawing 80x24", 80, 24, Payload::kUtf8, [](size_t n, int, int) { return Utf8LineDrawing(n); }},
        {"control mix 80x24", 80, 24, kSingle, [](size_t n, int, int) { return ControlMix(n); }},
    };
    std::vector<Payload> payloads;
    for (const Shape& shape : kShapes) {
        if (std::string_view(shape.name).substr(0, namePrefix.size()) != namePrefix) continue;
        payloads.push_back({shape.name, shape.columns, shape.lines, shape.dbcsSet,
                            shape.make(minBytes, shape.columns, shape.lines), {}});
    }

    // The same text in UTF-8 and in a double-byte code page, to compare the decoders.
    struct WideShape {
        const char* name;
        int dbcsSet;
        int codePage;
        const char* sameTextAs;
        std::span<const std::u16string_view> pieces;
    };
    static constexpr WideShape kWideShapes[] = {
        {"japanese utf-8 80x24", Payload::kUtf8, 65001, "", kJapanese},
        {"japanese shift-jis 80x24", 3, 932, "japanese utf-8 80x24", kJapanese},
        {"chinese utf-8 80x24", Payload::kUtf8, 65001, "", kChinese},
        {"chinese gbk 80x24", 1, 936, "chinese utf-8 80x24", kChinese},
    };
    const CodePageService codePages;
    for (const WideShape& shape : kWideShapes) {
        if (std::string_view(shape.name).substr(0, namePrefix.size()) != namePrefix) continue;
        const std::u16string text = WideText(minBytes, shape.pieces, 80);
        payloads.push_back({shape.name, 80, 24, shape.dbcsSet,
                            codePages.FromUnicode(shape.codePage, text), shape.sameTextAs});
    }
    return payloads;
}

} // namespace tamsivane::bench
