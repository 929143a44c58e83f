#pragma once
// Port names of network serial servers: "tcp:HOST:PORT" is the raw TCP
// stream that device servers and ser2net offer for a serial line. HOST is a
// name or an address ("[::1]" for an IPv6 one); the prefix's case does not
// matter.
#include <memory>
#include <string>

#include "device/CommDriver.h"

namespace vornik {

struct NetworkAddress {
    std::string host;
    std::string port;
};

// True when the port name is a network one (even a malformed one).
bool IsNetworkPortName(const std::string& name);
// Host and port of a network port name; false when it names none.
bool ParseNetworkPortName(const std::string& name, NetworkAddress& address);

// The driver of a network serial server on this platform.
std::unique_ptr<CommDriver> MakeNetworkCommDriver();

// The driver a port name needs: a network serial server for "tcp:" names,
// the platform's serial driver for every other name.
std::unique_ptr<CommDriver> MakeDeviceCommDriver(const std::string& name);

}  // namespace vornik
