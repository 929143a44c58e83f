#include "config/OptionDialogLogic.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vornik {
namespace {

namespace fs = std::filesystem;

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The device name's prefix when it is a serial device we offer, else "".
std::string_view SerialPrefix(std::string_view name) {
    for (std::string_view prefix : {"ttyUSB", "ttyACM", "ttyAMA", "rfcomm", "ttyS"}) {
        if (!StartsWith(name, prefix) || name.size() == prefix.size()) continue;
        const std::string_view number = name.substr(prefix.size());
        if (std::all_of(number.begin(), number.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }))
            return prefix;
    }
    return {};
}

// ttyS nodes exist for every possible legacy port; the serial core reports
// the UART type of each, 0 where no hardware answered.
bool LegacyPortPresent(const std::string& sysTtyDir, const std::string& name) {
    std::ifstream type(sysTtyDir + "/" + name + "/type");
    int value = 0;
    return type >> value && value != 0;
}

// Orders "ttyS2" before "ttyS10": by prefix, then by number.
bool NaturalLess(const std::string& a, const std::string& b) {
    const size_t digitsA = a.find_first_of("0123456789");
    const size_t digitsB = b.find_first_of("0123456789");
    const std::string_view prefixA = std::string_view(a).substr(0, digitsA);
    const std::string_view prefixB = std::string_view(b).substr(0, digitsB);
    if (prefixA != prefixB) return prefixA < prefixB;
    const std::string_view numberA = std::string_view(a).substr(std::min(digitsA, a.size()));
    const std::string_view numberB = std::string_view(b).substr(std::min(digitsB, b.size()));
    if (numberA.size() != numberB.size()) return numberA.size() < numberB.size();
    return numberA < numberB;
}

}  // namespace

int LimitRefreshPeriod(int32_t value) { return std::clamp<int32_t>(value, kRefreshPeriodMin, kRefreshPeriodMax); }

std::vector<std::string> StandardPortNames() {
    std::vector<std::string> names;
    for (int i = 1; i <= 16; ++i) names.push_back("COM" + std::to_string(i));
    return names;
}

std::vector<std::string> SerialDevicePaths(const std::string& devDir, const std::string& sysTtyDir) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(devDir, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        const std::string_view prefix = SerialPrefix(name);
        if (prefix.empty()) continue;
        if (prefix == "ttyS" && !LegacyPortPresent(sysTtyDir, name)) continue;
        names.push_back(name);
    }
    std::sort(names.begin(), names.end(), NaturalLess);
    std::vector<std::string> paths;
    for (const std::string& name : names) paths.push_back((fs::path(devDir) / name).generic_string());
    return paths;
}

std::vector<std::string> PortChoices(const std::vector<std::string>& devices) {
    std::vector<std::string> choices = StandardPortNames();
    std::vector<std::string> covered;
    for (int i = 0; i < 16; ++i) covered.push_back("/dev/ttyS" + std::to_string(i));
    for (const std::string& device : devices)
        if (std::find(covered.begin(), covered.end(), device) == covered.end()) choices.push_back(device);
    return choices;
}

void ConfirmOptions(TConfig& config, std::string_view portName, int refreshPeriod, const OptionCommand& command) {
    config.SetPortName(portName.substr(0, TConfig::kMaxText));
    config.SetRefreshPeriod(LimitRefreshPeriod(refreshPeriod));
    // The timer must not poll a port object that is being replaced.
    if (command.StopTimer) command.StopTimer();
    if (command.OpenPort) command.OpenPort();
    if (command.SaveConfig) command.SaveConfig();
    if (command.PortExists && command.PortExists() && command.EnsureTimerRunning) command.EnsureTimerRunning();
}

}  // namespace vornik
