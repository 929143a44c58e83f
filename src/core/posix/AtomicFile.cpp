#include "core/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

namespace vornik {

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// A link is replaced through its destination, so the link itself survives.
std::string ResolveLink(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) return path;
    return resolved;
}

// The new name is fsynced into its folder; not every file system allows
// fsync on a folder, and the data itself is already safe, so errors are ignored.
void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string target) : target_(ResolveLink(target)) {}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

bool AtomicFileWriter::Fail(const std::string& what, int errorCode) {
    failed_ = true;
    error_ = what + ": " + std::strerror(errorCode);
    Discard();
    return false;
}

bool AtomicFileWriter::Open() {
    Discard();
    failed_ = false;
    error_.clear();

    struct stat st;
    mode_t mode = 0666;  // narrowed by the umask
    bool keepMode = false;
    if (stat(target_.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return Fail(target_, EISDIR);
        // Read-only for its owner means the user does not want it changed;
        // checked on the mode bits too, because access() lets root write anything.
        if ((st.st_mode & 0222) == 0 || access(target_.c_str(), W_OK) != 0) return Fail(target_, EACCES);
        mode = st.st_mode & 07777;
        keepMode = true;
    }

    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = TemporaryFileName(target_, static_cast<unsigned long>(getpid()), ++counter);
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            handle_ = fd;
            temp_ = std::move(name);
            if (keepMode) fchmod(fd, mode);
            return true;
        }
        if (errno != EEXIST) return Fail(FolderOf(target_), errno);
    }
    return Fail(FolderOf(target_), EEXIST);
}

bool AtomicFileWriter::Write(const void* data, size_t size) {
    if (handle_ < 0) return failed_ ? false : Fail(target_, EBADF);
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t n = write(static_cast<int>(handle_), p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(target_, errno);
        }
        p += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

bool AtomicFileWriter::Commit() {
    if (handle_ < 0) return failed_ ? false : Fail(target_, EBADF);
    const int fd = static_cast<int>(handle_);
    if (fsync(fd) != 0) return Fail(target_, errno);
    handle_ = -1;
    if (close(fd) != 0) return Fail(target_, errno);
    if (rename(temp_.c_str(), target_.c_str()) != 0) return Fail(target_, errno);
    temp_.clear();
    SyncFolder(FolderOf(target_));
    return true;
}

void AtomicFileWriter::Discard() {
    if (handle_ >= 0) {
        close(static_cast<int>(handle_));
        handle_ = -1;
    }
    if (!temp_.empty()) {
        unlink(temp_.c_str());
        temp_.clear();
    }
}

}  // namespace vornik
