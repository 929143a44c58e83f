#pragma once
// The write side of the recovery journal: a file that is created empty and
// then only appended to, truncated back, or forced to the disk. Kept behind
// this small class so the journal itself stays free of the platform.
#include <cstddef>
#include <string>

namespace vornik {

class JournalFile {
public:
    JournalFile() = default;
    ~JournalFile();
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    // Creates the file (UTF-8 path), emptying an existing one. False on failure.
    bool Create(const std::string& path);
    bool IsOpen() const;

    // Appends the bytes with as few system writes as the platform allows (one
    // for a record of ordinary size), so a killed process leaves every record
    // it finished writing in the file. False on failure.
    bool Append(const void* data, size_t size);

    // Cuts the file to `size` bytes; later appends go after them.
    bool Truncate(size_t size);

    // Forces the written bytes to the disk (they survive a power cut).
    bool Sync();

    void Close();

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

}  // namespace vornik
