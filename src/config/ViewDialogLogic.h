#pragma once
// What the view parameter dialogs do to a view block of the configuration
// record, without Qt: their rows, colour lists and multiplier texts, and the
// steps run when the user confirms one of them.
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/Config.h"
#include "core/Prompt.h"

namespace vornik {

// A colour of a colour box with the name shown beside it (UTF-8).
struct NamedColor {
    Color color;
    const char* name;
};

// The 16 standard colours, black to white: the series colour boxes.
const std::vector<NamedColor>& SeriesColorList();
// The 16 followed by money green, sky blue, cream and medium gray: the panel
// colour boxes.
const std::vector<NamedColor>& PanelColorList();

// The items of every multiplier box: "0,1", "1", "10", "100", "1000".
const std::vector<std::string>& MultiplierItems();

// A multiplier as the box shows it: general format, up to 15 significant
// digits, comma as decimal separator ("0,1", "2,5", "100", "1E20").
std::string FormatMultiplier(double value);

// A typed multiplier: optional blanks, an optional sign, digits with at most
// one comma, an optional exponent ("E", optional sign, digits), optional
// blanks. A point is not a decimal separator. Returns nothing for any other
// text, or for a number outside the range of a double.
std::optional<double> ParseMultiplier(std::string_view text);

// The error text of a multiplier that is not a number, before the general
// error report adds its full stop.
std::string NotAFloatText(std::string_view text);

// One row of a dialog: the quantity's caption and its series index in the
// view block.
struct ViewRow {
    const char* caption;
    int index;
};

struct ViewDialogLayout {
    int page;                                 // Page
    int seriesCount;                          // series of the view block
    std::vector<std::vector<ViewRow>> groups; // groups of rows, left to right
    std::vector<int> storeOrder;              // series indices in the order they are stored
    const char* logCaption;                   // caption of the logarithmic check box
    int width;                                // client area
    int height;
};

const ViewDialogLayout& GasViewLayout();
const ViewDialogLayout& TempViewLayout();
const ViewDialogLayout& PressViewLayout();

// What a dialog shows, by series index of the view block. Multiplier texts
// are UTF-8, as typed.
struct ViewValues {
    std::vector<bool> show;
    std::vector<std::string> multiplier;
    std::vector<Color> color;
    bool logarithmic = false;
    bool view3D = false;
    Color panelStart = 0;
    Color panelEnd = 0;
};

ViewValues ReadViewValues(const TViewParams& view);

// Stores the values into the view block. When a multiplier is not a number
// nothing is stored and the error text of the first such multiplier, in the
// layout's store order, is returned.
std::optional<std::string> StoreViewValues(TViewParams& view, const ViewValues& values,
                                           const std::vector<int>& storeOrder);

// The main window's operations that confirming a dialog runs, in order.
struct ViewCommand {
    std::function<void()> SaveConfig;  // write the record
    std::function<void()> ChartsInit;  // restyle all three charts from the record
};

// The confirmed dialog: stores the values, saves the record and restyles the
// charts. A multiplier that is not a number is reported through the general
// error report and leaves the record, the file and the charts as they were.
// Returns whether the values were stored.
bool ConfirmView(TViewParams& view, const ViewValues& values, const std::vector<int>& storeOrder, Prompt& prompt,
                 const ViewCommand& command);

}  // namespace vornik
