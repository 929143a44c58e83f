#include "device/NetworkPort.h"

#include <cctype>

namespace vornik {
namespace {

constexpr const char kPrefix[] = "tcp:";
constexpr size_t kPrefixLength = sizeof kPrefix - 1;

}  // namespace

bool IsNetworkPortName(const std::string& name) {
    if (name.size() < kPrefixLength) return false;
    for (size_t i = 0; i < kPrefixLength; ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != kPrefix[i]) return false;
    return true;
}

bool ParseNetworkPortName(const std::string& name, NetworkAddress& address) {
    if (!IsNetworkPortName(name)) return false;
    const std::string rest = name.substr(kPrefixLength);
    const size_t colon = rest.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == rest.size()) return false;
    std::string host = rest.substr(0, colon);
    const std::string port = rest.substr(colon + 1);
    for (char c : port)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    if (port.size() > 5 || std::stoi(port) < 1 || std::stoi(port) > 65535) return false;
    if (host.size() > 2 && host.front() == '[' && host.back() == ']') host = host.substr(1, host.size() - 2);
    address = {host, port};
    return true;
}

std::unique_ptr<CommDriver> MakeDeviceCommDriver(const std::string& name) {
    return IsNetworkPortName(name) ? MakeNetworkCommDriver() : MakePlatformCommDriver();
}

}  // namespace vornik
