#include "headless/DayFileAppend.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/FileLinks.h"
#include "core/posix/WriteFully.h"
#include "headless/DayFileTail.h"

namespace vornik {
namespace {

int OpenForAppend(const std::string& path, std::string& error) {
    // Links are followed as the data-file save follows them: never a link
    // planted by another user in a shared folder.
    std::string target;
    if (const int refused = ResolveLinksForWriting(path, target)) {
        error = refused == EACCES ? "a link of another user in a shared folder" : std::strerror(refused);
        return -1;
    }
    // Non-blocking, so that a FIFO in the file's place cannot stall the logger.
    const int flags = O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC | O_NOCTTY | O_NONBLOCK | O_NOFOLLOW;
    const int fd = ::open(target.c_str(), flags, 0666);
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

}  // namespace

bool AppendLines(const std::string& path, const std::string& header, const std::string& lines,
                 std::string& error) {
    const int fd = OpenForAppend(path, error);
    if (fd < 0) return false;
    struct stat st {};
    const OpenDayFile file{
        fstat(fd, &st) == 0 ? static_cast<long long>(st.st_size) : -1,
        [fd](long long offset, char* buffer, int n) {
            return static_cast<int>(::pread(fd, buffer, static_cast<size_t>(n), offset));
        },
        [fd](long long length) { return ::ftruncate(fd, length) == 0; },
        [fd](const std::string& bytes) { return WriteFully(fd, bytes.data(), bytes.size()); }};
    const bool ok = AppendWholeLines(file, header, lines, error);
    ::close(fd);
    return ok;
}

}  // namespace vornik
