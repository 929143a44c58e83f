#include "datafiles/DataFileCommands.h"

#include <filesystem>

namespace vornik {
namespace {

// Files above this many rows get a progress dialog; a gas line is about 140
// bytes, a temperature or pressure line about 55.
constexpr long long kLargeRows = 100000;
long long TypicalLineBytes(int page) { return page == PageGas ? 140 : 55; }

long long FileSize(const std::string& fileName) {
    std::error_code error;
    const auto size = std::filesystem::file_size(std::filesystem::u8path(fileName), error);
    return error ? 0 : static_cast<long long>(size);
}

}  // namespace

const char* const kOpenFilter =
    "Файлы данных газоанализатора (*.gas)|*.gas|Файлы данныхизм. температуры (*.tmpr)|*.tmpr|"
    "Файлы данныхизм. давления (*.prd)|*.prd";
const char* const kCloseQuestion = "Программа будет закрыта?";
const char* const kUnsavedQuestion = "Данные не записаны! Сохранить?";

const char* SaveFilter(int page) {
    switch (page) {
        case PageGas: return "Файлы данных газоанализатора(*.gas)|*.gas";
        case PageTemp: return "Файлы данных изм. температуры(*.tmpr)|*.tmpr";
        case PagePrd: return "Файлы данных изм. давления, скорости(*.prd)|*.prd";
    }
    return "";
}

DataFileCommands::DataFileCommands(MainModel& model, Prompt& prompt, FileDialogs& dialogs, const Clock& clock,
                                   std::string programPath, std::string fallbackFolder)
    : model_(model),
      prompt_(prompt),
      dialogs_(dialogs),
      clock_(clock),
      programPath_(std::move(programPath)),
      fallbackFolder_(std::move(fallbackFolder)) {
    model_.AddRowsSettledListener([this](int page) { files_.at(page) = settling_; });
}

void DataFileCommands::SaveCharDialog() {
    PageSet pages{};
    for (int page = 0; page < kPageCount; ++page) pages[page] = model_.NewData(page);
    OfferPages(pages, false);
}

bool DataFileCommands::OfferPages(const PageSet& pages, bool keepCancelled) {
    bool allWritten = true;
    for (int page = 0; page < kPageCount; ++page) {
        if (!pages[page]) continue;
        const std::string preset = DefaultDataFileName(programPath_, clock_.Now(), page, fallbackFolder_);
        const auto chosen = dialogs_.AskSaveFileName(SaveFilter(page), preset);
        // Rows that arrived while the dialog was open are written too.
        bool written = false;
        if (chosen) {
            BusyScope busy(busy_, model_.Table(page).RowCount() > kLargeRows);
            written = SaveChartToFile(model_, *chosen, page == PageGas, page == PageTemp, page == PagePrd, prompt_,
                                      progress_);
        }
        allWritten = allWritten && written;
        // A failed write keeps the flag, so the close guard asks again; a
        // cancelled dialog counts as offered, except where keepCancelled.
        if (chosen ? written : !keepCancelled) model_.SetNewData(page, false);
        if (written) {
            settling_ = *chosen;
            model_.RowsSaved(page);
            settling_.clear();
        }
    }
    return allWritten;
}

void DataFileCommands::Open() {
    const auto chosen = dialogs_.AskOpenFileName(kOpenFilter, model_.ActivePage() + 1);
    if (chosen) Open(*chosen);
}

void DataFileCommands::Open(const std::string& fileName) {
    const int kind = DataFileKind(fileName);
    if (kind >= 0 && !MayDiscard(kind)) return;
    bool read = false;
    {
        BusyScope busy(busy_, FileSize(fileName) > kLargeRows * TypicalLineBytes(kind));
        settling_ = fileName;
        read = ReadDataFile(model_, fileName, progress_);
        settling_.clear();
    }
    // After the progress box has gone: the error box is the one in front.
    if (!read) prompt_.ShowError(kDataReadErrorText);
    if (kind >= 0 && loaded_) loaded_(kind);
}

bool DataFileCommands::MayDiscard(int page) {
    if (!model_.HoldsUnwrittenRows(page)) return true;
    switch (prompt_.AskYesNoCancel(kUnsavedQuestion)) {
        case Prompt::Choice::Yes: {
            PageSet pages{};
            pages[page] = true;
            return OfferPages(pages, true);
        }
        case Prompt::Choice::No: return true;
        case Prompt::Choice::Cancel: return false;
    }
    return false;
}

bool DataFileCommands::MayClose(const WindowPlacement& placement, TConfig& config, ConfigStore& store) {
    const bool close = prompt_.AskYesNo(kCloseQuestion);
    // Every table with rows no file holds, also one whose save dialog was
    // cancelled earlier: a normal end drops the recovery journal.
    PageSet unsaved{};
    for (int page = 0; page < kPageCount; ++page)
        unsaved[page] = model_.NewData(page) || model_.HoldsUnwrittenRows(page);
    const bool any = unsaved[PageGas] || unsaved[PageTemp] || unsaved[PagePrd];
    // Rows the user asked to save are not lost on the way out: a cancelled
    // dialog or a failed write keeps the window open.
    bool saved = true;
    if (any && prompt_.AskYesNo(kUnsavedQuestion)) saved = OfferPages(unsaved, true);

    StoreWindowPlacement(placement, config);
    store.SaveConfig(config);
    return close && saved;
}

}  // namespace vornik
