#include "platform/SharedLibrary.h"

#include <dlfcn.h>

namespace tamsivane {

SharedLibrary::SharedLibrary(const std::string& path) {
    // RTLD_NOW: a library with unresolved dependencies fails here, not at a later call.
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* reason = dlerror();
        error_ = reason ? reason : "cannot open " + path;
    }
}

SharedLibrary::~SharedLibrary() {
    if (handle_) dlclose(handle_);
}

void* SharedLibrary::Symbol(const char* name) const {
    if (!handle_) return nullptr;
    dlerror();
    void* address = dlsym(handle_, name);
    if (const char* reason = dlerror()) {
        error_ = reason;
        return nullptr;
    }
    return address;
}

} // namespace tamsivane
