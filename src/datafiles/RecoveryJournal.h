#pragma once
// The recovery journal: every received row is appended to a file beside the
// settings file the moment it is decoded. A page's rows are retired when a
// data file holds them or they were cleared or replaced by a loaded file; a
// normal exit removes the file. A journal that still holds rows at start-up
// therefore means a run ended abnormally (a crash, a kill, a power cut), and
// those rows can be put back into their tables as unsaved data.
//
// Every running copy of the program owns its journal for its whole run (see
// JournalFile): a second copy takes a journal of its own, and a start never
// touches the rows of a journal whose owner is alive.
//
// File layout (all numbers little-endian): an 8-byte header "VJRN" 1 0 0 0,
// then records of
//   u32 payload length, u32 CRC-32 of the payload, payload
// where the payload is u8 type, u8 page and, for a row record, u32 cell
// count and per cell u32 length and the cell's Windows-1251 bytes. A retire
// record has no more than the page and retires the page's rows before it.
// Unreadable bytes (a flipped bit) cost only the record they hit: reading
// goes on at the next readable record. Unreadable bytes at the end are the
// torn tail of a write cut short and are dropped.
//
// Each record is written with one system write, so a record the program
// finished writing is in the operating system's hands and survives any end of
// the process. Forcing it to the disk costs milliseconds on the user-interface
// thread, so that is done at most once a second: a power cut may lose at most
// the last second of rows, a crash of the program loses none.
//
// The file follows the rows not yet saved: once retired records make up most
// of it, it is rewritten with the pending rows only. A journal that cannot be
// written (a full disk) says so in its status and is rewritten from the
// tables as soon as writing works again.
#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "datafiles/JournalFile.h"
#include "quantities/Pages.h"

namespace vornik {

class MainModel;
class Prompt;
class ReplyDecoder;

struct JournalRow {
    int page = 0;
    std::vector<std::string> cells;  // Windows-1251, as the table held them
    bool operator==(const JournalRow& o) const { return page == o.page && cells == o.cells; }
};

// What an earlier run left in a journal file.
struct JournalLeftover {
    int rows = 0;     // rows never retired, readable
    int damaged = 0;  // unreadable records between readable ones
    std::array<int, kPageCount> pageRows{};        // the rows by page
    std::array<uint64_t, kPageCount> pageBytes{};  // and the size of their records
    std::array<uint64_t, kPageCount> retiredBefore{};  // a page's rows before this offset are retired
    uint64_t end = 0;                                  // end of the last readable record
};

// Long work of the journal (a restore) reports here, as data files do.
struct JournalProgress {
    std::function<void(bool busy, bool large)> busy;
    std::function<bool(double fraction)> progress;  // false: stop
};

class RecoveryJournal {
public:
    // `path` is UTF-8; see JournalPathFor.
    explicit RecoveryJournal(std::string path);

    const std::string& Path() const { return path_; }

    // Takes the file for this run and keeps what an earlier run left in it
    // (see Leftover) until OfferRestore decides about it. Creates the file
    // when `create` is set. Busy when a running program owns it.
    JournalFile::TakeResult Take(bool create = true);

    // Takes the file and empties it. False when it cannot be taken; the
    // journal then records nothing.
    bool Open();
    bool IsOpen() const { return file_.IsOpen(); }

    const JournalLeftover& Leftover() const { return leftover_; }

    // Records a row of the page.
    void Append(int page, const std::vector<std::string_view>& cells);

    // The page's rows are safe (saved) or gone on purpose (cleared, replaced
    // by a loaded file). When no page has rows left the file is emptied.
    void Retire(int page);

    // A normal end of the run: the file is removed.
    void CloseCleanly();

    // Records every row the decoder commits, read back from the model, and
    // retires the pages whose rows the model reports settled.
    void Attach(ReplyDecoder& decoder, MainModel& model);

    // Rows of the page recorded and not retired in this run.
    int PendingRows(int page) const { return pending_.at(size_t(page)).rows; }

    // A journal that failed to write tries again now (rewritten from the
    // tables); true when it records again. Rows and retires try again by
    // themselves every few seconds.
    bool Retry();

    // Empty while the journal records; otherwise (UTF-8) why it does not,
    // meant to stay visible until that changes: the file and the reason, and
    // the reason alone in a few words for a narrow place.
    std::string StatusText() const;
    std::string ShortStatusText() const;
    // Whether Retry can still help: the file is open, or taking it failed
    // and may work later (a settings folder that becomes writable).
    bool CanRetry() const { return file_.IsOpen() || retake_; }
    void SetStatusListener(std::function<void()> listener) { statusListener_ = std::move(listener); }

    // The rows a journal file holds that were never retired, in arrival order.
    // A missing or foreign file holds none. `damaged` receives the number of
    // unreadable records skipped.
    static std::vector<JournalRow> ReadPending(const std::string& path, int* damaged = nullptr);
    // The same for a journal's bytes held in memory.
    static std::vector<JournalRow> ReadPendingBytes(std::string_view bytes, int* damaged = nullptr);

    // Appends the rows to their tables as the decoder would have (column 0
    // renumbered to the row they land in), charts them and marks their pages
    // unsaved. Rows that do not fit their table (wrong cell count, chart
    // cells that are not numbers) are skipped. Returns the number restored.
    static int Restore(MainModel& model, const std::vector<JournalRow>& rows);

    // Start-up, after Take: asks whether to put back what an earlier run
    // left, and does so on Yes (the rows stay in the file as this run's
    // unsaved rows); on No they are given up. Rows received meanwhile are
    // recorded as usual and land before the restored ones. Returns the
    // number of rows restored.
    int OfferRestore(MainModel& model, Prompt& prompt, const JournalProgress& progress = {});

    // Take, then OfferRestore (no progress).
    int OpenAndOfferRestore(MainModel& model, Prompt& prompt);

private:
    struct Pending {
        int rows = 0;
        uint64_t bytes = 0;  // of their records
    };

    bool Write(const std::string& payload);
    void Fail(const std::string& reason);
    // Replaces the file with one holding the pending rows only, read from
    // the tables. False (the file as it was) when that cannot be written.
    bool Rewrite();
    // Takes the file that could not be taken at the start, empty.
    bool Retake();
    void RetryAfterFailure();
    int RestoreLeftover(MainModel& model, const JournalProgress& progress);
    void StatusChanged();

    std::string path_;
    JournalFile file_;
    MainModel* model_ = nullptr;
    JournalLeftover leftover_;
    bool offerOpen_ = false;  // an earlier run's rows await the answer
    std::array<Pending, kPageCount> pending_{};
    uint64_t size_ = 0;
    std::string failure_;  // why the file is not written, empty when it is
    bool retake_ = false;  // the file could not be taken and is tried again
    std::chrono::steady_clock::time_point lastSync_{};
    std::chrono::steady_clock::time_point lastRetry_{};
    std::function<void()> statusListener_;
};

// The journal of the copy-th running copy beside the settings file: its
// path with the extension replaced by ".journal" for the first copy,
// "-2.journal" for the second and so on.
std::string JournalPathFor(const std::string& settingsPath, int copy = 1);

// The journal a starting copy of the program takes: the first one free of a
// running owner that an earlier run left rows in, else the first free one.
// `copy` receives its number (1 when no other copy runs). The journal is not
// open when none could be taken (see its StatusText).
std::unique_ptr<RecoveryJournal> TakeJournal(const std::string& settingsPath, int& copy);

// How many copies of the program can run each with its own journal.
constexpr int kMaxCopies = 16;

// Texts (UTF-8). The start-up question, %1 standing for the row count, and
// its addition when records were damaged, %1 standing for their number.
extern const char* const kRestoreQuestion;
extern const char* const kRestoreDamagedText;
// The status of a journal that cannot be written, followed by the reason.
extern const char* const kJournalWriteErrorText;
// Its short form, followed by the reason alone.
extern const char* const kJournalShortErrorText;
// What a second copy of the program says at its start.
extern const char* const kSecondCopyText;

}  // namespace vornik
