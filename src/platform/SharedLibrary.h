// A shared library opened at run time (dlopen) and closed with its owner.
#pragma once

#include <string>

namespace tamsivane {

class SharedLibrary {
public:
    // Opens path now, resolving every symbol; IsOpen() says whether it worked.
    explicit SharedLibrary(const std::string& path);
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    bool IsOpen() const { return handle_ != nullptr; }
    // The address of an exported symbol, nullptr when it is missing.
    void* Symbol(const char* name) const;
    // Why opening or the last lookup failed.
    const std::string& Error() const { return error_; }

private:
    void* handle_ = nullptr;
    mutable std::string error_;
};

} // namespace tamsivane
