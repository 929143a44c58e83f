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

}  // namespace

JournalFile::~JournalFile() { Close(); }

bool JournalFile::Create(const std::string& path) {
    Close();
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_ = h;
    return true;
}

bool JournalFile::IsOpen() const { return handle_ != nullptr; }

bool JournalFile::Append(const void* data, size_t size) {
    if (!handle_) return false;
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(handle_, zero, nullptr, FILE_END)) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size > 0x40000000 ? 0x40000000 : DWORD(size);
        if (!WriteFile(handle_, p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        size -= written;
    }
    return true;
}

bool JournalFile::Truncate(size_t size) {
    if (!handle_) return false;
    LARGE_INTEGER pos;
    pos.QuadPart = LONGLONG(size);
    return SetFilePointerEx(handle_, pos, nullptr, FILE_BEGIN) && SetEndOfFile(handle_);
}

bool JournalFile::Sync() { return handle_ && FlushFileBuffers(handle_); }

void JournalFile::Close() {
    if (handle_) CloseHandle(handle_);
    handle_ = nullptr;
}

}  // namespace vornik
