#include "config/ViewDialogLogic.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace vornik {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Skips a run of digits from `i`; returns how many there were.
size_t SkipDigits(std::string_view text, size_t& i) {
    const size_t start = i;
    while (i < text.size() && IsDigit(text[i])) ++i;
    return i - start;
}

// Rows of the dialogs, bound to the series slots of the record: the gas
// dialog lists its series as the chart's legend does, in two groups; the
// others list theirs in record order.
constexpr int kGasLeftRows = 7;

std::vector<ViewRow> LegendRows(int page, int first, int last) {
    std::vector<ViewRow> rows;
    const auto series = SeriesOf(page);
    for (int i = first; i < last && i < series.size(); ++i) rows.push_back({series[i].title, series[i].slot});
    return rows;
}

std::vector<ViewRow> RecordRows(int page) {
    std::vector<ViewRow> rows;
    for (int slot = 0; slot < SeriesOf(page).size(); ++slot) rows.push_back({SeriesInSlot(page, slot).title, slot});
    return rows;
}

std::vector<int> Indices(const std::vector<ViewRow>& rows) {
    std::vector<int> indices;
    for (const ViewRow& row : rows) indices.push_back(row.index);
    return indices;
}

}  // namespace

const std::vector<NamedColor>& SeriesColorList() {
    static const std::vector<NamedColor> colors = {
        {RgbColor(0x00, 0x00, 0x00), "Черный"},       {RgbColor(0x80, 0x00, 0x00), "Бордовый"},
        {RgbColor(0x00, 0x80, 0x00), "Зеленый"},      {RgbColor(0x80, 0x80, 0x00), "Оливковый"},
        {RgbColor(0x00, 0x00, 0x80), "Темно-синий"},  {RgbColor(0x80, 0x00, 0x80), "Пурпурный"},
        {RgbColor(0x00, 0x80, 0x80), "Бирюзовый"},    {RgbColor(0x80, 0x80, 0x80), "Серый"},
        {RgbColor(0xC0, 0xC0, 0xC0), "Серебряный"},   {RgbColor(0xFF, 0x00, 0x00), "Красный"},
        {RgbColor(0x00, 0xFF, 0x00), "Салатовый"},    {RgbColor(0xFF, 0xFF, 0x00), "Желтый"},
        {RgbColor(0x00, 0x00, 0xFF), "Синий"},        {RgbColor(0xFF, 0x00, 0xFF), "Фуксия"},
        {RgbColor(0x00, 0xFF, 0xFF), "Голубой"},      {RgbColor(0xFF, 0xFF, 0xFF), "Белый"},
    };
    return colors;
}

const std::vector<NamedColor>& PanelColorList() {
    static const std::vector<NamedColor> colors = [] {
        std::vector<NamedColor> list = SeriesColorList();
        list.push_back({RgbColor(0xC0, 0xDC, 0xC0), "Мятный"});
        list.push_back({RgbColor(0xA6, 0xCA, 0xF0), "Небесный"});
        list.push_back({RgbColor(0xFF, 0xFB, 0xF0), "Кремовый"});
        list.push_back({RgbColor(0xA0, 0xA0, 0xA4), "Светло-серый"});
        return list;
    }();
    return colors;
}

const std::vector<std::string>& MultiplierItems() {
    static const std::vector<std::string> items = {"0,1", "1", "10", "100", "1000"};
    return items;
}

std::string FormatMultiplier(double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";
    // 15 significant digits, rounded by the library without any locale.
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific, 14);
    std::string_view text(buffer, size_t(result.ptr - buffer));
    const bool negative = text[0] == '-';
    if (negative) text.remove_prefix(1);
    const size_t e = text.find('e');
    std::string digits = std::string(1, text[0]) + std::string(text.substr(2, e - 2));
    const int exponent = std::atoi(std::string(text.substr(e + 1)).c_str());
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent >= 15 || exponent < -4) {
        out += digits[0];
        if (digits.size() > 1) out += "," + digits.substr(1);
        out += "E" + std::to_string(exponent);
    } else if (exponent >= 0) {
        const size_t whole = size_t(exponent) + 1;
        if (digits.size() <= whole) {
            out += digits + std::string(whole - digits.size(), '0');
        } else {
            out += digits.substr(0, whole) + "," + digits.substr(whole);
        }
    } else {
        out += "0," + std::string(size_t(-exponent - 1), '0') + digits;
    }
    return out;
}

std::optional<double> ParseMultiplier(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    std::string number;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') number += '-';
        ++i;
    }
    size_t start = i;
    size_t digits = SkipDigits(text, i);
    number += text.substr(start, i - start);
    if (i < text.size() && text[i] == ',') {
        number += '.';
        start = ++i;
        digits += SkipDigits(text, i);
        number += text.substr(start, i - start);
    }
    if (digits == 0) return std::nullopt;
    if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
        number += 'e';
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            if (text[i] == '-') number += '-';
            ++i;
        }
        start = i;
        if (SkipDigits(text, i) == 0) return std::nullopt;
        number += text.substr(start, i - start);
    }
    while (i < text.size() && IsBlank(text[i])) ++i;
    if (i != text.size()) return std::nullopt;

    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec != std::errc() || result.ptr != number.data() + number.size()) return std::nullopt;
    return value;
}

std::string NotAFloatText(std::string_view text) {
    return "'" + std::string(text) + "' is not a valid floating point value";
}

const ViewDialogLayout& GasViewLayout() {
    static const ViewDialogLayout layout = {
        PageGas,
        kGasSeriesCount,
        {LegendRows(PageGas, 0, kGasLeftRows), LegendRows(PageGas, kGasLeftRows, kGasSeriesCount)},
        // The order in which the gas dialog checks and stores its multipliers.
        {GasTg, GasO2, GasCO2, GasCO, GasNO, GasNO2, GasCH, GasSO2, GasH2S, GasQa, GasAlf, GasNOx, GasTa},
        "Логарифмическая шкала результатов измерения",
        455,
        312};
    return layout;
}

const ViewDialogLayout& TempViewLayout() {
    static const std::vector<ViewRow> rows = RecordRows(PageTemp);
    static const ViewDialogLayout layout = {
        PageTemp, kTempSeriesCount, {rows}, Indices(rows), "Логарифмическая шкала результатов", 278, 284};
    return layout;
}

const ViewDialogLayout& PressViewLayout() {
    static const std::vector<ViewRow> rows = RecordRows(PagePrd);
    static const ViewDialogLayout layout = {
        PagePrd, kPressSeriesCount, {rows}, Indices(rows), "Логарифмическая шкала результатов", 278, 284};
    return layout;
}

ViewValues ReadViewValues(const TViewParams& view) {
    ViewValues values;
    for (int i = 0; i < view.SeriesCount(); ++i) {
        const TSeriesParams series = view.Series(i);
        values.show.push_back(series.Show);
        values.multiplier.push_back(FormatMultiplier(series.Multiplier));
        values.color.push_back(view.SeriesColor(i));
    }
    values.logarithmic = view.Logarithmic();
    values.view3D = view.View3D();
    values.panelStart = view.PanelStartColor();
    values.panelEnd = view.PanelEndColor();
    return values;
}

std::optional<std::string> StoreViewValues(TViewParams& view, const ViewValues& values,
                                           const std::vector<int>& storeOrder) {
    // Every multiplier is read before anything is stored, so a bad one
    // leaves the whole block as it was.
    std::vector<double> multipliers(size_t(view.SeriesCount()), 0.0);
    for (int i : storeOrder) {
        const std::string& text = values.multiplier.at(size_t(i));
        const std::optional<double> value = ParseMultiplier(text);
        if (!value) return NotAFloatText(text);
        multipliers[size_t(i)] = *value;
    }
    for (int i : storeOrder) {
        view.SetSeries(i, {values.show.at(size_t(i)), multipliers[size_t(i)]});
        view.SetSeriesColor(i, values.color.at(size_t(i)));
    }
    view.SetLogarithmic(values.logarithmic);
    view.SetView3D(values.view3D);
    view.SetPanelStartColor(values.panelStart);
    view.SetPanelEndColor(values.panelEnd);
    return std::nullopt;
}

bool ConfirmView(TViewParams& view, const ViewValues& values, const std::vector<int>& storeOrder, Prompt& prompt,
                 const ViewCommand& command) {
    if (const std::optional<std::string> error = StoreViewValues(view, values, storeOrder)) {
        prompt.ShowGeneralError(*error);
        return false;
    }
    if (command.SaveConfig) command.SaveConfig();
    if (command.ChartsInit) command.ChartsInit();
    return true;
}

}  // namespace vornik
