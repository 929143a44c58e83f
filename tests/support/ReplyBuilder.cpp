#include "ReplyBuilder.h"

#include "core/Cp1251.h"
#include "reception/ReplyFormat.h"
#include "reception/ReplyGenerator.h"

namespace vornik::test {

TestReply& TestReply::Set(int n, const std::string& text) {
    if (n > int(fields.size())) fields.resize(size_t(n));
    fields[size_t(n - 1)] = Utf8ToCp1251(text);
    return *this;
}

TestReply& TestReply::Keep(int count) {
    if (count < int(fields.size())) fields.resize(size_t(count));
    return *this;
}

std::string TestReply::Bytes() const { return FrameReply(kind, fields, crlf); }

namespace {

struct ColumnText {
    int column;
    const char* text;
};
struct ExtraText {
    FieldRule::Action action;
    const char* text;
};

// A reply of the page whose fields sit where the page's description reads
// them: by the column each fills, or by the action of a field that fills none.
TestReply Make(int page, std::initializer_list<ColumnText> columns, std::initializer_list<ExtraText> extras = {}) {
    const TableDesc& table = TableOf(page);
    TestReply r;
    r.kind = KindOfPage(page);
    r.fields.resize(size_t(table.wireFields));
    for (const ColumnText& c : columns) r.fields.at(size_t(table.columns[c.column].source.field)) = Utf8ToCp1251(c.text);
    for (const ExtraText& x : extras)
        for (const WireExtra& e : table.extras)
            if (e.action == x.action) r.fields.at(size_t(e.field)) = x.text;
    return r;
}

}  // namespace

TestReply GasReply() {
    using C = GasColumn;
    return Make(PageGas,
                {{C::Number, "17"}, {C::Date, "05.03.24"}, {C::Time, "09:30:00"}, {C::Object, "Котёл №1"},
                 {C::Fuel, "Газ"}, {C::Unit, "0"}, {C::Ta, "215"}, {C::Tg, "1234"}, {C::Ti, "300"},
                 {C::O2, "2095"}, {C::CO, "1200"}, {C::NO, "800"}, {C::NO2, "40"}, {C::SO2, "50"},
                 {C::H2S, "5"}, {C::CH, "100"}, {C::CO2, "900"}, {C::Qa, "25"}, {C::Alf, "135"}},
                {{FieldRule::UnitFlag, "0"}, {FieldRule::O2Flag, "0"}, {FieldRule::Addend, "150"}});
}

TestReply TempReply() {
    using C = TempColumn;
    return Make(PageTemp, {{C::Number, "3"}, {C::Date, "05.03.24"}, {C::Time, "09:31:00"}, {C::Object, "Печь"},
                           {C::Tg, "4502"}, {C::Tmax, "4530"}, {C::Tmin, "4480"}, {C::Tdif, "50"}, {C::Tp, "251"},
                           {C::N, "12"}});
}

TestReply PrdReply() {
    using C = PrdColumn;
    return Make(PagePrd, {{C::Number, "5"}, {C::Date, "05.03.24"}, {C::Time, "09:32:00"}, {C::Object, "Труба"},
                          {C::Pd, "15"}, {C::Pa, "1013250"}, {C::V, "5000"}, {C::Vp, "4900"}, {C::Qv, "1250"},
                          {C::N, "7"}});
}

}  // namespace vornik::test
