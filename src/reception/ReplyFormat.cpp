#include "reception/ReplyFormat.h"

#include <stdexcept>

#include "quantities/Quantities.h"

namespace vornik {
namespace {

// The rules of a page's reply fields, in wire order.
std::vector<FieldRule> WireRules(int page) {
    const TableDesc& table = TableOf(page);
    std::vector<FieldRule> rules(size_t(table.wireFields), FieldRule{FieldRule::Text});
    for (const ColumnDesc& c : table.columns) {
        const WireSource& w = c.source;
        if (w.field >= 0) rules[size_t(w.field)] = {w.action, c.column, w.divisor, w.precision, w.digits};
    }
    for (const WireExtra& e : table.extras) rules[size_t(e.field)] = {e.action};
    return rules;
}

}  // namespace

int PageOfKind(uint8_t kind) {
    switch (kind) {
        case 'G': return PageGas;
        case 'T': return PageTemp;
        case 'P': return PagePrd;
        default: return -1;
    }
}

char KindOfPage(int page) {
    static const char kinds[kPageCount] = {'G', 'T', 'P'};
    if (page < 0 || page >= kPageCount) throw std::out_of_range("no such page");
    return kinds[page];
}

const std::vector<FieldRule>& ReplyFields(int page) {
    static const std::vector<FieldRule> rules[kPageCount] = {WireRules(PageGas), WireRules(PageTemp),
                                                             WireRules(PagePrd)};
    TableOf(page);  // checks the page
    return rules[page];
}

}  // namespace vornik
