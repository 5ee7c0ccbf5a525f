// Printing into one file instead of printers: raw jobs as their bytes, and
// documents as text pages of a given size (a form feed between pages).
// Jobs and documents from any thread are written whole, in turn.
#pragma once

#include <cstdio>
#include <mutex>
#include <string>

#include "print/PrintBackend.h"

namespace tamsivane {

class FileBackend final : public PrintBackend {
public:
    // page: the lines and characters of a text page.
    FileBackend(std::FILE* file, PageMetrics page) : file_(file), page_(page) {}

    std::unique_ptr<PageSurface> StartDocument(const PrintSettings& settings,
                                               std::string_view title,
                                               DocumentFailure& failure) override;
    std::unique_ptr<RawOutput> OpenRaw(const PrintSettings& settings, int& error) override;

    // False when some output could not be written.
    bool AllWritten() const;

private:
    class Document;
    class Output;
    // 0 or the error number (the first error stays); mutex_ held.
    int AppendLocked(std::string_view bytes);

    mutable std::mutex mutex_;
    std::FILE* file_;
    PageMetrics page_;
    int pageCount_ = 0; // pages written so far, for the form feeds
    int error_ = 0;
};

} // namespace tamsivane
