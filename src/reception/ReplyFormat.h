#pragma once
// What a reply of each kind carries: the kind letters, and the fields in
// wire order with where each goes in its table, as the quantities describe
// them. Shared by the decoder and the simulator.
#include <cstdint>
#include <vector>

#include "quantities/Quantities.h"

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

// The fields of a reply of the page's kind, in wire order.
const std::vector<FieldRule>& ReplyFields(int page);

// Gas columns that the decoder fills in itself.
constexpr int kGasNoColumn = GasColumn::NO;
constexpr int kGasNo2Column = GasColumn::NO2;
constexpr int kGasNoxColumn = GasColumn::NOx;
// NO counts 1.53 times (153 / 100) when the instrument reports NOx as NO2.
constexpr int kNoAsNo2Hundredths = 153;

}  // namespace vornik
