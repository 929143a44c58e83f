#include "datafiles/JournalFile.h"

#include <windows.h>

#include <string>

namespace vornik {
namespace {

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), out.data(), n);
    return out;
}

// FILE_RENAME_INFO as FileRenameInfoEx (Windows 10 1607) reads it: flags in
// place of the ReplaceIfExists byte.
struct RenameInfoEx {
    DWORD flags;
    HANDLE root;
    DWORD nameLength;
    WCHAR name[1];
};
constexpr auto kFileRenameInfoEx = FILE_INFO_BY_HANDLE_CLASS(22);
constexpr DWORD kReplaceIfExists = 0x1;
constexpr DWORD kPosixSemantics = 0x2;

// Renames the file at `from` to `name` in its own folder, over a file that
// is open, as POSIX does. Where the system or its file system lacks this
// (before Windows 10, FAT, network shares, wine), false. The rename goes
// through a handle of its own, as the taken handles lack delete access
// (readers of the journal could not open it beside one that has it).
bool RenameOverOpenFile(const std::string& from, const std::wstring& name) {
    HANDLE file = CreateFileW(Wide(from).c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    std::string buffer(sizeof(RenameInfoEx) + name.size() * sizeof(WCHAR), '\0');
    auto* info = reinterpret_cast<RenameInfoEx*>(buffer.data());
    info->flags = kReplaceIfExists | kPosixSemantics;
    info->nameLength = DWORD(name.size() * sizeof(WCHAR));
    name.copy(info->name, name.size());
    const bool renamed = SetFileInformationByHandle(file, kFileRenameInfoEx, info, DWORD(buffer.size()));
    CloseHandle(file);
    return renamed;
}

std::wstring FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return Wide(slash == std::string::npos ? path : path.substr(slash + 1));
}

}  // namespace

JournalFile::~JournalFile() { Close(); }

bool JournalFile::Fail() {
    error_ = "Windows error " + std::to_string(GetLastError());
    return false;
}

JournalFile::TakeResult JournalFile::Take(const std::string& path, bool create) {
    Close();
    // Sharing no write access is the lock: another program asking to write
    // is refused until this handle closes, which the system does when the
    // process ends.
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                           nullptr, create ? OPEN_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION) return TakeResult::Busy;
        if (!create && (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND)) return TakeResult::Missing;
        Fail();
        return TakeResult::Failed;
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        error_ = "not a regular file";
        return TakeResult::Failed;
    }
    handle_ = h;
    return TakeResult::Taken;
}

bool JournalFile::IsOpen() const { return handle_ != nullptr; }

bool JournalFile::Append(const void* data, size_t size) {
    if (!handle_) return false;
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(handle_, zero, nullptr, FILE_END)) return Fail();
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : DWORD(size);
        if (!WriteFile(handle_, p, chunk, &written, nullptr) || written == 0) return Fail();
        p += written;
        size -= written;
    }
    return true;
}

bool JournalFile::Truncate(uint64_t size) {
    if (!handle_) return false;
    LARGE_INTEGER pos;
    pos.QuadPart = LONGLONG(size);
    return (SetFilePointerEx(handle_, pos, nullptr, FILE_BEGIN) && SetEndOfFile(handle_)) || Fail();
}

bool JournalFile::Sync() { return handle_ && (FlushFileBuffers(handle_) || Fail()); }

bool JournalFile::Replace(JournalFile& fresh, const std::string& freshPath, const std::string& path) {
    if (!handle_ || !fresh.handle_) return false;
    if (!RenameOverOpenFile(freshPath, FileNameOf(path))) {
        // Elsewhere an open file cannot be replaced: this one is closed, and
        // taken back when the rename fails. Until the rename its name is
        // free for a moment.
        Close();
        if (!MoveFileExW(Wide(freshPath).c_str(), Wide(path).c_str(), MOVEFILE_REPLACE_EXISTING)) {
            const DWORD code = GetLastError();
            Take(path, false);
            error_ = "Windows error " + std::to_string(code);
            return false;
        }
    }
    Close();
    handle_ = fresh.handle_;
    fresh.handle_ = nullptr;
    return true;
}

void JournalFile::Remove(const std::string& path) {
    // Shared delete access: the file goes once the handle below is closed.
    if (handle_) DeleteFileW(Wide(path).c_str());
    Close();
}

void JournalFile::Close() {
    if (handle_) CloseHandle(handle_);
    handle_ = nullptr;
}

}  // namespace vornik
