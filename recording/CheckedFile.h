#pragma once

#include "platform/Status.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace orbicap {

// A sequential output file on a POSIX descriptor where every call is checked.
// Large blocks go to the kernel straight from the caller's memory; small pieces
// (header cards, padding) are gathered and leave together with the next large
// block or at Flush/Close, so a header plus a frame costs one system call.
//
// Errors are sticky: once a call fails, Failed() stays true until the next
// Create, and ErrorText() keeps the first failure in words ("Cannot write
// /x/A.SER: No space left on device"). Calls after a failure are still carried
// out, so a writer can repair what it can (truncate, patch a header).
//
// A file-size limit shows as EFBIG only when SIGXFSZ is ignored; ignoring it
// is the program's job, not this class's.
class CheckedFile {
public:
    CheckedFile() = default;
    ~CheckedFile();
    CheckedFile(const CheckedFile&) = delete;
    CheckedFile& operator=(const CheckedFile&) = delete;

    // Creates or empties the file (mode 0644 before umask) and clears any
    // earlier error. A file still open is closed first.
    bool Create(const std::string& path);
    // Appends n bytes at the write position.
    bool Write(const void* data, std::size_t n);
    // Writes n bytes at an absolute offset without moving the write position;
    // for patching header fields of bytes already flushed.
    bool WriteAt(std::uint64_t offset, const void* data, std::size_t n);
    // Hands gathered bytes to the kernel.
    bool Flush();
    // Cuts the file to size bytes and moves the write position there.
    // Gathered bytes are flushed first.
    bool Truncate(std::uint64_t size);
    // Flushes and closes. True only if no call since Create failed.
    bool Close();
    // Closes and removes the file; for writers that must not leave a partial
    // file behind. The recorded error (if any) stays readable.
    void Discard();

    // Records a failure that is not a system error ("Cannot <action> <path>:
    // <reason>"); returns false. Keeps an earlier error if there is one.
    bool Fail(const char* action, const std::string& reason);
    // Forgets any earlier file and records that path was refused before it was
    // created; returns false.
    bool Refuse(const std::string& path, const std::string& reason);

    bool IsOpen() const { return fd_ >= 0; }
    bool Failed() const { return failed_; }
    const std::string& ErrorText() const { return error_; }
    // The file's state as a writer reports it: the first failure since Create.
    Status Outcome() const { return failed_ ? Status::Failure(error_) : Status(); }
    const std::string& Path() const { return path_; }
    // Bytes written sequentially so far, gathered ones included.
    std::uint64_t Position() const { return flushed_ + pending_; }

private:
    // Closes whatever is open and forgets the last file's state and error.
    void Restart(const std::string& path);
    static constexpr std::size_t kGatherBytes = 16384;

    bool WriteAll(const void* head, std::size_t headBytes, const void* body, std::size_t bodyBytes);
    bool FailErrno(const char* action, int error);

    int fd_ = -1;
    bool failed_ = false;
    bool created_ = false; // this object made the file, so Discard may remove it
    std::string path_;
    std::string error_;
    std::uint64_t flushed_ = 0;
    std::size_t pending_ = 0;
    std::array<std::uint8_t, kGatherBytes> gather_{};
};

} // namespace orbicap
