#include "config/WindowPlacement.h"

#include "config/Config.h"

namespace vornik {

void StoreWindowPlacement(const WindowPlacement& placement, TConfig& config) {
    if (placement.normal) {
        config.SetWindowMaximized(false);
        config.SetWindowWidth(placement.width);
        config.SetWindowHeight(placement.height);
        config.SetWindowTop(placement.top);
        config.SetWindowLeft(placement.left);
    } else {
        config.SetWindowMaximized(true);
    }
}

}  // namespace vornik
