#include "datafiles/JournalFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "core/posix/WriteFully.h"

namespace vornik {

JournalFile::~JournalFile() { Close(); }

bool JournalFile::Fail() {
    error_ = std::strerror(errno);
    return false;
}

JournalFile::TakeResult JournalFile::Take(const std::string& path, bool create) {
    Close();
    // A taker that opened the file just before its owner removed or replaced
    // it holds a file without a name: it tries again with the file the name
    // now gives.
    for (int attempt = 0; attempt < 8; ++attempt) {
        // O_NONBLOCK: a FIFO of this name must not block the start.
        const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC | (create ? O_CREAT : 0), 0644);
        if (fd < 0) {
            if (errno == ENOENT && !create) return TakeResult::Missing;
            Fail();
            return TakeResult::Failed;
        }
        struct stat held {};
        if (::fstat(fd, &held) != 0 || !S_ISREG(held.st_mode)) {
            error_ = "not a regular file";
            ::close(fd);
            return TakeResult::Failed;
        }
        // flock, not fcntl: its lock belongs to this open file, so another
        // descriptor of the same file closed by this process (a reader) does
        // not drop it.
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool busy = errno == EWOULDBLOCK;
            Fail();
            ::close(fd);
            return busy ? TakeResult::Busy : TakeResult::Failed;
        }
        struct stat named {};
        if (::stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
            ::fcntl(fd, F_SETFL, O_APPEND);
            fd_ = fd;
            return TakeResult::Taken;
        }
        ::close(fd);
    }
    error_ = "the file keeps being replaced";
    return TakeResult::Failed;
}

bool JournalFile::IsOpen() const { return fd_ >= 0; }

bool JournalFile::Append(const void* data, size_t size) {
    if (fd_ < 0) return false;
    return WriteFully(fd_, data, size) || Fail();
}

bool JournalFile::Truncate(uint64_t size) {
    // O_APPEND puts the next write at the new end.
    return fd_ >= 0 && (::ftruncate(fd_, off_t(size)) == 0 || Fail());
}

bool JournalFile::Sync() { return fd_ >= 0 && (::fdatasync(fd_) == 0 || Fail()); }

bool JournalFile::Replace(JournalFile& fresh, const std::string& freshPath, const std::string& path) {
    if (fd_ < 0 || fresh.fd_ < 0) return false;
    if (::rename(freshPath.c_str(), path.c_str()) != 0) return Fail();
    // The old file has no name left: closing it drops its lock harmlessly.
    Close();
    fd_ = fresh.fd_;
    fresh.fd_ = -1;
    return true;
}

void JournalFile::Remove(const std::string& path) {
    // Removed while still locked: a taker that opened it meanwhile finds the
    // name gone and starts afresh.
    if (fd_ >= 0) ::unlink(path.c_str());
    Close();
}

void JournalFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace vornik
