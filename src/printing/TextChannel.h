#pragma once
// Lines of text onto printer pages, the way a text file assigned to the
// printer behaves: the position starts at the top-left corner of the
// printable area; text that passes the right edge is cut between characters
// and continues on the next line; a line is as high as its tallest text plus
// 2 pixels (an empty line: the font's character height); a new page starts
// when the next line might not fit. No margins, headers or page numbers.
#include <string>
#include <string_view>

#include "printing/PageSurface.h"

namespace vornik {

class TextChannel {
public:
    explicit TextChannel(PageSurface& surface) : surface_(surface) {}

    // Starts the job and its first page.
    void Open(const std::string& jobName);
    // Ends the page and the job.
    void Close();
    bool IsOpen() const { return open_; }

    // Writes text at the current position. LF ends the line; CR does nothing.
    void Write(std::string_view text);
    void EndLine();
    void WriteLine(std::string_view text) {
        Write(text);
        EndLine();
    }

    int X() const { return x_; }
    int Y() const { return y_; }

private:
    void Output(std::string_view text);
    size_t FittingLength(std::string_view text, int room);
    void NewPage();

    PageSurface& surface_;
    bool open_ = false;
    int x_ = 0;
    int y_ = 0;
    int right_ = 0;   // printable width
    int bottom_ = 0;  // printable height
    int lineHeight_ = 0;  // tallest text of the line + 2; 0 while nothing was drawn
    // A page break starts the next page only when something is drawn on it,
    // so a break after the last line leaves no blank sheet.
    bool pageBreakPending_ = false;
};

}  // namespace vornik
