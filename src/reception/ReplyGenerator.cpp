#include "reception/ReplyGenerator.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "core/Cp1251.h"
#include "reception/ReplyFormat.h"

namespace vornik {
namespace {

const char* const kObjects[] = {"Котельная №3, котёл ДКВР-10", "Котёл №1", "Печь обжига",
                                "ТЭЦ-2, котёл 4", "Дизель-генератор ДГ-200"};
const char* const kFuels[] = {"Природный газ", "Мазут М100", "Дизельное топливо", "Уголь"};

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
int64_t DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2));
}

std::string Two(int v) {
    std::string s = std::to_string(v % 100);
    return s.size() < 2 ? "0" + s : s;
}

int64_t Units(double value, double unitsPerOne) { return static_cast<int64_t>(std::llround(value * unitsPerOne)); }

// Splits the fields of a framed reply (between position 4 and the end
// marker) at their line feeds, keeping each field's line ending.
std::vector<std::string> SplitBody(const std::string& body) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start < body.size()) {
        size_t lf = body.find('\n', start);
        if (lf == std::string::npos) lf = body.size() - 1;
        parts.push_back(body.substr(start, lf + 1 - start));
        start = lf + 1;
    }
    return parts;
}

}  // namespace

// The fields of a reply of the page, each placed where the page's
// description reads it, with a scaled value in the units of its field.
class WireFields {
public:
    explicit WireFields(int page) : table_(TableOf(page)), fields_(size_t(table_.wireFields)) {}

    std::string& operator[](int column) { return fields_.at(size_t(table_.columns[column].source.field)); }
    std::string& Extra(FieldRule::Action action) {
        for (const WireExtra& e : table_.extras)
            if (e.action == action) return fields_.at(size_t(e.field));
        throw std::logic_error("no such reply field");
    }
    int Divisor(int column) const { return table_.columns[column].source.divisor; }
    int64_t UnitsOf(int column, double value) const { return Units(value, Divisor(column)); }
    void Scaled(int column, double value) { (*this)[column] = std::to_string(UnitsOf(column, value)); }

    std::vector<std::string> Take() { return std::move(fields_); }

private:
    const TableDesc& table_;
    std::vector<std::string> fields_;
};

namespace {

// The first reply field that holds a number: a scaled value or an addend.
int FirstNumberField(int page) {
    const TableDesc& table = TableOf(page);
    int first = table.wireFields;
    for (const ColumnDesc& c : table.columns)
        if (c.source.field >= 0 && c.source.divisor > 0) first = std::min(first, c.source.field);
    for (const WireExtra& e : table.extras)
        if (e.action == FieldRule::Addend) first = std::min(first, e.field);
    return first;
}

}  // namespace

std::string FrameReply(char kind, const std::vector<std::string>& fields, bool crlf) {
    const char* ending = crlf ? "\r\n" : "\n";
    std::string reply = ">";
    reply += kind;
    reply += "\r\n";
    for (const auto& f : fields) reply += f + ending;
    return reply + "<";
}

SimRandom::SimRandom(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {
    if (state_ == 0) state_ = 1;
}

uint32_t SimRandom::Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 7;
    state_ ^= state_ << 17;
    return static_cast<uint32_t>(state_ >> 32);
}

int SimRandom::Below(int n) { return n <= 1 ? 0 : static_cast<int>(Next() % uint32_t(n)); }

double SimRandom::Uniform() { return Next() / 4294967296.0; }

double SimRandom::Gauss() {
    // Sum of twelve uniforms: mean 6, variance 1; close enough for drift.
    double sum = 0;
    for (int i = 0; i < 12; ++i) sum += Uniform();
    return sum - 6;
}

ReplyGenerator::ReplyGenerator(uint64_t seed, DateTime start, int stepMs)
    : random_(seed),
      clockMs_((DaysFromCivil(start.year, start.month, start.day) * 86400 + start.hour * 3600 +
                start.minute * 60 + start.second) * 1000 + start.millisecond),
      stepMs_(stepMs) {
    object_ = Utf8ToCp1251(kObjects[random_.Below(std::size(kObjects))]);
    fuel_ = Utf8ToCp1251(kFuels[random_.Below(std::size(kFuels))]);
    for (int i = 0; i < 3; ++i) unitFlags_ += random_.Chance(0.5) ? '1' : '0';
}

DateTime ReplyGenerator::Now() const {
    DateTime t;
    const int64_t days = clockMs_ >= 0 ? clockMs_ / 86400000 : (clockMs_ - 86399999) / 86400000;
    const int64_t ms = clockMs_ - days * 86400000;
    CivilFromDays(days, t.year, t.month, t.day);
    t.hour = int(ms / 3600000);
    t.minute = int(ms / 60000 % 60);
    t.second = int(ms / 1000 % 60);
    t.millisecond = int(ms % 1000);
    return t;
}

std::string SimDateText(const DateTime& t) { return Two(t.day) + "." + Two(t.month) + "." + Two(t.year); }

std::string SimTimeText(const DateTime& t) {
    return Two(t.hour) + ":" + Two(t.minute) + ":" + Two(t.second);
}

char ReplyGenerator::KindChar(int page) { return KindOfPage(page); }

int ReplyGenerator::PickPage(const std::array<int, 3>& mix) {
    int total = 0;
    for (int w : mix) total += std::max(w, 0);
    if (total == 0) return PageGas;
    int pick = random_.Below(total);
    for (int page = 0; page < kPageCount; ++page) {
        pick -= std::max(mix[size_t(page)], 0);
        if (pick < 0) return page;
    }
    return PageGas;
}

int ReplyGenerator::NextPage(const std::array<int, 3>& mix) {
    if (runLeft_ <= 0) {
        std::array<int, 3> others = mix;
        if (runPage_ >= 0) others[size_t(runPage_)] = 0;
        const bool another = others[0] > 0 || others[1] > 0 || others[2] > 0;
        runPage_ = PickPage(another ? others : mix);
        runLeft_ = kMinRun + random_.Below(kMaxRun - kMinRun + 1);
    }
    --runLeft_;
    return runPage_;
}

double ReplyGenerator::Drift(double& value, double target, double pull, double sigma) {
    value += pull * (target - value) + sigma * random_.Gauss();
    return value;
}

// Number, date, time and object sit in the same columns of every table but
// the object.
void ReplyGenerator::Stamp(WireFields& fields, int page, int objectColumn) {
    const DateTime now = Now();
    fields[GasColumn::Number] = std::to_string(++counters_[size_t(page)]);
    fields[GasColumn::Date] = SimDateText(now);
    fields[GasColumn::Time] = SimTimeText(now);
    fields[objectColumn] = object_;
    clockMs_ += stepMs_;
}

std::vector<std::string> ReplyGenerator::Fields(int page) {
    switch (page) {
        case PageGas: return GasFields();
        case PageTemp: return TempFields();
        case PagePrd: return PrdFields();
        default: throw std::out_of_range("no such page");
    }
}

std::vector<std::string> ReplyGenerator::GasFields() {
    using C = GasColumn;
    WireFields f(PageGas);
    Stamp(f, PageGas, C::Object);
    f[C::Fuel] = fuel_;
    f.Extra(FieldRule::UnitFlag) = std::string(1, unitFlags_[0]);
    f.Extra(FieldRule::O2Flag) = std::string(1, unitFlags_[1]);
    f[C::Unit] = std::string(1, unitFlags_[2]);

    const double o2 = std::clamp(Drift(o2_, 5.5, 0.05, 0.15), 0.5, 20.5);
    const double co2 = std::max(0.0, 11.7 * (21 - o2) / 21 + 0.03 * random_.Gauss());
    const double alf = 21 / (21 - o2);
    double co = std::max(0.0, Drift(co_, 120, 0.05, 12));
    if (random_.Chance(0.02)) co += 400 * random_.Uniform();  // a puff of incomplete burning
    const double no = std::max(0.0, Drift(no_, 80, 0.05, 3));
    const double no2 = std::max(0.0, Drift(no2_, 4, 0.05, 0.3));
    const double so2 = std::max(0.0, Drift(so2_, 5, 0.05, 0.5));
    const double h2s = std::max(0.0, Drift(h2s_, 0.5, 0.05, 0.1));
    const double ch = std::max(0.0, Drift(ch_, 10, 0.05, 1));
    const double tg = Drift(tg_, 180, 0.02, 1.0);
    const double ta = Drift(ta_, 21.5, 0.02, 0.05);
    const double ti = Drift(ti_, 30, 0.02, 0.2);
    // Flue gas loss (Siegert, natural gas) and the loss by unburnt CO.
    const double q2 = std::max(0.0, (tg - ta) * (0.66 / (21 - o2) + 0.009));
    const double q3 = co * 0.0003;

    const bool mg = unitFlags_[0] == '1';
    auto gas = [mg](double ppm, double mgPerPpm) { return mg ? ppm * mgPerPpm : ppm; };
    f.Scaled(C::Ta, ta);
    f.Scaled(C::Tg, tg);
    f.Scaled(C::Ti, ti);
    f.Scaled(C::O2, o2);
    f.Scaled(C::CO, gas(co, 1.25));
    f.Scaled(C::NO, gas(no, 1.34));
    f.Scaled(C::NO2, gas(no2, 2.05));
    f.Scaled(C::SO2, gas(so2, 2.86));
    f.Scaled(C::H2S, gas(h2s, 1.52));
    f.Scaled(C::CH, gas(ch, 0.71));
    f.Scaled(C::CO2, co2);
    f.Extra(FieldRule::Addend) = std::to_string(f.UnitsOf(C::Qa, q2));
    f.Scaled(C::Qa, q3);
    f.Scaled(C::Alf, alf);
    return f.Take();
}

std::vector<std::string> ReplyGenerator::TempFields() {
    using C = TempColumn;
    WireFields f(PageTemp);
    Stamp(f, PageTemp, C::Object);
    const double tg = Drift(tempGas_, 450, 0.03, 2);
    const double tmax = tg + 1 + 3 * std::fabs(random_.Gauss());
    const double tmin = tg - 1 - 3 * std::fabs(random_.Gauss());
    const double tp = Drift(tempAir_, 25, 0.03, 0.1);
    f.Scaled(C::Tg, tg);
    f.Scaled(C::Tmax, tmax);
    f.Scaled(C::Tmin, tmin);
    // The difference of the two fields as sent, not of the exact values.
    f[C::Tdif] = std::to_string(f.UnitsOf(C::Tmax, tmax) - f.UnitsOf(C::Tmin, tmin));
    f.Scaled(C::Tp, tp);
    f[C::N] = std::to_string(10 + random_.Below(20));
    return f.Take();
}

std::vector<std::string> ReplyGenerator::PrdFields() {
    using C = PrdColumn;
    WireFields f(PagePrd);
    Stamp(f, PagePrd, C::Object);
    const double pd = std::max(0.0005, Drift(pd_, 0.015, 0.05, 0.0005));  // kPa
    const double pa = Drift(pa_, 101.325, 0.01, 0.002);
    const double v = std::sqrt(2 * pd * 1000 / 1.2);  // m/s in air
    const double vp = v * 0.98;
    const double qv = vp * 0.2;  // m3/s through a 0.2 m2 duct
    f.Scaled(C::Pd, pd);
    f.Scaled(C::Pa, pa);
    f.Scaled(C::V, v);
    f.Scaled(C::Vp, vp);
    f.Scaled(C::Qv, qv);
    f[C::N] = std::to_string(5 + random_.Below(20));
    return f.Take();
}

std::string ReplyGenerator::Damage(const std::string& reply, ReplyFault fault) {
    std::string out = reply;
    switch (fault) {
        case ReplyFault::LostBytes: {
            const int lost = 1 + random_.Below(3);
            for (int i = 0; i < lost && !out.empty(); ++i)
                out.erase(size_t(random_.Below(int(out.size()))), 1);
            break;
        }
        case ReplyFault::BadKind: {
            static const char kinds[] = "gtpXZ0?A";
            if (out.size() > 1) out[1] = kinds[random_.Below(int(sizeof kinds) - 1)];
            break;
        }
        case ReplyFault::BadNumber: {
            const int page = out.size() > 5 ? PageOfKind(uint8_t(out[1])) : -1;
            if (page < 0) break;
            std::vector<std::string> parts = SplitBody(out.substr(4, out.size() - 5));
            const int first = FirstNumberField(page);
            if (int(parts.size()) <= first) break;
            static const char* const bad[] = {"1-2", "12.5", "--", "Er", "-", "9999999999"};
            auto& part = parts[size_t(first + random_.Below(int(parts.size()) - first))];
            const size_t ending = std::min(part.find_first_of("\r\n"), part.size());
            part = bad[random_.Below(int(std::size(bad)))] + part.substr(ending);
            out = out.substr(0, 4);
            for (const auto& p : parts) out += p;
            out += '<';
            break;
        }
        case ReplyFault::Overlong: {
            std::string extra;
            while (out.size() + extra.size() <= 300) extra += "1234567\r\n";
            out.insert(out.size() - 1, extra);
            break;
        }
        case ReplyFault::LineNoise: {
            std::string noise;
            const int n = 1 + random_.Below(16);
            for (int i = 0; i < n; ++i) noise += static_cast<char>(random_.Below(256));
            out.insert(size_t(random_.Below(int(out.size()) + 1)), noise);
            break;
        }
    }
    return out;
}

}  // namespace vornik
