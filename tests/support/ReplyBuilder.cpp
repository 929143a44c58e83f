#include "ReplyBuilder.h"

#include "core/Cp1251.h"
#include "reception/ReplyGenerator.h"

namespace vornik::test {

TestReply& TestReply::Set(int n, const std::string& text) {
    if (n > int(fields.size())) fields.resize(size_t(n));
    fields[size_t(n - 1)] = Utf8ToCp1251(text);
    return *this;
}

TestReply& TestReply::Keep(int count) {
    if (count < int(fields.size())) fields.resize(size_t(count));
    return *this;
}

std::string TestReply::Bytes() const { return FrameReply(kind, fields, crlf); }

namespace {
TestReply Make(char kind, const std::vector<std::string>& utf8) {
    TestReply r;
    r.kind = kind;
    for (const auto& f : utf8) r.fields.push_back(Utf8ToCp1251(f));
    return r;
}
}  // namespace

TestReply GasReply() {
    return Make('G', {"17", "05.03.24", "09:30:00", "Котёл №1", "Газ", "0", "0", "0", "215", "1234", "300",
                      "2095", "1200", "800", "40", "50", "5", "100", "900", "150", "25", "135"});
}

TestReply TempReply() {
    return Make('T', {"3", "05.03.24", "09:31:00", "Печь", "4502", "4530", "4480", "50", "251", "12"});
}

TestReply PrdReply() {
    return Make('P', {"5", "05.03.24", "09:32:00", "Труба", "15", "1013250", "5000", "4900", "1250", "7"});
}

}  // namespace vornik::test
