#include "tables/Headers.h"

#include <array>

#include "core/Cp1251.h"
#include "quantities/Quantities.h"

namespace vornik {
namespace {

std::vector<std::string> Convert(int page) {
    std::vector<std::string> out;
    for (const ColumnDesc& column : TableOf(page).columns) out.push_back(Utf8ToCp1251(column.header));
    return out;
}

}  // namespace

const std::vector<std::string>& HeaderTexts(int page) {
    static const std::array<std::vector<std::string>, kPageCount> headers = {Convert(PageGas), Convert(PageTemp),
                                                                             Convert(PagePrd)};
    return headers.at(page);
}

}  // namespace vornik
