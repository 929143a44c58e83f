#include "headless/DayFileAppend.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "headless/DayFileTail.h"

namespace vornik {
namespace {

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const unsigned chunk = static_cast<unsigned>(std::min<size_t>(bytes.size() - done, 1u << 30));
        const int n = _write(fd, bytes.data() + done, chunk);
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// The lock is taken on one byte far beyond any data: Windows locks keep
// every other handle out of the locked bytes, and readers of the rows must
// not be kept out of them.
OVERLAPPED LockedByte() {
    OVERLAPPED at{};
    at.Offset = 0xFFFFFFFEu;
    at.OffsetHigh = 0x7FFFFFFFu;
    return at;
}

bool TryLock(HANDLE handle) {
    OVERLAPPED at = LockedByte();
    return LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

void Unlock(HANDLE handle) {
    OVERLAPPED at = LockedByte();
    UnlockFileEx(handle, 0, 1, 0, &at);
}

bool AppendTo(int fd, const std::string& header, const std::string& lines, std::string& error) {
    const OpenDayFile file{
        _filelengthi64(fd),
        [fd](long long offset, char* buffer, int n) {
            if (_lseeki64(fd, offset, SEEK_SET) != offset) return -1;
            return _read(fd, buffer, static_cast<unsigned>(n));
        },
        [fd](long long length) { return _chsize_s(fd, length) == 0; },
        [fd](const std::string& bytes) { return WriteAll(fd, bytes); }};
    return AppendWholeLines(file, header, lines, error);
}

}  // namespace

bool AppendLines(const std::string& path, const std::string& header, const std::string& lines,
                 std::string& writtenTo, std::string& error) {
    writtenTo = path;
    // The wide-character API: the name is Unicode whatever the code page.
    const std::wstring name = std::filesystem::u8path(path).wstring();
    int fd = -1;
    // Shared for reading and writing: another program may read the day file,
    // another logger append to it. Not shared for deleting: the name stays
    // this file's while it is open.
    if (_wsopen_s(&fd, name.c_str(), _O_RDWR | _O_CREAT | _O_APPEND | _O_BINARY | _O_NOINHERIT,
                  _SH_DENYNO, _S_IREAD | _S_IWRITE) != 0) {
        error = std::strerror(errno);
        return false;
    }
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    bool ok = false;
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        // A device or a pipe under that name is not a file on the disk.
        error = "not a regular file";
    } else if (!WaitForLock([handle] { return TryLock(handle); })) {
        error = kLockedText;
    } else {
        ok = AppendTo(fd, header, lines, error);
        Unlock(handle);
    }
    _close(fd);
    return ok;
}

}  // namespace vornik
