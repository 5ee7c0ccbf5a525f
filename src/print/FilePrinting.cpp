#include "print/FilePrinting.h"

#include <cerrno>

#include "print/PageText.h"

namespace tamsivane {

class FileBackend::Document final : public PageSurface {
public:
    explicit Document(FileBackend& backend)
        : backend_(backend), pages_(backend.page_, text_, backend.pageCount_) {}

    PageMetrics Metrics() const override { return pages_.Metrics(); }
    bool StartPage() override { return pages_.StartPage(); }
    void DrawLine(int line, std::u16string_view text) override { pages_.DrawLine(line, text); }
    // The page goes to the file whole, numbered among every document's pages.
    bool EndPage() override {
        std::lock_guard lock(backend_.mutex_);
        pages_.EndPage();
        const int error = backend_.AppendLocked(text_);
        text_.clear();
        return error == 0;
    }
    void EndDocument() override {}
    void Abort() override { pages_.Abort(); }

private:
    FileBackend& backend_;
    std::string text_;
    TextPages pages_;
};

class FileBackend::Output final : public RawOutput {
public:
    explicit Output(FileBackend& backend) : backend_(backend) {}
    int Write(std::string_view bytes) override {
        std::lock_guard lock(backend_.mutex_);
        return backend_.AppendLocked(bytes);
    }
    int Close() override { return 0; }

private:
    FileBackend& backend_;
};

std::unique_ptr<PageSurface> FileBackend::StartDocument(const PrintSettings&, std::string_view,
                                                        DocumentFailure& failure) {
    failure = DocumentFailure::None;
    return std::make_unique<Document>(*this);
}

std::unique_ptr<RawOutput> FileBackend::OpenRaw(const PrintSettings&, int& error) {
    error = 0;
    return std::make_unique<Output>(*this);
}

int FileBackend::AppendLocked(std::string_view bytes) {
    if (!bytes.empty() &&
        (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size() ||
         std::fflush(file_) != 0)) {
        error_ = errno ? errno : EIO;
    }
    return error_;
}

bool FileBackend::AllWritten() const {
    std::lock_guard lock(mutex_);
    return error_ == 0;
}

} // namespace tamsivane
