#include "headless/DayFileAppend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "headless/DayFileTail.h"

namespace vornik {
namespace {

std::string FolderOfPath(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The rule of the kernel's protected_symlinks: in a folder that is sticky and
// writable by everyone, a link is followed only when it belongs to us or to
// the folder's owner. Anyone may plant a link there to a file of ours.
bool MayFollowLink(const std::string& path) {
    struct stat link {}, folder {};
    if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return true;
    if (stat(FolderOfPath(path).c_str(), &folder) != 0) return false;
    const bool shared = (folder.st_mode & S_ISVTX) && (folder.st_mode & S_IWOTH);
    return !shared || link.st_uid == geteuid() || link.st_uid == folder.st_uid;
}

int OpenForAppend(const std::string& path, std::string& error) {
    // Non-blocking, so that a FIFO in the file's place cannot stall the logger.
    const int flags = O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int fd = ::open(path.c_str(), flags | O_NOFOLLOW, 0666);
    if (fd < 0 && errno == ELOOP) {
        if (!MayFollowLink(path)) {
            error = "a link of another user in a shared folder";
            return -1;
        }
        fd = ::open(path.c_str(), flags, 0666);
    }
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "not a regular file";
        ::close(fd);
        return -1;
    }
    return fd;
}

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

bool AppendLines(const std::string& path, const std::string& header, const std::string& lines,
                 std::string& error) {
    const int fd = OpenForAppend(path, error);
    if (fd < 0) return false;
    struct stat st {};
    fstat(fd, &st);
    const ReadAt readAt = [fd](long long offset, char* buffer, int n) {
        return static_cast<int>(::pread(fd, buffer, static_cast<size_t>(n), offset));
    };
    long long size = WholeLinesLength(st.st_size, readAt);
    bool ok = size >= 0 && (size == st.st_size || ::ftruncate(fd, size) == 0);
    if (ok) ok = WriteAll(fd, size == 0 ? header + lines : lines);
    if (!ok) {
        error = std::strerror(errno);
        // Takes back what part of the append reached the file.
        if (size >= 0 && ::ftruncate(fd, size) != 0) error += "; the file could not be cut back";
    }
    ::close(fd);
    return ok;
}

}  // namespace vornik
