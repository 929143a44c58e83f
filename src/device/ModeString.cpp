#include "device/ModeString.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace vornik {
namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

bool ParseNumber(const std::string& s, uint32_t& value) {
    if (s.empty() || s.size() > 9) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    value = static_cast<uint32_t>(std::strtoul(s.c_str(), nullptr, 10));
    return true;
}

// The old two-digit baud abbreviations of the mode command ("96" = 9600).
uint32_t ExpandBaud(uint32_t baud) {
    switch (baud) {
        case 11: return 110;
        case 15: return 150;
        case 30: return 300;
        case 60: return 600;
        case 12: return 1200;
        case 24: return 2400;
        case 48: return 4800;
        case 96: return 9600;
        case 19: return 19200;
        default: return baud;
    }
}

bool ParseParity(const std::string& s, uint8_t& parity) {
    if (s.size() != 1) return false;
    switch (std::tolower(static_cast<unsigned char>(s[0]))) {
        case 'n': parity = NOPARITY; return true;
        case 'o': parity = ODDPARITY; return true;
        case 'e': parity = EVENPARITY; return true;
        case 'm': parity = MARKPARITY; return true;
        case 's': parity = SPACEPARITY; return true;
        default: return false;
    }
}

bool ParseDataBits(const std::string& s, uint8_t& bits) {
    uint32_t n = 0;
    if (!ParseNumber(s, n) || n < 5 || n > 8) return false;
    bits = static_cast<uint8_t>(n);
    return true;
}

bool ParseStopBits(const std::string& s, uint8_t& stop) {
    if (s == "1") stop = ONESTOPBIT;
    else if (s == "1.5") stop = ONE5STOPBITS;
    else if (s == "2") stop = TWOSTOPBITS;
    else return false;
    return true;
}

bool ParseOnOff(const std::string& s, bool& on) {
    if (s == "on") on = true;
    else if (s == "off") on = false;
    else return false;
    return true;
}

void FlowControlOff(DCB& dcb) {
    dcb.fBinary = true;
    dcb.fOutX = false;
    dcb.fInX = false;
    dcb.fOutxCtsFlow = false;
    dcb.fOutxDsrFlow = false;
    dcb.fDsrSensitivity = false;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
}

std::vector<std::string> Split(const std::string& s, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        const size_t pos = s.find(sep, start);
        parts.push_back(Trim(s.substr(start, pos - start)));
        if (pos == std::string::npos) return parts;
        start = pos + 1;
    }
}

bool BuildOldForm(const std::string& text, DCB& dcb) {
    const std::vector<std::string> f = Split(text, ',');
    if (f.size() > 5) return false;
    uint32_t baud = 0;
    if (!ParseNumber(f[0], baud) || baud == 0) return false;
    dcb.BaudRate = ExpandBaud(baud);
    if (f.size() > 1 && !ParseParity(f[1], dcb.Parity)) return false;
    if (f.size() > 2 && !ParseDataBits(f[2], dcb.ByteSize)) return false;
    if (f.size() > 3 && !ParseStopBits(f[3], dcb.StopBits)) return false;
    if (f.size() > 4) {
        const std::string retry = Lower(f[4]);
        if (retry == "x") {
            dcb.fOutX = dcb.fInX = true;
        } else if (retry == "p") {
            dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = true;
            dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
            dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
        } else if (!retry.empty()) {
            return false;
        }
    }
    dcb.fParity = dcb.Parity != NOPARITY;
    return true;
}

bool ApplyKey(const std::string& key, const std::string& value, DCB& dcb) {
    bool on = false;
    uint32_t n = 0;
    if (key == "baud") {
        if (!ParseNumber(value, n) || n == 0) return false;
        dcb.BaudRate = ExpandBaud(n);
    } else if (key == "parity") {
        if (!ParseParity(value, dcb.Parity)) return false;
        dcb.fParity = dcb.Parity != NOPARITY;
    } else if (key == "data") {
        return ParseDataBits(value, dcb.ByteSize);
    } else if (key == "stop") {
        return ParseStopBits(value, dcb.StopBits);
    } else if (key == "xon") {
        if (!ParseOnOff(value, on)) return false;
        dcb.fOutX = dcb.fInX = on;
    } else if (key == "octs") {
        if (!ParseOnOff(value, on)) return false;
        dcb.fOutxCtsFlow = on;
    } else if (key == "odsr") {
        if (!ParseOnOff(value, on)) return false;
        dcb.fOutxDsrFlow = on;
    } else if (key == "idsr") {
        if (!ParseOnOff(value, on)) return false;
        dcb.fDsrSensitivity = on;
    } else if (key == "dtr") {
        if (value == "on") dcb.fDtrControl = DTR_CONTROL_ENABLE;
        else if (value == "off") dcb.fDtrControl = DTR_CONTROL_DISABLE;
        else if (value == "hs") dcb.fDtrControl = DTR_CONTROL_HANDSHAKE;
        else return false;
    } else if (key == "rts") {
        if (value == "on") dcb.fRtsControl = RTS_CONTROL_ENABLE;
        else if (value == "off") dcb.fRtsControl = RTS_CONTROL_DISABLE;
        else if (value == "hs") dcb.fRtsControl = RTS_CONTROL_HANDSHAKE;
        else if (value == "tg") dcb.fRtsControl = RTS_CONTROL_TOGGLE;
        else return false;
    } else if (key == "to") {
        return ParseOnOff(value, on);  // time-outs are not part of the line settings
    } else {
        return false;
    }
    return true;
}

bool BuildKeyForm(const std::string& text, DCB& dcb) {
    size_t i = 0;
    bool any = false;
    while (i < text.size()) {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
        if (i == text.size()) break;
        size_t end = i;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
        const std::string item = Lower(text.substr(i, end - i));
        const size_t eq = item.find('=');
        if (eq == std::string::npos || !ApplyKey(item.substr(0, eq), item.substr(eq + 1), dcb))
            return false;
        any = true;
        i = end;
    }
    return any;
}

// Drops a leading "COMn" or "COMn:" device prefix.
std::string WithoutDevicePrefix(const std::string& text) {
    const std::string lower = Lower(text);
    if (lower.compare(0, 3, "com") != 0) return text;
    size_t i = 3;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    if (i == 3) return text;
    if (i < text.size() && text[i] == ':') ++i;
    return text.substr(i);
}

}  // namespace

bool BuildDcbFromMode(const char* mode, DCB& dcb) {
    if (mode == nullptr) return false;
    const std::string text = Trim(WithoutDevicePrefix(Trim(mode)));
    if (text.empty()) return false;
    DCB built = dcb;
    FlowControlOff(built);
    const bool ok = text.find('=') != std::string::npos ? BuildKeyForm(text, built)
                                                        : BuildOldForm(text, built);
    if (ok) dcb = built;
    return ok;
}

}  // namespace vornik
