#pragma once
// The recovery journal: every received row is appended to a file beside the
// settings file the moment it is decoded. Saving, clearing or loading a
// table retires that page's rows; a normal exit removes the file. A journal
// that still holds rows at start-up therefore means the last run ended
// abnormally (a crash, a kill, a power cut), and those rows can be put back
// into their tables as unsaved data.
//
// File layout (all numbers little-endian): an 8-byte header "VJRN" 1 0 0 0,
// then records of
//   u32 payload length, u32 CRC-32 of the payload, payload
// where the payload is u8 type, u8 page and, for a row record, u32 cell
// count and per cell u32 length and the cell's Windows-1251 bytes. A retire
// record has no more than the page. Reading stops at the first record that
// is incomplete or fails its checksum: a torn last record is ignored.
//
// Each record is written with one system write, so a record the program
// finished writing is in the operating system's hands and survives any end of
// the process. Forcing it to the disk costs milliseconds on the user-interface
// thread, so that is done at most once a second: a power cut may lose at most
// the last second of rows, a crash of the program loses none.
#include <array>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "datafiles/JournalFile.h"
#include "tables/Pages.h"

namespace vornik {

class MainModel;
class Prompt;
class ReplyDecoder;

struct JournalRow {
    int page = 0;
    std::vector<std::string> cells;  // Windows-1251, as the table held them
    bool operator==(const JournalRow& o) const { return page == o.page && cells == o.cells; }
};

class RecoveryJournal {
public:
    // `path` is UTF-8; see JournalPathFor.
    explicit RecoveryJournal(std::string path);

    const std::string& Path() const { return path_; }

    // Starts an empty journal, replacing what the file held: read the rows of
    // an earlier run with ReadPending first. False when the file cannot be
    // created; the journal then records nothing.
    bool Open();
    bool IsOpen() const { return file_.IsOpen(); }

    // Records a row of the page. Throws VornikError the first time a write
    // fails; the journal then stops recording (one report, not one per row).
    void Append(int page, const std::vector<std::string_view>& cells);

    // The page's rows are safe (saved) or gone on purpose (cleared, replaced by
    // a loaded file). When no page has rows left the file is emptied.
    void Retire(int page);

    // Retires every page whose rows count as saved again (NewData false after
    // a save, a clear or a load) while the journal still holds rows of it.
    // Meant for the model's state listener, so no command needs to know of
    // the journal.
    void RetireSaved(const MainModel& model);

    // A normal end of the run: the file is removed.
    void CloseCleanly();

    // Records every row the decoder commits, read back from the model.
    void Attach(ReplyDecoder& decoder, const MainModel& model);

    // Rows of the page recorded and not retired since Open.
    int PendingRows(int page) const { return pending_.at(size_t(page)); }

    // The rows a journal file holds that were never retired, in arrival order.
    // A missing or foreign file holds none.
    static std::vector<JournalRow> ReadPending(const std::string& path);

    // Lands the rows in their tables through the same commit as reception
    // (column 0 renumbered to the row they land in, charted, pages unsaved);
    // the rows are recorded again in this journal when it is open. Rows that
    // do not fit their table (wrong cell count, chart cells that are not
    // numbers) are skipped. Returns the number of rows restored. A journal
    // write that fails is thrown once all rows are in their tables.
    int Restore(MainModel& model, const std::vector<JournalRow>& rows);

    // Start-up: reads the rows an abnormal end left behind, asks whether to
    // restore them, opens a fresh journal and restores them on Yes. Returns
    // the number of rows restored.
    int OpenAndOfferRestore(MainModel& model, Prompt& prompt);

private:
    void Write(const std::string& payload);

    std::string path_;
    JournalFile file_;
    std::array<int, kPageCount> pending_{};
    std::chrono::steady_clock::time_point lastSync_{};
};

// The journal beside the settings file: its path with the extension
// replaced by ".journal".
std::string JournalPathFor(const std::string& settingsPath);

// The question asked at start-up (UTF-8); %1 stands for the row count.
extern const char* const kRestoreQuestion;
// The report of a journal that cannot be written (UTF-8), followed by the path.
extern const char* const kJournalWriteErrorText;

}  // namespace vornik
