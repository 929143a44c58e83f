#include "config/OptionDialogLogic.h"

#include <algorithm>

namespace vornik {

int LimitRefreshPeriod(int32_t value) { return std::clamp<int32_t>(value, kRefreshPeriodMin, kRefreshPeriodMax); }

std::vector<std::string> StandardPortNames() {
    std::vector<std::string> names;
    for (int i = 1; i <= 16; ++i) names.push_back("COM" + std::to_string(i));
    return names;
}

std::vector<std::string> PortChoices(const std::vector<std::string>& devices) {
    std::vector<std::string> choices = StandardPortNames();
    std::vector<std::string> covered;
    for (int i = 0; i < 16; ++i) covered.push_back("/dev/ttyS" + std::to_string(i));
    for (const std::string& device : devices)
        if (std::find(covered.begin(), covered.end(), device) == covered.end()) choices.push_back(device);
    choices.push_back(kDemoPortName);
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
