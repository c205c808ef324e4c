#include "SharedLibrary.h"

#include <dlfcn.h>

namespace orbicap {

SharedLibrary::~SharedLibrary() {
    Close();
}

bool SharedLibrary::Open(const std::string& path) {
    Close();
    // RTLD_LOCAL keeps a driver's symbols from satisfying another driver's.
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* reason = dlerror();
        error_ = reason ? reason : "unknown error";
        return false;
    }
    error_.clear();
    return true;
}

void SharedLibrary::Close() {
    if (handle_)
        dlclose(handle_);
    handle_ = nullptr;
}

void* SharedLibrary::Symbol(const char* name) const {
    return handle_ ? dlsym(handle_, name) : nullptr;
}

} // namespace orbicap
