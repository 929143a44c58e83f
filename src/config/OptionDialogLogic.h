#pragma once
// What the options dialog does to the configuration record, without Qt: the
// port choices it offers, the range of the refresh period, and the steps run
// when the user confirms it.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "config/Config.h"

namespace vornik {

constexpr int kRefreshPeriodMin = 1;
constexpr int kRefreshPeriodMax = 60;

// The refresh period as the dialog's spin box shows it: limited to 1..60.
int LimitRefreshPeriod(int32_t value);

// "COM1" .. "COM16", in this order.
std::vector<std::string> StandardPortNames();

// The port name of the simulated instrument inside the program.
constexpr const char* kDemoPortName = "DEMO";

// The port box's list: the standard names followed by the devices found,
// less those a standard name already opens ("/dev/ttyS0" is "COM1"), and
// last the simulated instrument.
std::vector<std::string> PortChoices(const std::vector<std::string>& devices);

// The main window's operations that confirming the dialog runs, in order.
struct OptionCommand {
    std::function<void()> StopTimer;           // TimerReadPort off
    std::function<void()> OpenPort;            // release the port, open PortName, start the timer
    std::function<void()> SaveConfig;          // write the record
    std::function<bool()> PortExists;          // a port object is there
    std::function<void()> EnsureTimerRunning;  // TimerReadPort on
};

// The confirmed dialog: stores the port name (Windows-1251 bytes, cut to 30
// characters) and the spin box's value, then stops the polling timer, reopens
// the port (even under an unchanged name), saves the record and, when a port
// object exists, makes sure the timer runs.
void ConfirmOptions(TConfig& config, std::string_view portName, int refreshPeriod, const OptionCommand& command);

}  // namespace vornik
