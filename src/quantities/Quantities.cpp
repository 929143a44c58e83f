#include "quantities/Quantities.h"

#include <stdexcept>

namespace vornik {

const TableDesc& TableOf(int page) {
    if (page < 0 || page >= kPageCount) throw std::out_of_range("no such page");
    return kTableDescs[page];
}

const SeriesDesc& SeriesInSlot(int page, int slot) {
    for (const SeriesDesc& series : SeriesOf(page))
        if (series.slot == slot) return series;
    throw std::out_of_range("no such series slot");
}

}  // namespace vornik
