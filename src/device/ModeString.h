#pragma once
// The mode-string syntax of serial line settings, for drivers whose platform
// has no builder of its own. Two forms are accepted, with an optional device
// prefix ("COM1:"):
//   "9600,N,8,1"                       baud, parity letter, data bits, stop bits
//                                      (trailing fields may be left out; an
//                                      optional fifth field "x" or "p" selects
//                                      XON/XOFF or hardware handshake)
//   "baud=9600 parity=N data=8 stop=1" with optional xon=, octs=, odsr=, idsr=,
//                                      dtr=, rts= and to= (ignored)
#include "device/CommTypes.h"

namespace vornik {

// Fills the fields named by the mode string into dcb and switches flow control
// off unless the string asks for it; every other field keeps its value. A
// string that does not parse leaves dcb unchanged and returns false.
bool BuildDcbFromMode(const char* mode, DCB& dcb);

}  // namespace vornik
