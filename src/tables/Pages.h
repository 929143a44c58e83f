#pragma once
// The three pages of the main window, addressed everywhere by this index.

namespace vornik {

enum Page : int { PageGas = 0, PageTemp = 1, PagePrd = 2 };
constexpr int kPageCount = 3;

constexpr int kGasColumns = 20;
constexpr int kTempColumns = 10;
constexpr int kPrdColumns = 10;

// Column counts by page.
constexpr int PageColumns(int page) { return page == PageGas ? kGasColumns : kTempColumns; }

}  // namespace vornik
