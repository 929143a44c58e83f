#pragma once
// The main window's placement and where the settings record keeps it.
namespace vornik {

class TConfig;

// The main window's placement when it closes.
struct WindowPlacement {
    bool normal = true;  // false when maximized or minimized
    int width = 0;
    int height = 0;
    int top = 0;
    int left = 0;
};

// A normal window stores its size and position; a maximized one only that
// it is maximized, so the record keeps the normal geometry.
void StoreWindowPlacement(const WindowPlacement& placement, TConfig& config);

}  // namespace vornik
