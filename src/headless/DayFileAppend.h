#pragma once
// Appending whole lines to a day file that other programs may read (and a
// user may tidy) meanwhile. The file always ends at a whole line: a line
// left cut by an earlier end is cut back before the append, and an append
// that fails (a full disk) is taken back, so a failed row never glues onto
// the next one.
#include <string>

namespace vornik {

// Appends `lines` to the file at `path` (UTF-8), creating it when missing;
// an empty file first gets `header`. On failure returns false with the
// system's reason in `error`, the file as it was before. A symbolic link
// that another user planted in a shared folder (sticky and writable by all,
// like /tmp) is not followed.
bool AppendLines(const std::string& path, const std::string& header, const std::string& lines,
                 std::string& error);

// The row number at the start of the file's last line ("17/305" gives 17);
// 0 when the file is missing, empty or ends with its header.
long long LastRowNumber(const std::string& path);

}  // namespace vornik
