#include "core/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vornik {

std::FILE* OpenRegularFile(const std::string& path, std::string* error) {
    // O_NONBLOCK: opening a FIFO with no writer returns at once instead of
    // waiting for one.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    int code = errno;
    if (fd >= 0) {
        struct stat info {};
        if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::fcntl(fd, F_SETFL, 0) == 0) {
            if (std::FILE* file = ::fdopen(fd, "rb")) return file;
            code = errno;
        } else {
            code = S_ISREG(info.st_mode) ? errno : EINVAL;
        }
        ::close(fd);
    }
    if (error) *error = code == EINVAL ? std::string("not a regular file") : std::strerror(code);
    errno = code;
    return nullptr;
}

}  // namespace vornik
