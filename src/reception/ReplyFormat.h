#pragma once
// What a reply of each kind carries: the kind letters, the fields in wire
// order and where each goes in its table. Shared by the decoder and the
// simulator.
#include <cstdint>
#include <vector>

namespace vornik {

constexpr uint8_t kStartMarker = '>';
constexpr uint8_t kEndMarker = '<';
// A reply's fields start after the marker, the kind letter and two bytes
// that are not interpreted.
constexpr int kFirstFieldPos = 4;
// Stores stop at this fill: positions 0 to 254 hold the reply and whatever
// follows it until the next start marker.
constexpr int kReplyFillLimit = 255;

// The page of a kind letter ('G', 'T', 'P'), or -1.
int PageOfKind(uint8_t kind);
char KindOfPage(int page);

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

// The fields of a reply of the page's kind, in wire order.
const std::vector<FieldRule>& ReplyFields(int page);

// Gas columns that the decoder fills in itself.
constexpr int kGasNoColumn = 6;
constexpr int kGasNo2Column = 7;
constexpr int kGasNoxColumn = 14;
// NO counts 1.53 times (153 / 100) when the instrument reports NOx as NO2.
constexpr int kNoAsNo2Hundredths = 153;

}  // namespace vornik
