#include "tables/Headers.h"

#include <array>

#include "core/Cp1251.h"
#include "tables/Pages.h"

namespace vornik {
namespace {

// "*С" is an asterisk and the Cyrillic Es, standing for degrees Celsius;
// the header of gas column 11 is the Cyrillic Es followed by the Latin H.
const char* const kGas[kGasColumns] = {
    "Номер", "Дата", "Время", "Tg,*С", "O2,%", "CO",   "NO",    "NO2",     "SO2",    "H2S",
    "CO2,%", "СH",   "Qa,%",  "Alf",   "NOx",  "Ta,*С", "Ti,*С", "Ед.изм.", "Объект", "Топливо"};
const char* const kTemp[kTempColumns] = {"Номер",   "Дата",    "Время", "Tg,*С", "Tmax,*С",
                                         "Tmin,*С", "Tdif,*С", "Tp,*С", "n",     "Объект"};
const char* const kPrd[kPrdColumns] = {"Номер",  "Дата",   "Время",    "Pd,kPa", "Pa,kPa",
                                       "v,m/s",  "vp,m/s", "Qvg,m3/s", "n",      "Объект"};

std::vector<std::string> Convert(const char* const* texts, int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i) out.push_back(Utf8ToCp1251(texts[i]));
    return out;
}

}  // namespace

const std::vector<std::string>& HeaderTexts(int page) {
    static const std::array<std::vector<std::string>, kPageCount> headers = {
        Convert(kGas, kGasColumns), Convert(kTemp, kTempColumns), Convert(kPrd, kPrdColumns)};
    return headers.at(page);
}

}  // namespace vornik
