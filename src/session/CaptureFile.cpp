#include "session/CaptureFile.h"

#include <utility>

namespace tamsivane {
namespace {

// The stdio mode for a capture mode, or nullptr for one that is not accepted.
const char* StdioMode(std::string_view mode) {
    if (mode.empty() || mode.find_first_not_of("bt", 1) != std::string_view::npos) return nullptr;
    switch (mode[0]) {
    case 'w': return "we"; // close on exec: spawned helpers do not inherit it
    case 'a': return "ae";
    default: return nullptr;
    }
}

} // namespace

CaptureFile::~CaptureFile() { Close(); }

CaptureFile::CaptureFile(CaptureFile&& other) noexcept
    : file_(std::exchange(other.file_, nullptr)), failed_(std::exchange(other.failed_, false)) {}

CaptureFile& CaptureFile::operator=(CaptureFile&& other) noexcept {
    if (this != &other) {
        Close();
        file_ = std::exchange(other.file_, nullptr);
        failed_ = std::exchange(other.failed_, false);
    }
    return *this;
}

bool CaptureFile::Open(const std::string& path, std::string_view mode) {
    Close();
    const char* stdioMode = StdioMode(mode);
    if (!stdioMode) return false;
    file_ = std::fopen(path.c_str(), stdioMode);
    failed_ = false;
    return file_ != nullptr;
}

bool CaptureFile::Close() {
    if (!file_) return true;
    const bool ok = std::fclose(std::exchange(file_, nullptr)) == 0 && !failed_;
    failed_ = false;
    return ok;
}

void CaptureFile::Write(std::string_view text) {
    if (file_ && std::fwrite(text.data(), 1, text.size(), file_) != text.size()) failed_ = true;
}

} // namespace tamsivane
