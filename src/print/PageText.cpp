#include "print/PageText.h"

#include <algorithm>

#include "emulator/LineText.h"
#include "emulator/ScreenBuffer.h"
#include "platform/Utf8.h"

namespace tamsivane {

std::vector<std::u16string> RowsText(const ScreenBuffer& screen, int first, int last, int columns) {
    first = std::max(first, 0);
    last = std::min(last, screen.DisplayLineCount() - 1);
    std::vector<std::u16string> rows;
    for (int index = first; index <= last; ++index) {
        DisplayLine line;
        if (!screen.LineForDisplay(index, line) || !line.codes || !line.attrs) break;
        rows.push_back(LineText(line, 0, columns - 1));
    }
    return rows;
}

bool PrintPages(PageSurface& document, const std::vector<std::u16string>& lines) {
    const int perPage = std::max(1, document.Metrics().linesPerPage);
    for (size_t first = 0; first < lines.size(); first += static_cast<size_t>(perPage)) {
        if (!document.StartPage()) {
            document.Abort();
            return false;
        }
        const size_t end = std::min(lines.size(), first + static_cast<size_t>(perPage));
        for (size_t i = first; i < end; ++i) document.DrawLine(static_cast<int>(i - first), lines[i]);
        if (!document.EndPage()) {
            document.Abort();
            return false;
        }
    }
    document.EndDocument();
    return true;
}

PageMetrics MetricsForPage(int printableWidth, int printableHeight, int cellWidth, int cellHeight) {
    PageMetrics metrics;
    if (cellWidth > 0) {
        metrics.charactersPerLine = std::clamp(printableWidth / cellWidth, 1, kMaxLineCharacters);
    }
    if (cellHeight > 0) metrics.linesPerPage = std::max(1, printableHeight / cellHeight);
    return metrics;
}

// --- text pages -------------------------------------------------------------------------

bool TextPages::StartPage() {
    page_.clear();
    return true;
}

void TextPages::DrawLine(int line, std::u16string_view text) {
    if (line < 0 || line >= metrics_.linesPerPage) return;
    if (page_.size() <= static_cast<size_t>(line)) page_.resize(static_cast<size_t>(line) + 1);
    page_[static_cast<size_t>(line)] =
        text.substr(0, static_cast<size_t>(metrics_.charactersPerLine));
}

bool TextPages::EndPage() {
    if (pageCount_++ > 0) output_ += '\f';
    for (std::u16string& line : page_) {
        const size_t end = line.find_last_not_of(u' ');
        line.resize(end == std::u16string::npos ? 0 : end + 1);
        AppendUtf8Text(output_, line);
        output_ += '\n';
    }
    page_.clear();
    return true;
}

} // namespace tamsivane
