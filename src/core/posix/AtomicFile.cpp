#include "core/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/FileLinks.h"
#include "core/posix/WriteFully.h"

namespace vornik {

namespace {

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

// The new name is fsynced into its folder; not every file system allows
// fsync on a folder, and the data itself is already safe, so errors are ignored.
void SyncFolder(const std::string& folder) {
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// Has the system start writing the last `bytes` written to the disk now,
// while the caller prepares the next ones, so that the sync at the commit
// has little left to wait for. Only a hint: errors show at the sync.
void StartWriteBack(int fd, size_t bytes) {
#ifdef SYNC_FILE_RANGE_WRITE
    const off_t end = lseek(fd, 0, SEEK_CUR);
    const off_t length = static_cast<off_t>(bytes);
    if (end >= length) sync_file_range(fd, end - length, length, SYNC_FILE_RANGE_WRITE);
#else
    (void)fd;
    (void)bytes;
#endif
}

bool ProcessRunning(pid_t pid) { return kill(pid, 0) == 0 || errno != ESRCH; }

// Removes the temporary files of `target` that a run of this program left
// when it was killed while saving: regular files of this user whose process
// is gone. Another user's files and those of running processes stay.
void RemoveStaleTemporaryFiles(const std::string& target) {
    const std::string folder = FolderOf(target);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) return;
    while (const dirent* entry = readdir(dir)) {
        unsigned long process = 0;
        if (!IsTemporaryFileOf(target, entry->d_name, process)) continue;
        const std::string path = folder + "/" + entry->d_name;
        struct stat st;
        if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != geteuid()) continue;
        const pid_t pid = static_cast<pid_t>(process);
        if (process == 0 || static_cast<unsigned long>(pid) != process || ProcessRunning(pid)) continue;
        unlink(path.c_str());
    }
    closedir(dir);
}

// Gives the temporary file the old file's owner, group and mode. False when
// the system does not allow the owner or group.
bool TakeOverOwnerAndMode(int fd, const struct stat& old) {
    struct stat now;
    if (fstat(fd, &now) != 0) return false;
    if ((now.st_uid != old.st_uid || now.st_gid != old.st_gid) && fchown(fd, old.st_uid, old.st_gid) != 0)
        return false;
    // After fchown, which clears the set-id bits.
    return fchmod(fd, old.st_mode & 07777) == 0;
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string target) : target_(std::move(target)) {}

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

    std::string resolved;
    if (const int error = ResolveLinksForWriting(target_, resolved)) return Fail(target_, error);
    target_ = resolved;

    struct stat st;
    const bool exists = lstat(target_.c_str(), &st) == 0;
    if (exists) {
        if (S_ISDIR(st.st_mode)) return Fail(target_, EISDIR);
        // Read-only for its owner means the user does not want it changed;
        // checked on the mode bits too, because access() lets root write anything.
        if ((st.st_mode & 0222) == 0 || access(target_.c_str(), W_OK) != 0) return Fail(target_, EACCES);
    }
    RemoveStaleTemporaryFiles(target_);
    const bool regular = exists && S_ISREG(st.st_mode);
    // A rename would give the new content one of the names only.
    if (regular && st.st_nlink > 1) return OpenInPlace();

    const mode_t mode = exists ? st.st_mode & 07777 : 0666;  // a new file: narrowed by the umask
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = TemporaryFileName(target_, static_cast<unsigned long>(getpid()), ++counter);
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0) {
            handle_ = fd;
            temp_ = std::move(name);
            if (!exists || TakeOverOwnerAndMode(fd, st)) return true;
            // Replacing it would change its owner: rewrite it instead.
            Discard();
            return regular ? OpenInPlace() : Fail(target_, EPERM);
        }
        if (errno == EEXIST) continue;
        // No right to create a file in the folder, but the file may be written.
        if (regular && (errno == EACCES || errno == EPERM)) return OpenInPlace();
        return Fail(FolderOf(target_), errno);
    }
    return Fail(FolderOf(target_), EEXIST);
}

bool AtomicFileWriter::OpenInPlace() {
    // Opened now, so that a file that cannot be written fails before the
    // content is produced; nothing in it changes until Commit.
    const int fd = open(target_.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return Fail(target_, errno);
    handle_ = fd;
    struct stat st;
    if (fstat(fd, &st) != 0) return Fail(target_, errno);
    if (!S_ISREG(st.st_mode)) return Fail(target_, EINVAL);
    inPlace_ = true;
    return true;
}

bool AtomicFileWriter::Write(const void* data, size_t size) {
    if (handle_ < 0) return failed_ ? false : Fail(target_, EBADF);
    const char* p = static_cast<const char*>(data);
    if (inPlace_) {
        content_.append(p, size);
        return true;
    }
    const int fd = static_cast<int>(handle_);
    if (!WriteFully(fd, p, size)) return Fail(target_, errno);
    StartWriteBack(fd, size);
    return true;
}

bool AtomicFileWriter::Commit() {
    if (handle_ < 0) return failed_ ? false : Fail(target_, EBADF);
    if (inPlace_) return CommitInPlace();
    const int fd = static_cast<int>(handle_);
    if (fsync(fd) != 0) return Fail(target_, errno);
    handle_ = -1;
    if (close(fd) != 0) return Fail(target_, errno);
    if (rename(temp_.c_str(), target_.c_str()) != 0) return Fail(target_, errno);
    temp_.clear();
    SyncFolder(FolderOf(target_));
    return true;
}

bool AtomicFileWriter::CommitInPlace() {
    const int fd = static_cast<int>(handle_);
    struct stat before;
    if (fstat(fd, &before) != 0) return Fail(target_, errno);
    // The space first: a full disk or a size limit fails here, with the
    // old content untouched (a grown size is cut back).
    const int reserved = content_.empty() ? 0 : posix_fallocate(fd, 0, static_cast<off_t>(content_.size()));
    if (reserved != 0 && reserved != EOPNOTSUPP && reserved != EINVAL) {
        const bool cut = ftruncate(fd, before.st_size) == 0;
        (void)cut;  // the old content is there either way
        return Fail(target_, reserved);
    }
    size_t done = 0;
    while (done < content_.size()) {
        const ssize_t n = pwrite(fd, content_.data() + done, content_.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Fail(target_, n < 0 ? errno : EIO);
        done += static_cast<size_t>(n);
    }
    if (ftruncate(fd, static_cast<off_t>(content_.size())) != 0 || fsync(fd) != 0) return Fail(target_, errno);
    handle_ = -1;
    inPlace_ = false;
    content_.clear();
    content_.shrink_to_fit();
    if (close(fd) != 0) return Fail(target_, errno);
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
    inPlace_ = false;
    content_.clear();
}

}  // namespace vornik
