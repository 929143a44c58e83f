#include "core/AtomicFile.h"

#include <windows.h>

#include <string>

namespace vornik {

namespace {

// Paths are UTF-8 in the core; the file API takes UTF-16.
std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), result.data(), n);
    return result;
}

std::string SystemText(DWORD code) {
    char* buffer = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = n ? std::string(buffer, n) : "error " + std::to_string(code);
    if (buffer) LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) text.pop_back();
    return text;
}

HANDLE H(intptr_t h) { return reinterpret_cast<HANDLE>(h); }

std::string Narrow(const std::wstring& wide) {
    if (wide.empty()) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string result(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), result.data(), n, nullptr, nullptr);
    return result;
}

bool ProcessRunning(DWORD pid) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

// Removes the temporary files of `target` that a killed run of the program
// left behind (their process is gone).
void RemoveStaleTemporaryFiles(const std::string& target) {
    const size_t slash = target.find_last_of("/\\");
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(Wide(folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        unsigned long process = 0;
        const std::string name = Narrow(found.cFileName);
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || !IsTemporaryFileOf(target, name, process)) continue;
        if (process == 0 || process == GetCurrentProcessId() || ProcessRunning(static_cast<DWORD>(process))) continue;
        DeleteFileW(Wide(folder + "\\" + name).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string target) : target_(std::move(target)) {}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

bool AtomicFileWriter::Fail(const std::string& what, int errorCode) {
    failed_ = true;
    error_ = what + ": " + SystemText(static_cast<DWORD>(errorCode));
    Discard();
    return false;
}

bool AtomicFileWriter::Open() {
    Discard();
    failed_ = false;
    error_.clear();

    const DWORD attributes = GetFileAttributesW(Wide(target_).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Fail(target_, ERROR_DIRECTORY);
        if (attributes & FILE_ATTRIBUTE_READONLY) return Fail(target_, ERROR_ACCESS_DENIED);
    }
    RemoveStaleTemporaryFiles(target_);

    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = TemporaryFileName(target_, GetCurrentProcessId(), ++counter);
        HANDLE h = CreateFileW(Wide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<intptr_t>(h);
            temp_ = std::move(name);
            return true;
        }
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS) return Fail(target_, static_cast<int>(code));
    }
    return Fail(target_, ERROR_FILE_EXISTS);
}

bool AtomicFileWriter::Write(const void* data, size_t size) {
    if (handle_ == -1) return failed_ ? false : Fail(target_, ERROR_INVALID_HANDLE);
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        const DWORD chunk = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
        DWORD written = 0;
        if (!WriteFile(H(handle_), p, chunk, &written, nullptr))
            return Fail(target_, static_cast<int>(GetLastError()));
        p += written;
        size -= written;
    }
    return true;
}

bool AtomicFileWriter::Commit() {
    if (handle_ == -1) return failed_ ? false : Fail(target_, ERROR_INVALID_HANDLE);
    if (!FlushFileBuffers(H(handle_))) return Fail(target_, static_cast<int>(GetLastError()));
    HANDLE h = H(handle_);
    handle_ = -1;
    if (!CloseHandle(h)) return Fail(target_, static_cast<int>(GetLastError()));
    if (!MoveFileExW(Wide(temp_).c_str(), Wide(target_).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Fail(target_, static_cast<int>(GetLastError()));
    temp_.clear();
    return true;
}

void AtomicFileWriter::Discard() {
    if (handle_ != -1) {
        CloseHandle(H(handle_));
        handle_ = -1;
    }
    if (!temp_.empty()) {
        DeleteFileW(Wide(temp_).c_str());
        temp_.clear();
    }
}

}  // namespace vornik
