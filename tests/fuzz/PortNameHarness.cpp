// The port name parser fed arbitrary names: "DEMO" picks the simulated
// instrument, "tcp:HOST:PORT" a network serial server whose address reads
// back the same, and any other name the device path its kind gives.
#include <algorithm>
#include <cctype>
#include <string>

#include "FuzzHarnesses.h"

#ifndef _WIN32
#include "core/Cp1251.h"
#include "device/NetworkPort.h"
#include "device/posix/PosixCommDriver.h"
#include "device/posix/TcpCommDriver.h"
#include "ports/DemoCommDriver.h"
#include "ports/PortDrivers.h"

namespace vornik::fuzz {
namespace {

const std::string kDevicePrefix = "\\\\.\\";

// "COM1".."COM16" in any case (a leading zero allowed: five characters at most).
int ComNumber(const std::string& name) {
    if (name.size() < 4 || name.size() > 5) return 0;
    for (size_t i = 0; i < 3; ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != "com"[i]) return 0;
    int number = 0;
    for (size_t i = 3; i < name.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(name[i]))) return 0;
        number = number * 10 + (name[i] - '0');
    }
    return number >= 1 && number <= 16 ? number : 0;
}

// What the path of `name` must be, worked out from the rules the user reads.
std::string Expected(const std::string& name) {
    std::string rest = name.rfind(kDevicePrefix, 0) == 0 ? name.substr(kDevicePrefix.size()) : name;
    if (rest.empty()) return "";
    if (rest[0] == '/') return Cp1251ToUtf8(rest);
    if (const int n = ComNumber(rest)) return "/dev/ttyS" + std::to_string(n - 1);
    return "/dev/" + Cp1251ToUtf8(rest);
}

// A network name: a parsed address has a host and a port of 1..65535 and,
// written as a name again, parses to itself.
std::string NetworkNameBroken(const std::string& name) {
    if (!dynamic_cast<TcpCommDriver*>(MakeCommDriver(name).get())) return "a tcp: name does not pick the network driver";
    NetworkAddress address;
    if (!ParseNetworkPortName(name, address)) return "";
    if (address.host.empty() || address.port.empty()) return "a network address without host or port";
    if (address.port.find_first_not_of("0123456789") != std::string::npos) return "a port that is no number";
    const long port = std::stol(address.port);
    if (port < 1 || port > 65535) return "a port out of range";
    const bool bracketed = address.host.find(':') != std::string::npos || address.host.front() == '[';
    const std::string again = "tcp:" + (bracketed ? "[" + address.host + "]" : address.host) + ":" + address.port;
    NetworkAddress reread;
    if (!ParseNetworkPortName(again, reread) || reread.host != address.host || reread.port != address.port)
        return "a network address written as a name reads back otherwise";
    return "";
}

}  // namespace

std::string PortNameHarness(const uint8_t* data, size_t size) {
    // The port object hands the driver a C string: the name ends at a NUL.
    std::string name(reinterpret_cast<const char*>(data), size);
    name.resize(std::min(name.find('\0'), name.size()));
    if (IsDemoPortName(name)) {
        if (!dynamic_cast<DemoCommDriver*>(MakeCommDriver(name).get())) return "DEMO does not pick the simulator";
        return "";
    }
    if (IsNetworkPortName(name)) return NetworkNameBroken(name);
    const std::string path = DevicePath(name);
    if (path != Expected(name)) return "the name opens another path than its kind says";
    if (path.empty()) return "";
    // The path shown for a name, typed back in, opens the same device.
    if (DevicePath(Utf8ToCp1251(path)) != path) return "a path does not open itself";
    // The Windows device prefix changes nothing.
    if (name.rfind(kDevicePrefix, 0) != 0 && DevicePath(kDevicePrefix + name) != path)
        return "the device prefix changed the path";
    return "";
}

}  // namespace vornik::fuzz
#endif
