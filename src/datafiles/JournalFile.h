#pragma once
// The file of the recovery journal, owned by one running program at a time.
// Taking it locks it with a lock that the system drops when the process ends,
// however it ends: a second copy of the program finds the journal taken, and
// the next start after a crash finds it free. Once taken, the file is only
// appended to, truncated back, forced to the disk, replaced whole or removed.
// Kept behind this small class so the journal itself stays free of the
// platform.
#include <cstddef>
#include <cstdint>
#include <string>

namespace vornik {

class JournalFile {
public:
    enum class TakeResult {
        Taken,    // open and locked for this process
        Busy,     // locked by a running program
        Missing,  // no such file (and not asked to create it)
        Failed,   // cannot be opened or is not a regular file; see ErrorText
    };

    JournalFile() = default;
    ~JournalFile();
    JournalFile(const JournalFile&) = delete;
    JournalFile& operator=(const JournalFile&) = delete;

    // Opens the file (UTF-8 path), creating it when asked, and locks it. Its
    // content is kept.
    TakeResult Take(const std::string& path, bool create);
    bool IsOpen() const;

    // Appends the bytes with as few system writes as the platform allows (one
    // for a record of ordinary size), so a killed process leaves every record
    // it finished writing in the file. False on failure.
    bool Append(const void* data, size_t size);

    // Cuts the file to `size` bytes; later appends go after them.
    bool Truncate(uint64_t size);

    // Forces the written bytes to the disk (they survive a power cut).
    bool Sync();

    // Renames the taken file `fresh` (at `freshPath`) over `path`, the name of
    // this file; this object then holds the renamed file and `fresh` nothing.
    // The lock passes without a gap: `fresh` is locked before it takes the
    // name (on Windows only where the file system renames over an open file;
    // elsewhere this file is closed just before the rename and taken back if
    // it fails). False (both files as they were) on failure; this object is
    // then closed only if another program took the file in that moment.
    bool Replace(JournalFile& fresh, const std::string& freshPath, const std::string& path);

    // Removes the file at `path` (this file's name) and closes it.
    void Remove(const std::string& path);

    void Close();

    // The system's reason for the last failure.
    const std::string& ErrorText() const { return error_; }

private:
    bool Fail();

#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
    std::string error_;
};

}  // namespace vornik
