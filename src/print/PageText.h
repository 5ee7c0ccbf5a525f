// The text that printing puts on paper: screen rows as UTF-16 lines, and a
// document of lines broken into pages.
#pragma once

#include <string>
#include <vector>

#include "print/PrintBackend.h"

namespace tamsivane {

class ScreenBuffer;

// Display lines first..last (history first, then the page, then the status
// line), clipped to the lines the buffer holds; each the first `columns`
// cells, the right halves of double-width characters left out.
std::vector<std::u16string> RowsText(const ScreenBuffer& screen, int first, int last, int columns);

// Prints lines as pages of the document's lines per page.  A page that
// cannot be started or ended aborts the document; false then.
bool PrintPages(PageSurface& document, const std::vector<std::u16string>& lines);

// Pages as plain UTF-8 text: each page's lines up to the last one drawn,
// trailing blanks removed, a form feed before every page but the first of
// the output.  Lines longer than the page is wide are cut off.
class TextPages final : public PageSurface {
public:
    // pageCount: shared by the documents of one output, for the form feeds.
    TextPages(PageMetrics metrics, std::string& output, int& pageCount)
        : metrics_(metrics), output_(output), pageCount_(pageCount) {}

    PageMetrics Metrics() const override { return metrics_; }
    bool StartPage() override;
    void DrawLine(int line, std::u16string_view text) override;
    bool EndPage() override;
    void EndDocument() override {}
    void Abort() override { page_.clear(); }

private:
    PageMetrics metrics_;
    std::string& output_;
    int& pageCount_;
    std::vector<std::u16string> page_;
};

} // namespace tamsivane
