#include "CheckedFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <system_error>
#include <unistd.h>

namespace orbicap {

CheckedFile::~CheckedFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

void CheckedFile::Restart(const std::string& path) {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    path_ = path;
    error_.clear();
    failed_ = false;
    created_ = false;
    flushed_ = 0;
    pending_ = 0;
}

bool CheckedFile::Create(const std::string& path) {
    Restart(path);
    // A new file may be removed again by Discard; one that was there before
    // (a device such as /dev/full, a file the user named) never is.
    do {
        fd_ = ::open(path.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0644);
    } while (fd_ < 0 && errno == EINTR);
    created_ = fd_ >= 0;
    while (fd_ < 0 && (errno == EEXIST || errno == EINTR)) {
        fd_ = ::open(path.c_str(), O_CREAT | O_TRUNC | O_WRONLY | O_CLOEXEC, 0644);
    }
    if (fd_ < 0) {
        return FailErrno("create", errno);
    }
    return true;
}

bool CheckedFile::Write(const void* data, std::size_t n) {
    if (fd_ < 0) {
        return FailErrno("write", EBADF);
    }
    if (n == 0) {
        return true; // data may be null then
    }
    if (n <= kGatherBytes - pending_) {
        std::memcpy(gather_.data() + pending_, data, n);
        pending_ += n;
        return true;
    }
    const std::size_t head = pending_;
    pending_ = 0;
    return WriteAll(gather_.data(), head, data, n);
}

bool CheckedFile::Flush() {
    const std::size_t head = pending_;
    pending_ = 0;
    return head == 0 || WriteAll(gather_.data(), head, nullptr, 0);
}

bool CheckedFile::WriteAll(const void* head, std::size_t headBytes, const void* body,
                           std::size_t bodyBytes) {
    if (fd_ < 0) {
        return FailErrno("write", EBADF);
    }
    iovec pieces[2] = {{const_cast<void*>(head), headBytes}, {const_cast<void*>(body), bodyBytes}};
    iovec* next = pieces;
    int count = 2;
    auto skipDone = [&] {
        while (count > 0 && next->iov_len == 0) {
            ++next;
            --count;
        }
    };
    skipDone();
    while (count > 0) {
        const ssize_t done = ::writev(fd_, next, count);
        if (done < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FailErrno("write", errno);
        }
        if (done == 0) {
            // No progress without an error: the device takes nothing more.
            return FailErrno("write", ENOSPC);
        }
        flushed_ += static_cast<std::uint64_t>(done);
        std::size_t left = static_cast<std::size_t>(done);
        while (count > 0 && left >= next->iov_len) {
            left -= next->iov_len;
            ++next;
            --count;
        }
        if (count > 0) {
            next->iov_base = static_cast<std::uint8_t*>(next->iov_base) + left;
            next->iov_len -= left;
        }
        skipDone();
    }
    return true;
}

bool CheckedFile::WriteAt(std::uint64_t offset, const void* data, std::size_t n) {
    if (fd_ < 0) {
        return FailErrno("write", EBADF);
    }
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    while (n > 0) {
        const ssize_t done = ::pwrite(fd_, bytes, n, static_cast<off_t>(offset));
        if (done < 0) {
            if (errno == EINTR) {
                continue;
            }
            return FailErrno("write", errno);
        }
        if (done == 0) {
            return FailErrno("write", ENOSPC);
        }
        bytes += done;
        n -= static_cast<std::size_t>(done);
        offset += static_cast<std::uint64_t>(done);
    }
    return true;
}

bool CheckedFile::Truncate(std::uint64_t size) {
    bool ok = Flush();
    if (fd_ < 0) {
        return FailErrno("truncate", EBADF);
    }
    int result;
    do {
        result = ::ftruncate(fd_, static_cast<off_t>(size));
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        return FailErrno("truncate", errno);
    }
    if (::lseek(fd_, static_cast<off_t>(size), SEEK_SET) < 0) {
        return FailErrno("seek in", errno);
    }
    flushed_ = size;
    return ok;
}

bool CheckedFile::Close() {
    if (fd_ < 0) {
        return !failed_;
    }
    Flush();
    // Linux releases the descriptor even when close reports EINTR, so it is
    // never retried; any error still means the data may not have landed.
    if (::close(fd_) != 0) {
        FailErrno("close", errno);
    }
    fd_ = -1;
    return !failed_;
}

void CheckedFile::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    pending_ = 0;
    if (created_) {
        ::unlink(path_.c_str());
        created_ = false;
    }
}

bool CheckedFile::FailErrno(const char* action, int error) {
    return Fail(action, std::generic_category().message(error));
}

bool CheckedFile::Fail(const char* action, const std::string& reason) {
    if (!failed_) {
        failed_ = true;
        error_ = std::string("Cannot ") + action + " " + path_ + ": " + reason;
    }
    return false;
}

bool CheckedFile::Refuse(const std::string& path, const std::string& reason) {
    Restart(path);
    return Fail("create", reason);
}

} // namespace orbicap
