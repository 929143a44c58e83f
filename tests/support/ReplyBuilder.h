#pragma once
// Whole wire replies for tests: a plain reply of each kind whose fields can
// be changed one by one (numbered from 1 as in the instrument's format).
#include <string>
#include <vector>

namespace vornik::test {

struct TestReply {
    char kind = 'G';
    std::vector<std::string> fields;
    bool crlf = true;

    // Field n (from 1) := text (UTF-8 is converted to CP1251).
    TestReply& Set(int n, const std::string& text);
    // Drops the fields after the first `count`.
    TestReply& Keep(int count);
    TestReply& Kind(char k) { kind = k; return *this; }
    TestReply& Lf() { crlf = false; return *this; }

    // '>', kind, CR LF, the fields each with CR LF (or LF), '<'.
    std::string Bytes() const;
};

// Gas: number 17, 05.03.24, 09:30:00, object "Котёл №1", fuel "Газ", unit
// flags 0 0 0, Ta 215, Tg 1234, Ti 300, O2 2095, CO 1200, NO 800, NO2 40,
// SO2 50, H2S 5, CH 100, CO2 900, Qa parts 150 and 25, Alf 135.
TestReply GasReply();
// Temperature: 3, 05.03.24, 09:31:00, "Печь", Tg 4502, Tmax 4530, Tmin 4480,
// Tdif 50, Tp 251, n 12.
TestReply TempReply();
// Pressure: 5, 05.03.24, 09:32:00, "Труба", Pd 15, Pa 1013250, v 5000,
// vp 4900, Qvg 1250, n 7.
TestReply PrdReply();

}  // namespace vornik::test
