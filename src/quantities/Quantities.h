#pragma once
// Every column of the three measurement tables, described once: its header,
// the reply field that fills it and how, its width in the printed protocol,
// and for the charted ones the chart series with its design-time look (the
// defaults of the settings record). Headers, charts, settings defaults, view
// dialogs, protocol, reply decoding and the simulated instrument all derive
// what they need from these tables.
//
// To add a quantity: name its column in quantities/Pages.h, describe it
// below (and its series, when charted), and give the simulated instrument a
// value for it. A new chart series needs room in the settings record's view
// block (config/Config.cpp), whose layout is fixed.
#include "core/Color.h"
#include "quantities/Pages.h"

namespace vornik {

// What the decoder does with one field of a reply.
struct FieldRule {
    enum Action {
        Number,    // column 0: row index, "/", the field
        Text,      // the field unchanged
        Scaled,    // ScaleField(divisor, precision, digits)
        ScaledNo2, // Scaled, then the NOx column computed from NO and NO2
        UnitFlag,  // '1' first: "mg", else "ppm"
        O2Flag,    // '1' first: ">O2" appended to the unit text
        No2Flag,   // '1' first: ">NO2" appended, NOx uses 1.53; unit text to column
        Addend,    // kept for the following Sum
        Sum,       // ScaleFieldSum(this field, the addend, ...)
    };
    Action action;
    int column = -1;
    int divisor = 0;
    int precision = 0;
    int digits = 0;
};

// Where a column's text comes from: a field of the reply (by position after
// the kind letter, from 0) and how it is read.
struct WireSource {
    int field = -1;  // -1: the decoder computes the column from others
    FieldRule::Action action = FieldRule::Text;
    int divisor = 0;  // number format of scaled fields
    int precision = 0;
    int digits = 0;
};

constexpr WireSource Field(int field, FieldRule::Action action = FieldRule::Text) { return {field, action}; }
constexpr WireSource ScaledField(int field, int divisor, int precision, int digits,
                                 FieldRule::Action action = FieldRule::Scaled) {
    return {field, action, divisor, precision, digits};
}
constexpr WireSource kComputed{};

struct ColumnDesc {
    int column;          // its name, which must be its position in the table
    const char* header;  // UTF-8; saved files hold it in Windows-1251
    WireSource source;
    int printWidth;      // characters in the protocol; 0: not printed
};

// A reply field that fills no column of its own.
struct WireExtra {
    int field;
    FieldRule::Action action;
};

// Series slots of the settings record's view blocks, in record order.
enum GasSeries { GasTg, GasO2, GasCO, GasNO, GasNO2, GasSO2, GasH2S, GasCO2, GasCH, GasQa, GasAlf, GasNOx, GasTa };
enum TempSeries { TempTg, TempTmax, TempTmin, TempTdif, TempTp };
enum PressSeries { PressPd, PressPa, PressV, PressVp, PressQv };

// A charted column.
struct SeriesDesc {
    int column;
    int slot;           // its entry in the page's view block
    const char* name;   // object name of the chart series
    const char* title;  // legend, view dialog and settings box
    bool dotted;
    // The design-time look, which the default settings hold.
    Color color;
    bool show;
    double multiplier;
};

// A run of descriptions (constexpr, unlike std::vector).
template <typename T>
struct DescList {
    const T* first;
    int count;
    constexpr const T* begin() const { return first; }
    constexpr const T* end() const { return first + count; }
    constexpr const T& operator[](int i) const { return first[i]; }
    constexpr int size() const { return count; }
};
template <typename T, int N>
constexpr DescList<T> ListOf(const T (&items)[N]) { return {items, N}; }

// ---- Gas ----

constexpr ColumnDesc kGasColumnDescs[] = {
    // "*С" is an asterisk and the Cyrillic Es, standing for degrees Celsius;
    // the CH header is the Cyrillic Es followed by the Latin H.
    {GasColumn::Number, "Номер", Field(0, FieldRule::Number), 10},
    {GasColumn::Date, "Дата", Field(1), 11},
    {GasColumn::Time, "Время", Field(2), 9},
    {GasColumn::Tg, "Tg,*С", ScaledField(9, 10, 6, 1), 6},
    {GasColumn::O2, "O2,%", ScaledField(11, 100, 6, 2), 6},
    {GasColumn::CO, "CO", ScaledField(12, 10, 6, 1), 7},
    {GasColumn::NO, "NO", ScaledField(13, 10, 6, 1), 6},
    {GasColumn::NO2, "NO2", ScaledField(14, 10, 6, 1, FieldRule::ScaledNo2), 7},
    {GasColumn::SO2, "SO2", ScaledField(15, 10, 6, 1), 6},
    {GasColumn::H2S, "H2S", ScaledField(16, 10, 6, 1), 6},
    {GasColumn::CO2, "CO2,%", ScaledField(18, 100, 6, 2), 6},
    {GasColumn::CH, "СH", ScaledField(17, 10, 6, 1), 7},
    {GasColumn::Qa, "Qa,%", ScaledField(20, 100, 6, 2, FieldRule::Sum), 6},  // field 19 is its addend
    {GasColumn::Alf, "Alf", ScaledField(21, 100, 6, 2), 6},
    {GasColumn::NOx, "NOx", kComputed, 6},  // from NO and NO2
    {GasColumn::Ta, "Ta,*С", ScaledField(8, 10, 6, 1), 6},
    {GasColumn::Ti, "Ti,*С", ScaledField(10, 10, 6, 1), 0},
    {GasColumn::Unit, "Ед.изм.", Field(7, FieldRule::No2Flag), 9},
    {GasColumn::Object, "Объект", Field(3), 21},
    {GasColumn::Fuel, "Топливо", Field(4), 21},
};

constexpr WireExtra kGasWireExtras[] = {
    {5, FieldRule::UnitFlag},
    {6, FieldRule::O2Flag},
    {19, FieldRule::Addend},
};

// In legend order.
constexpr SeriesDesc kGasSeriesDescs[] = {
    {GasColumn::Tg, GasTg, "GSeriesTg", "Tg", false, kRed, true, 1},
    {GasColumn::O2, GasO2, "GSeriesO2", "O2", false, kAqua, true, 10},
    {GasColumn::CO, GasCO, "GSeriesCO", "CO", false, kYellow, true, 1},
    {GasColumn::NO, GasNO, "GSeriesNO", "NO", false, kFuchsia, false, 1},
    {GasColumn::NO2, GasNO2, "GSeriesNO2", "NO2", false, kBlack, false, 10},
    {GasColumn::SO2, GasSO2, "GSeriesSO2", "SO2", false, kMaroon, false, 1},
    {GasColumn::H2S, GasH2S, "GSeriesH2S", "H2S", false, kOlive, false, 1},
    {GasColumn::CO2, GasCO2, "GSeriesCO2", "CO2", true, kLime, false, 1},
    {GasColumn::CH, GasCH, "GSeriesCH", "CH", false, kSilver, false, 1},
    {GasColumn::Qa, GasQa, "GSeriesQa", "Qa", false, kTeal, false, 1},
    {GasColumn::Alf, GasAlf, "GSeriesAlf", "Alf", false, kBlue, true, 100},
    {GasColumn::Ta, GasTa, "GSeriesTa", "Ta", false, kPurple, false, 1},
    {GasColumn::NOx, GasNOx, "GSeriesNOx", "NOx", false, kFuchsia, true, 1},
};

// ---- Temperature ----

constexpr ColumnDesc kTempColumnDescs[] = {
    {TempColumn::Number, "Номер", Field(0, FieldRule::Number), 10},
    {TempColumn::Date, "Дата", Field(1), 13},
    {TempColumn::Time, "Время", Field(2), 11},
    {TempColumn::Tg, "Tg,*С", ScaledField(4, 10, 5, 1), 9},
    {TempColumn::Tmax, "Tmax,*С", ScaledField(5, 10, 5, 1), 9},
    {TempColumn::Tmin, "Tmin,*С", ScaledField(6, 10, 5, 1), 9},
    {TempColumn::Tdif, "Tdif,*С", ScaledField(7, 10, 5, 1), 9},
    {TempColumn::Tp, "Tp,*С", ScaledField(8, 10, 5, 1), 9},
    {TempColumn::N, "n", Field(9), 9},
    {TempColumn::Object, "Объект", Field(3), 23},
};

constexpr SeriesDesc kTempSeriesDescs[] = {
    {TempColumn::Tg, TempTg, "TSeriesTg", "Tg", false, kRed, true, 1},
    {TempColumn::Tmax, TempTmax, "TSeriesTmax", "Tmax", false, kPurple, true, 1},
    {TempColumn::Tmin, TempTmin, "TSeriesTmin", "Tmin", false, kAqua, true, 1},
    {TempColumn::Tp, TempTp, "TSeriesTp", "Tp", false, kFuchsia, false, 1},
    {TempColumn::Tdif, TempTdif, "TSeriesTdif", "Tdif", false, kYellow, true, 1},
};

// ---- Pressure ----

constexpr ColumnDesc kPrdColumnDescs[] = {
    {PrdColumn::Number, "Номер", Field(0, FieldRule::Number), 10},
    {PrdColumn::Date, "Дата", Field(1), 13},
    {PrdColumn::Time, "Время", Field(2), 11},
    {PrdColumn::Pd, "Pd,kPa", ScaledField(4, 10000, 7, 4), 9},
    {PrdColumn::Pa, "Pa,kPa", ScaledField(5, 10000, 7, 2), 9},
    {PrdColumn::V, "v,m/s", ScaledField(6, 1000, 7, 2), 9},
    {PrdColumn::Vp, "vp,m/s", ScaledField(7, 1000, 7, 2), 9},
    {PrdColumn::Qv, "Qvg,m3/s", ScaledField(8, 1000, 7, 3), 9},
    {PrdColumn::N, "n", Field(9), 9},
    {PrdColumn::Object, "Объект", Field(3), 23},
};

constexpr SeriesDesc kPrdSeriesDescs[] = {
    {PrdColumn::Pd, PressPd, "PSeriesPd", "Pd", false, kRed, true, 1},
    {PrdColumn::Pa, PressPa, "PSeriesPa", "Pa", false, kAqua, true, 1},
    {PrdColumn::V, PressV, "PSeriesV", "v", false, kPurple, true, 1},
    {PrdColumn::Vp, PressVp, "PSeriesVp", "vp", false, kYellow, false, 1},
    {PrdColumn::Qv, PressQv, "PSeriesQv", "Qv", false, kFuchsia, false, 1},
};

// ---- By page ----

struct TableDesc {
    DescList<ColumnDesc> columns;  // in table order
    DescList<SeriesDesc> series;   // in legend order
    DescList<WireExtra> extras;
    int wireFields;                // fields of a reply
};

constexpr TableDesc kTableDescs[kPageCount] = {
    {ListOf(kGasColumnDescs), ListOf(kGasSeriesDescs), ListOf(kGasWireExtras), 22},
    {ListOf(kTempColumnDescs), ListOf(kTempSeriesDescs), {nullptr, 0}, 10},
    {ListOf(kPrdColumnDescs), ListOf(kPrdSeriesDescs), {nullptr, 0}, 10},
};

// The description of a page; throws std::out_of_range for no page.
const TableDesc& TableOf(int page);
// The series of a page's chart in legend order.
inline DescList<SeriesDesc> SeriesOf(int page) { return TableOf(page).series; }
// The series stored in a slot of the page's view block.
const SeriesDesc& SeriesInSlot(int page, int slot);
// The reply field that fills a column, or -1.
inline int WireFieldOf(int page, int column) { return TableOf(page).columns[column].source.field; }

constexpr int kGasSeriesCount = ListOf(kGasSeriesDescs).size();
constexpr int kTempSeriesCount = ListOf(kTempSeriesDescs).size();
constexpr int kPressSeriesCount = ListOf(kPrdSeriesDescs).size();

// The most series a chart has.
constexpr int kMaxChartSeries = [] {
    int most = 0;
    for (const TableDesc& table : kTableDescs) most = table.series.size() > most ? table.series.size() : most;
    return most;
}();

// ---- Checks of the descriptions ----

namespace quantity_checks {

// Each column sits at its name's position and the table has exactly the
// columns its page names, so a row of the page's count holds every column
// the decoder writes.
constexpr bool ColumnsInPlace(const TableDesc& table, int count) {
    if (table.columns.size() != count) return false;
    for (int i = 0; i < count; ++i)
        if (table.columns[i].column != i) return false;
    return true;
}

// Every reply field is read exactly once, by a column or an extra.
constexpr bool FieldsReadOnce(const TableDesc& table) {
    for (int field = 0; field < table.wireFields; ++field) {
        int readers = 0;
        for (const ColumnDesc& c : table.columns) readers += c.source.field == field;
        for (const WireExtra& e : table.extras) readers += e.field == field;
        if (readers != 1) return false;
    }
    for (const ColumnDesc& c : table.columns)
        if (c.source.field >= table.wireFields) return false;
    for (const WireExtra& e : table.extras)
        if (e.field < 0 || e.field >= table.wireFields) return false;
    return true;
}

// Series chart existing columns, each column and each slot once.
constexpr bool SeriesDistinct(const TableDesc& table) {
    const int n = table.series.size();
    for (int i = 0; i < n; ++i) {
        const SeriesDesc& s = table.series[i];
        if (s.column < 0 || s.column >= table.columns.size() || s.slot < 0 || s.slot >= n) return false;
        for (int j = 0; j < i; ++j)
            if (table.series[j].column == s.column || table.series[j].slot == s.slot) return false;
    }
    return true;
}

constexpr bool TableSound(int page) {
    const TableDesc& table = kTableDescs[page];
    return ColumnsInPlace(table, PageColumns(page)) && FieldsReadOnce(table) && SeriesDistinct(table);
}

static_assert(TableSound(PageGas), "gas description");
static_assert(TableSound(PageTemp), "temperature description");
static_assert(TableSound(PagePrd), "pressure description");

}  // namespace quantity_checks

}  // namespace vornik
