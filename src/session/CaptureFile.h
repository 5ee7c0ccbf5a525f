// The capture file: the text a session displays (or, under CaptureDebug,
// every received byte with controls by name) written to a file the user chose.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace tamsivane {

class CaptureFile {
public:
    CaptureFile() = default;
    ~CaptureFile();
    CaptureFile(const CaptureFile&) = delete;
    CaptureFile& operator=(const CaptureFile&) = delete;
    CaptureFile(CaptureFile&& other) noexcept;
    CaptureFile& operator=(CaptureFile&& other) noexcept;

    // mode: "w" truncates, "a" appends ("b" and "t" may follow and change
    // nothing).  False for another mode or a file that cannot be opened.
    bool Open(const std::string& path, std::string_view mode);
    // False when something written could not be stored.
    bool Close();

    bool IsOpen() const { return file_ != nullptr; }
    void Write(std::string_view text);

private:
    std::FILE* file_ = nullptr;
    bool failed_ = false;
};

} // namespace tamsivane
