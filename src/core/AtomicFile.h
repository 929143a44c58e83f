#pragma once
// Replacing a file safely: the new content goes to a temporary file in the
// target's folder, is flushed to the disk, and is then renamed over the
// target. Until the rename the old file is untouched; any failure removes the
// temporary file and leaves the old file whole. The temporary file gets the
// old file's owner, group and mode.
//
// Where a rename cannot do the job, the old file is rewritten in place
// instead: when no file may be created in its folder (a writable file in a
// shared folder), when it has more than one hard link (a rename would split
// them), and when its owner or group cannot be given to a new file. The
// content is then held until Commit, which first reserves the disk space
// for it, so a full disk or a size limit still leaves the old file whole.
//
// A symbolic link is written through to its target, existing or not, unless
// it is a link another user planted in a shared folder (see FileLinks.h).
// A target that exists but is read-only is not replaced: the write fails as
// it would if the file were opened for writing.
//
// Temporary files a killed run of the program left beside the target (their
// process no longer runs) are removed when the file is next written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vornik {

class AtomicFileWriter {
public:
    explicit AtomicFileWriter(std::string target);
    ~AtomicFileWriter();  // discards the temporary file unless committed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file. False on failure (see Error()).
    bool Open();
    // Appends bytes to the temporary file.
    bool Write(const void* data, size_t size);
    bool Write(std::string_view bytes) { return Write(bytes.data(), bytes.size()); }
    // Flushes, closes and renames the temporary file over the target.
    bool Commit();
    // Drops the temporary file; the target stays as it was.
    void Discard();

    // The reason of the last failure, with the system's error text.
    const std::string& Error() const { return error_; }
    // The file written: the path given, or after Open the target of its links.
    const std::string& Target() const { return target_; }
    // Whether Open chose to rewrite the file in place.
    bool InPlace() const { return inPlace_; }

private:
    bool Fail(const std::string& what, int errorCode);
    bool OpenInPlace();
    bool CommitInPlace();

    std::string target_;
    std::string temp_;
    std::string error_;
    std::string content_;  // held until Commit when writing in place
    intptr_t handle_ = -1;  // platform file handle of the temporary file (or the target, in place)
    bool inPlace_ = false;
    bool failed_ = false;
};

// The temporary file of `target`: in the same folder, the target's name with
// ".~<process>-<counter>" appended. A long name is cut first (at a character
// boundary), so that a target whose name is within the system's limit of 255
// gets a temporary name within it too.
std::string TemporaryFileName(const std::string& target, unsigned long process, unsigned counter);

// Whether `name` (a bare file name) is a temporary file name of `target`; if
// so, `process` is the process that made it.
bool IsTemporaryFileOf(const std::string& target, const std::string& name, unsigned long& process);

// Writes the whole content in one go. On failure returns false and, when
// `error` is given, stores the reason there.
bool WriteFileAtomically(const std::string& target, std::string_view bytes, std::string* error = nullptr);

}  // namespace vornik
