#pragma once
// The three pages of the main window, addressed everywhere by this index,
// and the columns of their tables by name. What each column holds is
// described in quantities/Quantities.h.

namespace vornik {

enum Page : int { PageGas = 0, PageTemp = 1, PagePrd = 2 };
constexpr int kPageCount = 3;

// Columns of the gas table, in table order.
struct GasColumn {
    enum : int {
        Number, Date, Time,
        Tg, O2, CO, NO, NO2, SO2, H2S, CO2, CH, Qa, Alf, NOx, Ta, Ti,
        Unit, Object, Fuel,
        Count
    };
};

// Columns of the temperature table.
struct TempColumn {
    enum : int { Number, Date, Time, Tg, Tmax, Tmin, Tdif, Tp, N, Object, Count };
};

// Columns of the pressure table.
struct PrdColumn {
    enum : int { Number, Date, Time, Pd, Pa, V, Vp, Qv, N, Object, Count };
};

constexpr int kGasColumns = GasColumn::Count;
constexpr int kTempColumns = TempColumn::Count;
constexpr int kPrdColumns = PrdColumn::Count;

// Column counts by page.
constexpr int PageColumns(int page) {
    return page == PageGas ? kGasColumns : page == PageTemp ? kTempColumns : kPrdColumns;
}

}  // namespace vornik
