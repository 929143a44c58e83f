#pragma once
// Every kind of port by its name: "DEMO" is the simulated instrument,
// "tcp:HOST:PORT" a network serial server, any other name a serial device.
#include <memory>
#include <string>

#include "device/CommDriver.h"

namespace vornik {

// True for "DEMO", in any case.
bool IsDemoPortName(const std::string& name);

// The driver the port name needs (the factory of the port handling).
std::unique_ptr<CommDriver> MakeCommDriver(const std::string& name);

}  // namespace vornik
