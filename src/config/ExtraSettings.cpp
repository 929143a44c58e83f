#include "config/ExtraSettings.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "core/AtomicFile.h"
#include "core/RegularFile.h"

namespace vornik {
namespace {

// A real file is a few lines; anything much larger is not one.
constexpr size_t kMaxFileBytes = 4096;

// Every setting by its name in the file.
std::vector<std::pair<const char*, bool ExtraSettings::*>> Flags() {
    return {{"statistics", &ExtraSettings::statisticsShown},
            {"keep_page", &ExtraSettings::keepPage},
            {"print_chart_header", &ExtraSettings::printChartHeader}};
}
const char* const kTimeAxisNames[3] = {"time_axis_gas", "time_axis_temperature", "time_axis_pressure"};

bool* FindFlag(ExtraSettings& settings, const std::string& name) {
    for (const auto& [flagName, member] : Flags())
        if (name == flagName) return &(settings.*member);
    for (size_t page = 0; page < settings.timeAxis.size(); ++page)
        if (name == kTimeAxisNames[page]) return &settings.timeAxis[page];
    return nullptr;
}

}  // namespace

bool ExtraSettings::operator==(const ExtraSettings& other) const {
    return statisticsShown == other.statisticsShown && keepPage == other.keepPage &&
           printChartHeader == other.printChartHeader && timeAxis == other.timeAxis;
}

std::string ExtraSettingsFileName(const std::string& configFileName) {
    const std::string ini = ".ini";
    const bool endsWithIni = configFileName.size() >= ini.size() &&
                             configFileName.compare(configFileName.size() - ini.size(), ini.size(), ini) == 0;
    return (endsWithIni ? configFileName.substr(0, configFileName.size() - ini.size()) : configFileName) +
           ".extra.ini";
}

std::string FormatExtraSettings(const ExtraSettings& settings) {
    std::string text;
    const auto line = [&text](const char* name, bool value) {
        text += name;
        text += value ? "=1\n" : "=0\n";
    };
    for (const auto& [name, member] : Flags()) line(name, settings.*member);
    for (size_t page = 0; page < settings.timeAxis.size(); ++page) line(kTimeAxisNames[page], settings.timeAxis[page]);
    return text;
}

bool ParseExtraSettings(const std::string& text, ExtraSettings& settings) {
    ExtraSettings read;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(pos, end - pos);
        pos = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const size_t equals = line.find('=');
        if (equals == std::string::npos) return false;
        const std::string name = line.substr(0, equals);
        const std::string value = line.substr(equals + 1);
        if (name.empty() || name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789_") != std::string::npos)
            return false;
        bool* flag = FindFlag(read, name);
        // Names a later version adds are passed over; a known one must be 0 or 1.
        if (!flag) continue;
        if (value != "0" && value != "1") return false;
        *flag = value == "1";
    }
    settings = read;
    return true;
}

ExtraSettings ReadExtraSettings(const std::string& fileName) {
    ExtraSettings settings;
    std::FILE* f = OpenRegularFile(fileName);
    if (!f) return settings;
    std::string text(kMaxFileBytes + 1, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), f));
    const bool failed = std::ferror(f) != 0;
    std::fclose(f);
    if (failed || text.size() > kMaxFileBytes) return settings;
    ParseExtraSettings(text, settings);
    return settings;
}

bool WriteExtraSettings(const std::string& fileName, const ExtraSettings& settings) {
    return WriteFileAtomically(fileName, FormatExtraSettings(settings));
}

}  // namespace vornik
