#pragma once
// The save and open commands of the main window and its close guard. The
// window forwards the user's actions here; dialogs and boxes go through the
// FileDialogs and Prompt interfaces.
#include <functional>
#include <string>

#include "config/Config.h"
#include "config/ConfigFile.h"
#include "core/Clock.h"
#include "core/FileDialogs.h"
#include "core/Prompt.h"
#include "datafiles/DataFile.h"
#include "tables/MainModel.h"

namespace vornik {

// The main window's placement as the close guard stores it.
struct WindowPlacement {
    bool normal = true;  // false when maximized or minimized
    int width = 0;
    int height = 0;
    int top = 0;
    int left = 0;
};

class DataFileCommands {
public:
    // `programPath` gives the proposed data file names; `fallbackFolder` (the
    // user's home) replaces its folder when that cannot be written.
    DataFileCommands(MainModel& model, Prompt& prompt, FileDialogs& dialogs, const Clock& clock,
                     std::string programPath, std::string fallbackFolder);

    // Progress of long loads and saves (none by default).
    void SetProgress(ProgressFn progress) { progress_ = std::move(progress); }
    // Told true before and false after each file is read or written, so the
    // window can hold reception meanwhile; `large` says the file has more than
    // about 100,000 rows, worth a progress dialog.
    using BusyHandler = std::function<void(bool busy, bool large)>;
    void SetBusyHandler(BusyHandler handler) { busy_ = std::move(handler); }
    // Told the page after a file of a known kind was loaded (or failed to
    // load): its table is to be shown whatever the display mode.
    void SetLoadedHandler(std::function<void(int page)> handler) { loaded_ = std::move(handler); }

    // Save (N8, BitBtn9): a save dialog for every page with unsaved rows, gas
    // first. A page counts as saved once its dialog closed, unless writing
    // the file failed or was cancelled.
    void SaveCharDialog();

    // Open (N9, BitBtn10): the open dialog with the active page's filter
    // preselected; the chosen file is loaded into the table of its kind.
    void N9Click();

    // Loads a file (also the one named on the command line).
    void Open(const std::string& fileName);

    // Close guard: asks whether to close and whether to save unsaved rows,
    // stores the window placement in the record and saves it. Returns
    // whether the window may close: not when the user asked to save and a
    // save dialog was cancelled (that page keeps its flag) or a write failed.
    bool FormCloseQuery(const WindowPlacement& placement, TConfig& config, ConfigStore& store);

private:
    // The save dialogs of the save command. A cancelled dialog clears the
    // page's flag unless `keepCancelled`. True when every page offered was
    // written.
    bool OfferUnsaved(bool keepCancelled);

    MainModel& model_;
    Prompt& prompt_;
    FileDialogs& dialogs_;
    const Clock& clock_;
    std::string programPath_;
    std::string fallbackFolder_;
    ProgressFn progress_;
    BusyHandler busy_;
    std::function<void(int)> loaded_;

    struct BusyScope {
        BusyScope(const BusyHandler& handler, bool large) : handler_(handler) {
            if (handler_) handler_(true, large);
        }
        ~BusyScope() {
            if (handler_) handler_(false, false);
        }
        const BusyHandler& handler_;
    };
};

// Filters of the save dialog by page, and of the open dialog (UTF-8).
const char* SaveFilter(int page);
extern const char* const kOpenFilter;
extern const char* const kCloseQuestion;
extern const char* const kUnsavedQuestion;

}  // namespace vornik
