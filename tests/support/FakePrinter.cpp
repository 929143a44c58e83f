#include "FakePrinter.h"

#include <algorithm>
#include <map>

namespace vornik::test {

void FakePrinter::Call(const std::string& name) {
    calls.push_back(name);
    if (hook) hook(name);
}

void FakePrinter::SetOrientation(PageOrientation o) {
    Call("orientation");
    orientation = o;
}

void FakePrinter::SetFont(const std::string& face, int pointSize) {
    Call("font");
    fontFace = face;
    fontSize = pointSize;
}

int FakePrinter::TextWidth(std::string_view text) {
    ++measurements;
    return static_cast<int>(text.size()) * charWidth;
}

int FakePrinter::TextHeight(std::string_view text) {
    return text.find('|') == std::string_view::npos ? charHeight : tallHeight;
}

void FakePrinter::BeginDoc(const std::string& name) {
    Call("begin");
    jobName = name;
    ++begun;
    pages = 1;
}

void FakePrinter::NewPage() {
    Call("page");
    ++pages;
}

void FakePrinter::EndDoc() {
    Call("end");
    ++ended;
}

void FakePrinter::DrawText(int x, int y, std::string_view text) {
    Call("draw");
    drawn.push_back({pages, x, y, std::string(text)});
}

std::vector<std::string> FakePrinter::Lines(int page) const {
    std::map<int, std::string> byY;
    for (const DrawnText& d : drawn)
        if (d.page == page) byY[d.y] += d.text;
    std::vector<std::string> lines;
    for (auto& [y, text] : byY) lines.push_back(text);
    return lines;
}

}  // namespace vornik::test
