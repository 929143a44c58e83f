#include "core/RegularFile.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <filesystem>

namespace vornik {

std::FILE* OpenRegularFile(const std::string& path) {
    const std::wstring wide = std::filesystem::u8path(path).wstring();
    HANDLE handle = CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    // A disk file; pipes, consoles and devices are refused.
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "rb");
    if (!file) _close(fd);
    return file;
}

}  // namespace vornik
