#include "ports/PortDrivers.h"

#include <algorithm>
#include <cctype>

#include "config/OptionDialogLogic.h"
#include "device/NetworkPort.h"
#include "ports/DemoCommDriver.h"

namespace vornik {

bool IsDemoPortName(const std::string& name) {
    const std::string demo = kDemoPortName;
    return name.size() == demo.size() &&
           std::equal(name.begin(), name.end(), demo.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == b;
           });
}

std::unique_ptr<CommDriver> MakeCommDriver(const std::string& name) {
    if (IsDemoPortName(name)) return std::make_unique<DemoCommDriver>();
    return MakeDeviceCommDriver(name);
}

}  // namespace vornik
