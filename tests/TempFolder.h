// A fresh folder under /tmp for one test, removed with everything in it when
// the test is done.  Path() is empty when no folder could be made.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>
#include <system_error>

namespace tamsivane::testing {

class TempFolder {
public:
    TempFolder() {
        char name[] = "/tmp/tamsivane-test-XXXXXX";
        path_ = mkdtemp(name) ? name : "";
    }
    ~TempFolder() {
        if (path_.empty()) return;
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string File(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

} // namespace tamsivane::testing
