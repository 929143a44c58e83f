#pragma once
// The header texts of the three tables (Windows-1251 bytes).
#include <string>
#include <vector>

namespace vornik {

const std::vector<std::string>& HeaderTexts(int page);

}  // namespace vornik
