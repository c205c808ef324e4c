#pragma once

#include <string>

namespace orbicap {

// A shared library loaded by file name (dlopen here, LoadLibrary on Windows).
class SharedLibrary {
public:
    SharedLibrary() = default;
    ~SharedLibrary();
    SharedLibrary(const SharedLibrary&) = delete;
    SharedLibrary& operator=(const SharedLibrary&) = delete;

    // Loads path; on failure returns false and Error() tells the loader's reason.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const { return handle_ != nullptr; }
    // Address of an exported symbol, or nullptr.
    void* Symbol(const char* name) const;
    const std::string& Error() const { return error_; }

private:
    void* handle_ = nullptr;
    std::string error_;
};

} // namespace orbicap
