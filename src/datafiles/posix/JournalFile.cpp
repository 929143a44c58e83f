#include "datafiles/JournalFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace vornik {

JournalFile::~JournalFile() { Close(); }

bool JournalFile::Create(const std::string& path) {
    Close();
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    return fd_ >= 0;
}

bool JournalFile::IsOpen() const { return fd_ >= 0; }

bool JournalFile::Append(const void* data, size_t size) {
    if (fd_ < 0) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = ::write(fd_, p, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        size -= size_t(n);
    }
    return true;
}

bool JournalFile::Truncate(size_t size) {
    // O_APPEND puts the next write at the new end.
    return fd_ >= 0 && ::ftruncate(fd_, off_t(size)) == 0;
}

bool JournalFile::Sync() { return fd_ >= 0 && ::fdatasync(fd_) == 0; }

void JournalFile::Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}

}  // namespace vornik
