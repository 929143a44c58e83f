#pragma once
// The save and open commands of the main window and its close guard. The
// window forwards the user's actions here; dialogs and boxes go through the
// FileDialogs and Prompt interfaces.
#include <array>
#include <functional>
#include <string>

#include "config/Config.h"
#include "config/ConfigFile.h"
#include "config/WindowPlacement.h"
#include "core/Clock.h"
#include "core/FileDialogs.h"
#include "core/Prompt.h"
#include "datafiles/DataFile.h"
#include "tables/MainModel.h"

namespace vornik {

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
    void Open();

    // Loads a file (also the one named on the command line), once
    // MayDiscard agreed for the table of its kind.
    void Open(const std::string& fileName);

    // Asked before a command empties or replaces the page's table (an open,
    // "Удалить все данные"): when it holds rows no file holds, "Данные не
    // записаны! Сохранить?" with Yes, No and Cancel. Yes offers the save
    // dialog first. True when the command may go on: no such rows, the rows
    // were written, or the user chose to drop them; false on Cancel, a
    // cancelled save dialog or a failed write.
    bool MayDiscard(int page);

    // Close guard: asks whether to close and whether to save the rows of
    // every table that holds rows no file holds (also after a cancelled save
    // dialog), stores the window placement in the record and saves it.
    // Returns whether the window may close: not when the user asked to save
    // and a save dialog was cancelled (that page keeps its flag) or a write
    // failed.
    bool MayClose(const WindowPlacement& placement, TConfig& config, ConfigStore& store);

    // The data file the page's rows came from or went to, for the status bar
    // and the printed chart's header: the file last written whole or loaded;
    // empty while the rows are in no file (after a clear, before any save).
    const std::string& PageFile(int page) const { return files_.at(page); }

private:
    using PageSet = std::array<bool, kPageCount>;
    // A save dialog for each page of the set, gas first. A cancelled dialog
    // clears the page's flag unless `keepCancelled`. True when every page
    // offered was written.
    bool OfferPages(const PageSet& pages, bool keepCancelled);

    MainModel& model_;
    Prompt& prompt_;
    FileDialogs& dialogs_;
    const Clock& clock_;
    std::string programPath_;
    std::string fallbackFolder_;
    ProgressFn progress_;
    BusyHandler busy_;
    // Which file a settling table takes (set while a file is written whole or
    // loaded); a table that settles otherwise, by a clear, has none.
    std::string settling_;
    std::array<std::string, kPageCount> files_;
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
