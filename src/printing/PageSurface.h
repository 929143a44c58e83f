#pragma once
// The printer as the protocol print sees it. The text channel writes on a
// PageSurface; the protocol print also sets the orientation and the font.
// The shell implements both on the platform's printer, tests with known
// metrics. Texts are Windows-1251 bytes, one byte per character.
#include <string>
#include <string_view>

namespace vornik {

enum class PageOrientation { Portrait, Landscape };

class PageSurface {
public:
    virtual ~PageSurface() = default;

    // Size of the printable area in printer pixels.
    virtual int PageWidth() = 0;
    virtual int PageHeight() = 0;

    // Extent of a text in the current font.
    virtual int TextWidth(std::string_view text) = 0;
    virtual int TextHeight(std::string_view text) = 0;
    // The font's character height: the height of a line with nothing on it.
    virtual int CharHeight() = 0;

    // Starts the print job (its name is UTF-8) and its first page.
    virtual void BeginDoc(const std::string& jobName) = 0;
    virtual void NewPage() = 0;
    // Ends the last page and hands the job to the spooler.
    virtual void EndDoc() = 0;
    // Draws a text with its top-left corner at (x, y).
    virtual void DrawText(int x, int y, std::string_view text) = 0;
};

class ProtocolPrinter : public PageSurface {
public:
    virtual PageOrientation Orientation() = 0;
    virtual void SetOrientation(PageOrientation orientation) = 0;
    // Plain regular black font; the face is Windows-1251 bytes.
    virtual void SetFont(const std::string& face, int pointSize) = 0;
};

}  // namespace vornik
