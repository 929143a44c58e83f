#include "device/SerialDevices.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <string_view>
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

}  // namespace vornik
