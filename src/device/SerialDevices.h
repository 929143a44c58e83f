#pragma once
// The serial devices of this computer, for the port box of the options.
#include <string>
#include <vector>

namespace vornik {

// Serial devices present on this computer, as full paths in natural order:
// USB adapters (ttyUSB*), modems and USB CDC devices (ttyACM*), on-board
// UARTs (ttyAMA*), Bluetooth serial links (rfcomm*), and the ttyS* ports
// that the kernel found hardware for (their sysfs "type" is not 0). Empty
// where `devDir` does not exist (Windows).
std::vector<std::string> SerialDevicePaths(const std::string& devDir = "/dev",
                                           const std::string& sysTtyDir = "/sys/class/tty");

}  // namespace vornik
