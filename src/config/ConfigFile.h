#pragma once
// The settings file: one 421-byte configuration record, nothing else. It lies
// next to the program; an installed program whose folder cannot be written
// keeps it in the user's configuration folder instead.
#include <string>
#include <vector>

#include "config/Config.h"
#include "core/Prompt.h"

namespace vornik {

// The settings file of the program at `programPath`: the program's path with
// the extension replaced by ".ini" when the program's folder is writable,
// otherwise the same file name in `userConfigFolder`/vornik-pc (created here).
std::string ConfigFileName(const std::string& programPath, const std::string& userConfigFolder);
// The same with the user's real configuration folder.
std::string ConfigFileName(const std::string& programPath);
// The settings file beside the program, whether or not it is written there.
std::string ConfigFileBesideProgram(const std::string& programPath);

// Reads and writes the record at one file name, kept for the whole run.
// Failures are reported to the user through the Prompt.
class ConfigStore {
public:
    // `shippedFileName`: where the file is read from while `fileName` does
    // not exist yet (a settings file placed beside an installed program
    // whose folder cannot be written; saves go to `fileName`).
    ConfigStore(std::string fileName, Prompt& prompt, std::string shippedFileName = {});

    const std::string& FileName() const { return fileName_; }

    // The start-up read. The file is opened for reading only, so a read-only
    // file is used as it is. A missing file, an unreadable one, one shorter
    // than 421 bytes or one that is no record at all (TConfig::Unusable):
    // beep, the missing-file box, defaults, and a save. A record with some
    // impossible fields: those fields alone get their defaults, with a beep,
    // a box naming them, and a save. A longer file is read from its first
    // 421 bytes.
    void ReadAtStartup(TConfig& config);

    // Writes the whole record (a written file is exactly 421 bytes), replacing
    // the old file only once the new one is complete. On failure: beep and
    // the disk access box; the record in memory stays in force. Returns
    // whether the file was written; callers may go on either way.
    bool SaveConfig(const TConfig& config);

    // The record's bytes from the file, without any message; false when the
    // file cannot be read, is not a regular file, is shorter than a record or
    // holds impossible values (see TConfig::Plausible); the record is then
    // unchanged.
    bool Read(TConfig& config) const;

private:
    // The first 421 bytes of the file, unchecked; false when there are fewer.
    bool ReadRecord(TConfig& record) const;

    std::string fileName_;
    std::string shippedFileName_;
    Prompt& prompt_;
};

// Texts of the boxes (UTF-8).
extern const char* const kConfigMissingText;
// Followed by a line break and the fields reset, comma-separated, and ".".
extern const char* const kConfigFieldsResetText;
std::string FieldsResetText(const std::vector<std::string>& fields);
extern const char* const kDiskAccessErrorText;

}  // namespace vornik
