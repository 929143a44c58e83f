#pragma once
// Settings of the measurement-report additions (the statistics panel, the
// page that stays, the printed chart's header line, the time axis). They live
// in a small text file of their own beside the settings record, so that the
// record keeps its 421 bytes: "vornik-pc.ini" has "vornik-pc.extra.ini"
// beside it. One "name=value" line per setting; a file that is missing,
// unreadable or damaged in any line gives the defaults, without a message.
#include <array>
#include <string>

namespace vornik {

struct ExtraSettings {
    bool statisticsShown = false;        // the statistics panel is open
    bool keepPage = false;               // "Не переключать страницы"
    // Object, time span and file above a printed chart; off by default, so
    // that the printed chart page stays as it is unless asked for.
    bool printChartHeader = false;
    std::array<bool, 3> timeAxis{};      // "Ось X: время", by page (gas, temperature, pressure)

    bool operator==(const ExtraSettings& other) const;
    bool operator!=(const ExtraSettings& other) const { return !(*this == other); }
};

// The file beside a settings record: its name with ".extra.ini" for ".ini"
// (or appended, when the record has another extension).
std::string ExtraSettingsFileName(const std::string& configFileName);

// The text of the file and back; false (and `settings` untouched) for a text
// that is not wholly such a file.
std::string FormatExtraSettings(const ExtraSettings& settings);
bool ParseExtraSettings(const std::string& text, ExtraSettings& settings);

// Reads the file: its settings, or the defaults.
ExtraSettings ReadExtraSettings(const std::string& fileName);
// Writes the file atomically; false when it could not be written (the
// settings in memory stay in force).
bool WriteExtraSettings(const std::string& fileName, const ExtraSettings& settings);

}  // namespace vornik
