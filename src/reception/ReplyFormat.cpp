#include "reception/ReplyFormat.h"

#include <stdexcept>

#include "tables/Pages.h"

namespace vornik {
namespace {

using F = FieldRule;

const std::vector<FieldRule> kGasFields = {
    {F::Number, 0},         {F::Text, 1},           {F::Text, 2},
    {F::Text, 18},          {F::Text, 19},          {F::UnitFlag},
    {F::O2Flag},            {F::No2Flag, 17},       {F::Scaled, 15, 10, 6, 1},   // Ta
    {F::Scaled, 3, 10, 6, 1},                                                   // Tg
    {F::Scaled, 16, 10, 6, 1},                                                  // Ti
    {F::Scaled, 4, 100, 6, 2},                                                  // O2
    {F::Scaled, 5, 10, 6, 1},                                                   // CO
    {F::Scaled, kGasNoColumn, 10, 6, 1},                                        // NO
    {F::ScaledNo2, kGasNo2Column, 10, 6, 1},                                    // NO2
    {F::Scaled, 8, 10, 6, 1},                                                   // SO2
    {F::Scaled, 9, 10, 6, 1},                                                   // H2S
    {F::Scaled, 11, 10, 6, 1},                                                  // CH
    {F::Scaled, 10, 100, 6, 2},                                                 // CO2
    {F::Addend},                                                                // Qa, first part
    {F::Sum, 12, 100, 6, 2},                                                    // Qa
    {F::Scaled, 13, 100, 6, 2},                                                 // Alf
};

const std::vector<FieldRule> kTempFields = {
    {F::Number, 0},           {F::Text, 1},  {F::Text, 2}, {F::Text, 9},
    {F::Scaled, 3, 10, 5, 1},                                 // Tg
    {F::Scaled, 4, 10, 5, 1},                                 // Tmax
    {F::Scaled, 5, 10, 5, 1},                                 // Tmin
    {F::Scaled, 6, 10, 5, 1},                                 // Tdif
    {F::Scaled, 7, 10, 5, 1},                                 // Tp
    {F::Text, 8},                                             // n
};

const std::vector<FieldRule> kPrdFields = {
    {F::Number, 0},               {F::Text, 1}, {F::Text, 2}, {F::Text, 9},
    {F::Scaled, 3, 10000, 7, 4},                                  // Pd
    {F::Scaled, 4, 10000, 7, 2},                                  // Pa
    {F::Scaled, 5, 1000, 7, 2},                                   // v
    {F::Scaled, 6, 1000, 7, 2},                                   // vp
    {F::Scaled, 7, 1000, 7, 3},                                   // Qvg
    {F::Text, 8},                                                 // n
};

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
    switch (page) {
        case PageGas: return kGasFields;
        case PageTemp: return kTempFields;
        case PagePrd: return kPrdFields;
        default: throw std::out_of_range("no such page");
    }
}

}  // namespace vornik
