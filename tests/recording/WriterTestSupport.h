#pragma once

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace orbicap::test {

// A fresh folder under the system's temporary folder, removed with the object.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    void Touch(const std::string& name) const;

private:
    std::string path_;
};

std::vector<std::uint8_t> ReadFileBytes(const std::string& path);

template <typename T> T ReadLe(const std::vector<std::uint8_t>& bytes, std::size_t offset) {
    T value{};
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

struct ToolRun {
    int ExitCode = -1;
    std::string Output; // standard output and standard error together
};

// Runs a shell command line and collects what it prints.
ToolRun RunTool(const std::string& commandLine);
bool ToolAvailable(const std::string& program);
// A Python interpreter that can import astropy, or empty.
std::string PythonWithAstropy();

struct LimitedRun {
    bool Exited = false; // the child ended normally (not by a signal)
    std::string Report;  // what the body returned
};

// Runs body in a child process whose files may grow to at most maxFileBytes,
// with SIGXFSZ ignored so that the limit shows as EFBIG; the file system stays
// as it is, so this plays a full disk at an exact byte.
LimitedRun RunWithFileSizeLimit(std::uint64_t maxFileBytes,
                                const std::function<std::string()>& body);

} // namespace orbicap::test
