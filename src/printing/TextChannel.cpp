#include "printing/TextChannel.h"

#include <algorithm>

namespace vornik {

void TextChannel::Open(const std::string& jobName) {
    surface_.BeginDoc(jobName);
    open_ = true;
    x_ = 0;
    y_ = 0;
    lineHeight_ = 0;
    pageBreakPending_ = false;
    right_ = surface_.PageWidth();
    bottom_ = surface_.PageHeight();
}

void TextChannel::Close() {
    if (!open_) return;
    // Closed even if ending the job fails: the job is gone either way.
    open_ = false;
    surface_.EndDoc();
}

void TextChannel::Write(std::string_view text) {
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        Output(text.substr(start, i - start));
        if (text[i] == '\n') EndLine();
        start = i + 1;
    }
    Output(text.substr(start));
}

void TextChannel::EndLine() {
    x_ = 0;
    y_ += lineHeight_ == 0 ? surface_.CharHeight() : lineHeight_;
    if (y_ > bottom_ - 2 * lineHeight_) NewPage();
    lineHeight_ = 0;
}

void TextChannel::NewPage() {
    x_ = 0;
    y_ = 0;
    pageBreakPending_ = true;
}

void TextChannel::Output(std::string_view text) {
    while (!text.empty()) {
        size_t length = FittingLength(text, right_ - x_);
        // A character wider than the whole page is drawn on a line of its
        // own rather than wrapped for ever.
        if (length == 0 && x_ == 0) length = 1;
        const std::string_view part = text.substr(0, length);
        const int width = length == 0 ? 0 : surface_.TextWidth(part);
        if (length > 0) {
            if (pageBreakPending_) {
                pageBreakPending_ = false;
                surface_.NewPage();
            }
            lineHeight_ = std::max(lineHeight_, surface_.TextHeight(part) + 2);
            surface_.DrawText(x_, y_, part);
        }
        text.remove_prefix(length);
        if (!text.empty())
            EndLine();
        else
            x_ += width;
    }
}

// The longest prefix of the text that is at most `room` pixels wide. Widths
// grow with the prefix, so the search doubles up to a bound and then halves;
// each measurement costs only the length of the prefix it measures.
size_t TextChannel::FittingLength(std::string_view text, int room) {
    if (surface_.TextWidth(text) <= room) return text.size();
    size_t fits = 0;  // a prefix known to fit
    size_t tooLong = 1;  // a prefix to test, then one known not to fit
    while (tooLong < text.size() && surface_.TextWidth(text.substr(0, tooLong)) <= room) {
        fits = tooLong;
        tooLong *= 2;
    }
    tooLong = std::min(tooLong, text.size());
    while (tooLong - fits > 1) {
        const size_t middle = fits + (tooLong - fits) / 2;
        if (surface_.TextWidth(text.substr(0, middle)) <= room)
            fits = middle;
        else
            tooLong = middle;
    }
    return fits;
}

}  // namespace vornik
