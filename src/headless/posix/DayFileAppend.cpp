#include "headless/DayFileAppend.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/FileLinks.h"
#include "core/posix/WriteFully.h"
#include "headless/DayFileTail.h"

namespace vornik {
namespace {

constexpr int kForeign = -2;  // another user's file in a shared folder
constexpr int kOwnFileNames = 10;

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Opens the file at `target` (not a link) for appending: -1 with the reason,
// or kForeign.
int OpenRegular(const std::string& target, std::string& error) {
    // Looked at before opening too: opening a device or a FIFO of another
    // user is not harmless.
    struct stat st {};
    if (::lstat(target.c_str(), &st) == 0) {
        if (PlantedByAnotherUser(target, st.st_uid)) return kForeign;
        if (!S_ISREG(st.st_mode)) {
            error = "not a regular file";
            return -1;
        }
    }
    // Non-blocking, so that a FIFO put in the file's place meanwhile cannot
    // stall the logger; O_NOFOLLOW, so that no link put there is followed.
    const int flags = O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
    const int fd = ::open(target.c_str(), flags, 0666);
    if (fd < 0) {
        error = std::strerror(errno);
        return -1;
    }
    int result = fd;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        error = "not a regular file";
        result = -1;
    } else if (PlantedByAnotherUser(target, st.st_uid)) {
        result = kForeign;
    } else if (::fcntl(fd, F_SETFL, O_APPEND) != 0) {
        error = std::strerror(errno);
        result = -1;
    }
    if (result != fd) ::close(fd);
    return result;
}

// Opens and locks the day file: the file descriptor, -1 with the reason, or
// kForeign.
int OpenLocked(const std::string& path, std::string& error) {
    // Links are followed as the data-file save follows them: never a link
    // planted by another user in a shared folder.
    std::string target;
    if (const int refused = ResolveLinksForWriting(path, target)) {
        error = refused == EACCES ? "a link of another user in a shared folder" : std::strerror(refused);
        return -1;
    }
    for (int attempt = 0; attempt < 3; ++attempt) {
        const int fd = OpenRegular(target, error);
        if (fd < 0) return fd;
        if (!WaitForLock([fd] { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; })) {
            error = kLockedText;
            ::close(fd);
            return -1;
        }
        // The name may have been given to another file (a user tidied the
        // folder) while this one was being locked: the lock must be that
        // file's.
        struct stat opened {}, named {};
        if (::fstat(fd, &opened) == 0 && ::lstat(target.c_str(), &named) == 0 && SameFile(opened, named))
            return fd;
        ::close(fd);
    }
    error = "the file was replaced while it was being opened";
    return -1;
}

bool AppendTo(int fd, const std::string& header, const std::string& lines, std::string& error) {
    struct stat st {};
    const OpenDayFile file{
        ::fstat(fd, &st) == 0 ? static_cast<long long>(st.st_size) : -1,
        [fd](long long offset, char* buffer, int n) {
            return static_cast<int>(::pread(fd, buffer, static_cast<size_t>(n), offset));
        },
        [fd](long long length) { return ::ftruncate(fd, length) == 0; },
        [fd](const std::string& bytes) { return WriteFully(fd, bytes.data(), bytes.size()); }};
    return AppendWholeLines(file, header, lines, error);
}

// "<name>-uid<N>.<extension>", from the second on "-uid<N>-<number>".
std::string OwnFilePath(const std::string& path, int number) {
    const size_t slash = path.rfind('/');
    size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = path.size();
    std::string tag = "-uid" + std::to_string(::geteuid());
    if (number > 1) tag += "-" + std::to_string(number);
    return path.substr(0, dot) + tag + path.substr(dot);
}

}  // namespace

bool AppendLines(const std::string& path, const std::string& header, const std::string& lines,
                 std::string& writtenTo, std::string& error) {
    writtenTo = path;
    for (int number = 1; number <= kOwnFileNames; ++number) {
        const int fd = OpenLocked(writtenTo, error);
        if (fd == kForeign) {
            writtenTo = OwnFilePath(path, number);
            continue;
        }
        if (fd < 0) return false;
        const bool ok = AppendTo(fd, header, lines, error);
        ::close(fd);  // and with it the lock
        return ok;
    }
    error = "every name for it is taken by files of other users in a shared folder";
    return false;
}

}  // namespace vornik
