#include "core/RegularFile.h"

#include <windows.h>

#include <io.h>

#include <cerrno>
#include <cstring>

#include "core/Paths.h"

namespace vornik {

std::FILE* OpenRegularFile(const std::string& path, std::string* error) {
    std::FILE* file = OpenFile(path, "rb");
    if (!file) {
        if (error) *error = std::strerror(errno);
        return nullptr;
    }
    // Devices ("NUL", "COM1", also as "com1.gas" in any folder) and named
    // pipes are not files on the disk.
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        std::fclose(file);
        if (error) *error = "not a regular file";
        errno = EINVAL;
        return nullptr;
    }
    return file;
}

}  // namespace vornik
