#pragma once
// Appending rows to a day file that other programs may read (and a user may
// tidy) meanwhile, and that another logger may append to at the same time.
//
// Every append holds an exclusive lock of the file from reading its end to
// its last byte written, so appends of several loggers never mix: the row
// numbers go on from the file's last row as it is under that lock, a line
// left cut by an earlier end is cut back first, and an append that fails (a
// full disk) is taken back to where it started, so a failed row never glues
// onto the next one and never takes another writer's rows with it.
#include <string>

namespace vornik {

// Appends `lines` (whole lines) to the day file at `path` (UTF-8), creating
// it when missing; an empty file first gets `header`. A line that starts
// with "/" gets the next row number put before it.
//
// Only a regular file is written, opened without waiting, so a FIFO in its
// place is refused at once. In a shared folder (sticky and writable by all,
// like /tmp) a symbolic link that another user planted is not followed, and
// a file that another user owns is left alone: the rows go to a file of this
// user's own beside it, "<name>-uid<N>.<extension>" (then "-uid<N>-2"...
// while those are another user's too), and `writtenTo` names it; otherwise
// `writtenTo` is `path`. On failure returns false with the reason in
// `error`, the file as it was.
bool AppendLines(const std::string& path, const std::string& header, const std::string& lines,
                 std::string& writtenTo, std::string& error);

}  // namespace vornik
