#pragma once
// A protocol printer with known metrics for tests: every character is
// `charWidth` pixels wide and `charHeight` high, except '|' which stands for a
// tall glyph. Records what was drawn, page by page, and can be told to fail.
#include <functional>
#include <string>
#include <vector>

#include "printing/PageSurface.h"

namespace vornik::test {

struct DrawnText {
    int page;
    int x;
    int y;
    std::string text;
    bool operator==(const DrawnText& o) const {
        return page == o.page && x == o.x && y == o.y && text == o.text;
    }
};

class FakePrinter : public ProtocolPrinter {
public:
    int width = 1000;
    int height = 1000;
    int charWidth = 10;
    int charHeight = 20;
    int tallHeight = 30;

    PageOrientation orientation = PageOrientation::Portrait;
    std::string fontFace;
    int fontSize = 0;
    std::string jobName;
    int begun = 0;
    int ended = 0;
    int pages = 0;  // pages started in the current or last job
    std::vector<DrawnText> drawn;
    std::vector<std::string> calls;  // "orientation", "font", "begin", "page", "draw", "end"
    int measurements = 0;

    // Called before each operation of the given name; may throw or change
    // the world (a table cleared while a page is handed over).
    std::function<void(const std::string& call)> hook;

    PageOrientation Orientation() override { return orientation; }
    void SetOrientation(PageOrientation o) override;
    void SetFont(const std::string& face, int pointSize) override;
    int PageWidth() override { return width; }
    int PageHeight() override { return height; }
    int TextWidth(std::string_view text) override;
    int TextHeight(std::string_view text) override;
    int CharHeight() override { return charHeight; }
    void BeginDoc(const std::string& name) override;
    void NewPage() override;
    void EndDoc() override;
    void DrawText(int x, int y, std::string_view text) override;

    // The drawn texts of one page, joined into lines by their y.
    std::vector<std::string> Lines(int page) const;

private:
    void Call(const std::string& name);
};

}  // namespace vornik::test
