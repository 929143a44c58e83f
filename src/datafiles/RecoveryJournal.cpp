#include "datafiles/RecoveryJournal.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>

#include "core/Errors.h"
#include "core/Prompt.h"
#include "core/RegularFile.h"
#include "core/Conversion.h"
#include "reception/ReplyDecoder.h"
#include "reception/ReplyFormat.h"
#include "tables/MainModel.h"

namespace vornik {

const char* const kRestoreQuestion =
    "Работа программы была прервана.\r\nВосстановить несохранённые данные (строк: %1)?";
const char* const kRestoreDamagedText = "Повреждённых записей журнала: %1, их строки не восстановить.";
const char* const kJournalWriteErrorText = "Журнал восстановления не записывается, принятые строки не защищены от сбоя: ";
const char* const kJournalShortErrorText = "Журнал восстановления не записывается: ";
const char* const kSecondCopyText =
    "Программа уже запущена.\r\nЭта копия хранит принятые строки в своём журнале восстановления; "
    "порт, открытый другой копией, ей недоступен.";

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char kHeader[8] = {'V', 'J', 'R', 'N', 1, 0, 0, 0};
constexpr uint64_t kHeaderSize = sizeof kHeader;
constexpr uint8_t kRowRecord = 1;
constexpr uint8_t kRetireRecord = 2;
// A row record is at most a few kilobytes (20 cells of a 255-byte reply); a
// length beyond this is damage, not a record.
constexpr uint32_t kMaxPayload = 64u << 10;
// The file is rewritten once retired records make up more than half of it,
// and not below this size.
constexpr uint64_t kRewriteFloor = 256u << 10;
constexpr auto kRetryInterval = std::chrono::seconds(2);
// Restores of more rows than this show a progress dialog.
constexpr int kLargeRestore = 100000;

// CRC-32 (the polynomial of zip and PNG), eight bytes per step: restoring a
// journal of a million rows reads a quarter of a gigabyte through it.
uint32_t Crc32(std::string_view data) {
    static const auto tables = [] {
        std::array<std::array<uint32_t, 256>, 8> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (uint32_t i = 0; i < 256; ++i)
            for (size_t k = 1; k < 8; ++k) t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    const auto* p = reinterpret_cast<const uint8_t*>(data.data());
    size_t n = data.size();
    for (; n >= 8; p += 8, n -= 8) {
        const uint32_t lo = crc ^ (uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24);
        crc = tables[7][lo & 0xFF] ^ tables[6][(lo >> 8) & 0xFF] ^ tables[5][(lo >> 16) & 0xFF] ^ tables[4][lo >> 24] ^
              tables[3][p[4]] ^ tables[2][p[5]] ^ tables[1][p[6]] ^ tables[0][p[7]];
    }
    for (; n > 0; ++p, --n) crc = tables[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void PutU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
}

uint32_t U32At(std::string_view bytes, size_t pos) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(uint8_t(bytes[pos + size_t(i)])) << (8 * i);
    return v;
}

std::string RowPayload(int page, const std::vector<std::string_view>& cells) {
    std::string payload;
    payload += char(kRowRecord);
    payload += char(page);
    PutU32(payload, uint32_t(cells.size()));
    for (std::string_view cell : cells) {
        PutU32(payload, uint32_t(cell.size()));
        payload.append(cell.data(), cell.size());
    }
    return payload;
}

void AppendRecord(std::string& out, const std::string& payload) {
    PutU32(out, uint32_t(payload.size()));
    PutU32(out, Crc32(payload));
    out += payload;
}

// The cells of a row record's payload (views into it); false when the
// payload is not a well-formed row.
bool ParseCells(std::string_view payload, std::vector<std::string_view>& cells) {
    cells.clear();
    size_t pos = 2;
    if (payload.size() - pos < 4) return false;
    const uint32_t count = U32At(payload, pos);
    pos += 4;
    if (count > payload.size()) return false;
    for (uint32_t i = 0; i < count; ++i) {
        if (payload.size() - pos < 4) return false;
        const uint32_t length = U32At(payload, pos);
        pos += 4;
        if (payload.size() - pos < length) return false;
        cells.push_back(payload.substr(pos, length));
        pos += length;
    }
    return pos == payload.size();
}

// Reads a journal file through a window of a fixed size, so that a file of
// any size costs the same memory; or a journal's bytes held in memory.
class ByteSource {
public:
    explicit ByteSource(const std::string& path) : file_(OpenRegularFile(path)) {
        if (file_ && Seek(0, SEEK_END)) size_ = Tell();
    }
    explicit ByteSource(std::string_view bytes) : file_(nullptr), memory_(bytes), inMemory_(true), size_(bytes.size()) {}
    ~ByteSource() {
        if (file_) std::fclose(file_);
    }
    ByteSource(const ByteSource&) = delete;
    ByteSource& operator=(const ByteSource&) = delete;

    uint64_t Size() const { return size_; }

    // The n bytes at `offset`, valid until the next call; false past the end.
    bool Get(uint64_t offset, size_t n, std::string_view& out) {
        if (offset + n > size_) return false;
        if (inMemory_) {
            out = memory_.substr(size_t(offset), n);
            return true;
        }
        if (!file_) return false;
        if (offset < start_ || offset + n > start_ + filled_) {
            // No larger than the file: a small journal needs no large window.
            if (window_.size() < n) window_.resize(std::max<size_t>(n, size_t(std::min<uint64_t>(kWindow, size_))));
            if (!Seek(offset, SEEK_SET)) return false;
            filled_ = std::fread(window_.data(), 1, window_.size(), file_);
            start_ = offset;
            if (filled_ < n) return false;
        }
        out = std::string_view(window_.data() + (offset - start_), n);
        return true;
    }

private:
    static constexpr size_t kWindow = 256u << 10;

    bool Seek(uint64_t offset, int whence) {
#ifdef _WIN32
        return _fseeki64(file_, static_cast<long long>(offset), whence) == 0;
#else
        return fseeko(file_, off_t(offset), whence) == 0;
#endif
    }
    uint64_t Tell() {
#ifdef _WIN32
        return uint64_t(_ftelli64(file_));
#else
        return uint64_t(ftello(file_));
#endif
    }

    std::FILE* file_;
    std::string_view memory_;
    bool inMemory_ = false;
    uint64_t size_ = 0;
    uint64_t start_ = 0;
    size_t filled_ = 0;
    std::vector<char> window_;
};

struct Record {
    uint64_t offset = 0;
    uint64_t end = 0;
    uint8_t type = 0;
    int page = 0;
    std::string_view payload;  // valid until the source is read again
};

// The record at `pos` when it is whole, passes its checksum and is of a kind
// this program writes.
bool ReadRecord(ByteSource& source, uint64_t pos, uint64_t limit, Record& record,
                std::vector<std::string_view>& cells) {
    std::string_view head;
    if (pos + 8 > limit || !source.Get(pos, 8, head)) return false;
    const uint32_t length = U32At(head, 0);
    const uint32_t crc = U32At(head, 4);
    if (length < 2 || length > kMaxPayload || pos + 8 + length > limit) return false;
    std::string_view payload;
    if (!source.Get(pos + 8, length, payload) || Crc32(payload) != crc) return false;
    record = {pos, pos + 8 + length, uint8_t(payload[0]), uint8_t(payload[1]), payload};
    if (record.page >= kPageCount) return false;
    if (record.type == kRetireRecord) return length == 2;
    return record.type == kRowRecord && ParseCells(payload, cells);
}

// Visits every readable record between the header and `limit`, a row
// record with its cells. A stretch of unreadable bytes followed by a
// readable record counts as one damaged record; unreadable bytes up to the
// limit are a torn tail. Stops early when the visitor returns false.
// Returns the end of the last readable record.
template <class Visit>
uint64_t ForEachRecord(ByteSource& source, uint64_t limit, int& damaged, Visit visit) {
    uint64_t pos = kHeaderSize, lastEnd = kHeaderSize;
    bool inDamage = false;
    Record record;
    std::vector<std::string_view> cells;
    while (pos < limit) {
        if (!ReadRecord(source, pos, limit, record, cells)) {
            inDamage = true;
            ++pos;
            continue;
        }
        if (inDamage) ++damaged;
        inDamage = false;
        pos = lastEnd = record.end;
        if (!visit(record, cells)) break;
    }
    return lastEnd;
}

bool HasHeader(ByteSource& source) {
    std::string_view head;
    return source.Get(0, kHeaderSize, head) && head == std::string_view(kHeader, kHeaderSize);
}

// What the file holds; false when it is not a journal.
bool ScanLeftover(ByteSource& source, JournalLeftover& leftover) {
    leftover = {};
    if (!HasHeader(source)) return false;
    leftover.end = ForEachRecord(source, source.Size(), leftover.damaged, [&](const Record& r, const auto&) {
        const size_t page = size_t(r.page);
        if (r.type == kRetireRecord) {
            leftover.retiredBefore[page] = r.offset;
            leftover.pageRows[page] = 0;
            leftover.pageBytes[page] = 0;
        } else {
            ++leftover.pageRows[page];
            leftover.pageBytes[page] += r.end - r.offset;
        }
        return true;
    });
    for (int n : leftover.pageRows) leftover.rows += n;
    return true;
}

// Visits the rows never retired, in arrival order, until the visitor
// returns false.
template <class Visit>
void ForEachPendingRow(ByteSource& source, const JournalLeftover& leftover, Visit visit) {
    int damaged = 0;
    ForEachRecord(source, leftover.end, damaged, [&](const Record& r, const std::vector<std::string_view>& cells) {
        if (r.type != kRowRecord || r.offset < leftover.retiredBefore[size_t(r.page)]) return true;
        return visit(r, cells);
    });
}

std::string WithCount(const char* text, int count) {
    std::string out = text;
    out.replace(out.find("%1"), 2, std::to_string(count));
    return out;
}

// Puts rows into their tables through the commit reception uses; the window
// hears of the tables and the page state once, at the end.
class RowRestorer {
public:
    explicit RowRestorer(MainModel& model) : model_(model) {
        model_.BeginBulk();
        for (int page = 0; page < kPageCount; ++page) model_.Table(page).BeginUpdate();
    }
    ~RowRestorer() {
        for (int page = 0; page < kPageCount; ++page) model_.Table(page).EndUpdate();
        model_.EndBulk();
    }
    RowRestorer(const RowRestorer&) = delete;
    RowRestorer& operator=(const RowRestorer&) = delete;

    // Room for rows whose records take `recordBytes` in the journal.
    void Reserve(int page, int rows, uint64_t recordBytes) {
        MeasurementTable& table = model_.Table(page);
        const uint64_t overhead = 14 + 4 * uint64_t(table.ColumnCount());
        const uint64_t text = recordBytes > overhead * uint64_t(rows) ? recordBytes - overhead * uint64_t(rows) : 0;
        const uint64_t ends = uint64_t(rows) * uint64_t(table.ColumnCount());
        if (rows > 0) table.Reserve(table.RowCount() + rows, table.MemoryBytes() + size_t(text + ends));
    }

    // False when the row does not fit its table.
    bool Add(int page, const std::vector<std::string_view>& cells) {
        if (cells.empty()) return false;
        std::vector<std::string> row(cells.begin(), cells.end());
        // Column 0 as recorded is "<row>/<instrument's number>"; the commit
        // numbers it by the row it lands in.
        const size_t slash = row[0].find('/');
        if (slash != std::string::npos) row[0].erase(0, slash + 1);
        try {
            model_.CommitRow(page, std::move(row));
        } catch (const VornikError&) {
            return false;
        }
        return true;
    }

private:
    MainModel& model_;
};

}  // namespace

std::string JournalPathFor(const std::string& settingsPath, int copy) {
    fs::path p = fs::u8path(settingsPath);
    p.replace_extension(copy > 1 ? "" : ".journal");
    if (copy > 1) p += "-" + std::to_string(copy) + ".journal";
    return p.u8string();
}

std::unique_ptr<RecoveryJournal> TakeJournal(const std::string& settingsPath, int& copy) {
    // Rows of a copy that crashed come first, whatever its number was.
    std::unique_ptr<RecoveryJournal> firstFree;
    for (int c = 1; c <= kMaxCopies; ++c) {
        auto journal = std::make_unique<RecoveryJournal>(JournalPathFor(settingsPath, c));
        if (journal->Take(false) != JournalFile::TakeResult::Taken) continue;
        if (journal->Leftover().rows > 0 || journal->Leftover().damaged > 0) {
            copy = c;
            return journal;
        }
        if (!firstFree) {
            firstFree = std::move(journal);
            copy = c;
        }
    }
    if (firstFree) return firstFree;
    std::unique_ptr<RecoveryJournal> journal;
    for (copy = 1; copy <= kMaxCopies; ++copy) {
        journal = std::make_unique<RecoveryJournal>(JournalPathFor(settingsPath, copy));
        if (journal->Take(true) != JournalFile::TakeResult::Busy) break;
    }
    copy = std::min(copy, kMaxCopies);
    return journal;
}

RecoveryJournal::RecoveryJournal(std::string path) : path_(std::move(path)) {}

JournalFile::TakeResult RecoveryJournal::Take(bool create) {
    pending_ = {};
    leftover_ = {};
    offerOpen_ = false;
    failure_.clear();
    retake_ = false;
    const auto result = file_.Take(path_, create);
    if (result == JournalFile::TakeResult::Busy) failure_ = "used by another running copy of the program";
    if (result != JournalFile::TakeResult::Taken) {
        if (result == JournalFile::TakeResult::Failed) {
            failure_ = file_.ErrorText();
            // Tried again as a failed write is: the folder may become writable.
            retake_ = create;
        }
        return result;
    }
    bool journal = false;
    {
        ByteSource source(path_);
        journal = ScanLeftover(source, leftover_);
        size_ = source.Size();
    }
    // A torn tail goes, so that the rows of this run follow whole records.
    const bool cut = journal ? leftover_.end == size_ || file_.Truncate(leftover_.end)
                             : file_.Truncate(0) && file_.Append(kHeader, kHeaderSize);
    if (!cut) {
        failure_ = file_.ErrorText();
        file_.Close();
        return JournalFile::TakeResult::Failed;
    }
    if (!journal) leftover_ = {};
    size_ = journal ? leftover_.end : kHeaderSize;
    offerOpen_ = leftover_.rows > 0;
    lastSync_ = Clock::now();
    return result;
}

bool RecoveryJournal::Open() {
    if (Take() != JournalFile::TakeResult::Taken) return false;
    leftover_ = {};
    offerOpen_ = false;
    size_ = kHeaderSize;
    if (file_.Truncate(kHeaderSize) || (file_.Truncate(0) && file_.Append(kHeader, kHeaderSize))) return true;
    failure_ = file_.ErrorText();
    file_.Close();
    return false;
}

void RecoveryJournal::StatusChanged() {
    if (statusListener_) statusListener_();
}

void RecoveryJournal::Fail(const std::string& reason) {
    const bool changed = failure_.empty();
    failure_ = reason;
    lastRetry_ = Clock::now();
    if (changed) StatusChanged();
}

std::string RecoveryJournal::StatusText() const {
    if (failure_.empty()) return {};
    return kJournalWriteErrorText + path_ + " (" + failure_ + ")";
}

std::string RecoveryJournal::ShortStatusText() const {
    if (failure_.empty()) return {};
    return kJournalShortErrorText + failure_;
}

bool RecoveryJournal::Write(const std::string& payload) {
    if (!file_.IsOpen() || !failure_.empty()) return false;
    std::string record;
    record.reserve(8 + payload.size());
    AppendRecord(record, payload);
    if (!file_.Append(record.data(), record.size())) {
        Fail(file_.ErrorText());
        return false;
    }
    size_ += record.size();
    const auto now = Clock::now();
    if (now - lastSync_ >= std::chrono::seconds(1)) {
        file_.Sync();
        lastSync_ = now;
    }
    return true;
}

void RecoveryJournal::Append(int page, const std::vector<std::string_view>& cells) {
    if (!file_.IsOpen() && !retake_) return;
    Pending& pending = pending_.at(size_t(page));
    ++pending.rows;
    if (!failure_.empty()) {
        RetryAfterFailure();
        return;
    }
    const std::string payload = RowPayload(page, cells);
    if (Write(payload)) pending.bytes += 8 + payload.size();
}

void RecoveryJournal::Retire(int page) {
    Pending& pending = pending_.at(size_t(page));
    // While the question about an earlier run's rows is open, a retire
    // record would retire them too: the rows stay recorded instead.
    if ((!file_.IsOpen() && !retake_) || pending.rows == 0 || offerOpen_) return;
    pending = {};
    if (!failure_.empty()) {
        RetryAfterFailure();
        return;
    }
    uint64_t live = kHeaderSize;
    for (const Pending& p : pending_) live += p.bytes;
    if (std::all_of(pending_.begin(), pending_.end(), [](const Pending& p) { return p.rows == 0; })) {
        // Nothing left to recover: drop the records instead of piling up retires.
        if (file_.Truncate(kHeaderSize))
            size_ = kHeaderSize;
        else
            Fail(file_.ErrorText());
        return;
    }
    if (!Write(std::string{char(kRetireRecord), char(page)})) return;
    // A rewrite that fails leaves the file as it was, which is still right.
    if (size_ > kRewriteFloor && live * 2 < size_) Rewrite();
}

void RecoveryJournal::RetryAfterFailure() {
    if (Clock::now() - lastRetry_ >= kRetryInterval) Retry();
}

bool RecoveryJournal::Retry() {
    if (failure_.empty()) return true;
    lastRetry_ = Clock::now();
    if (!file_.IsOpen() && !(retake_ && Retake())) return false;
    if (!Rewrite()) return false;
    failure_.clear();
    StatusChanged();
    return true;
}

bool RecoveryJournal::Retake() {
    if (file_.Take(path_, true) != JournalFile::TakeResult::Taken) return false;
    JournalLeftover found;
    bool journal = false;
    {
        ByteSource source(path_);
        journal = ScanLeftover(source, found);
    }
    // Rows another run left meanwhile are not this run's to replace: they
    // wait for the next start.
    if (journal && (found.rows > 0 || found.damaged > 0)) {
        file_.Close();
        return false;
    }
    if (!file_.Truncate(0) || !file_.Append(kHeader, kHeaderSize)) {
        file_.Close();
        return false;
    }
    size_ = kHeaderSize;
    retake_ = false;
    lastSync_ = Clock::now();
    return true;
}

bool RecoveryJournal::Rewrite() {
    if (!model_ || offerOpen_ || !file_.IsOpen()) return false;
    const std::string freshPath = path_ + ".new";
    JournalFile fresh;
    if (fresh.Take(freshPath, true) != JournalFile::TakeResult::Taken) return false;
    std::array<Pending, kPageCount> written{};
    std::string buffer(kHeader, kHeaderSize);
    uint64_t size = 0;
    bool ok = fresh.Truncate(0);
    for (int page = 0; page < kPageCount && ok; ++page) {
        const MeasurementTable& table = model_->Table(page);
        const int dataRows = table.IsEmpty() ? 0 : table.RowCount() - 1;
        const int rows = std::min(pending_[size_t(page)].rows, dataRows);
        std::vector<std::string_view> cells(size_t(table.ColumnCount()));
        for (int row = table.RowCount() - rows; row < table.RowCount() && ok; ++row) {
            for (int c = 0; c < table.ColumnCount(); ++c) cells[size_t(c)] = table.Cell(c, row);
            const size_t before = buffer.size();
            AppendRecord(buffer, RowPayload(page, cells));
            written[size_t(page)].rows += 1;
            written[size_t(page)].bytes += buffer.size() - before;
            if (buffer.size() >= (1u << 20)) {
                ok = fresh.Append(buffer.data(), buffer.size());
                size += buffer.size();
                buffer.clear();
            }
        }
    }
    ok = ok && fresh.Append(buffer.data(), buffer.size()) && fresh.Sync() && file_.Replace(fresh, freshPath, path_);
    if (!ok) {
        fresh.Remove(freshPath);
        if (!file_.IsOpen()) Fail(file_.ErrorText());  // lost to another copy while replacing
        return false;
    }
    pending_ = written;
    size_ = size + buffer.size();
    lastSync_ = Clock::now();
    return true;
}

void RecoveryJournal::CloseCleanly() {
    file_.Remove(path_);
    pending_ = {};
}

void RecoveryJournal::Attach(ReplyDecoder& decoder, MainModel& model) {
    model_ = &model;
    decoder.AddRowListener([this, &model](int page, int row) {
        const MeasurementTable& table = model.Table(page);
        std::vector<std::string_view> cells;
        cells.reserve(size_t(table.ColumnCount()));
        for (int c = 0; c < table.ColumnCount(); ++c) cells.push_back(table.Cell(c, row));
        Append(page, cells);
    });
    model.AddRowsSettledListener([this](int page) { Retire(page); });
}

namespace {

std::vector<JournalRow> ReadRowsPending(ByteSource& source, int* damaged) {
    std::vector<JournalRow> rows;
    JournalLeftover leftover;
    if (!ScanLeftover(source, leftover)) return rows;
    if (damaged) *damaged = leftover.damaged;
    ForEachPendingRow(source, leftover, [&](const Record& r, const std::vector<std::string_view>& cells) {
        rows.push_back({r.page, std::vector<std::string>(cells.begin(), cells.end())});
        return true;
    });
    return rows;
}

}  // namespace

std::vector<JournalRow> RecoveryJournal::ReadPending(const std::string& path, int* damaged) {
    ByteSource source(path);
    return ReadRowsPending(source, damaged);
}

std::vector<JournalRow> RecoveryJournal::ReadPendingBytes(std::string_view bytes, int* damaged) {
    ByteSource source(bytes);
    return ReadRowsPending(source, damaged);
}

int RecoveryJournal::Restore(MainModel& model, const std::vector<JournalRow>& rows) {
    int restored = 0;
    RowRestorer restorer(model);
    std::vector<std::string_view> cells;
    for (const JournalRow& row : rows) {
        cells.assign(row.cells.begin(), row.cells.end());
        if (row.page >= 0 && row.page < kPageCount && restorer.Add(row.page, cells)) ++restored;
    }
    return restored;
}

int RecoveryJournal::RestoreLeftover(MainModel& model, const JournalProgress& progress) {
    struct BusyScope {
        const JournalProgress& p;
        BusyScope(const JournalProgress& progress, bool large) : p(progress) {
            if (p.busy) p.busy(true, large);
        }
        ~BusyScope() {
            if (p.busy) p.busy(false, false);
        }
    } busy(progress, leftover_.rows > kLargeRestore);

    int restored = 0;
    ByteSource source(path_);
    RowRestorer restorer(model);
    for (int page = 0; page < kPageCount; ++page)
        restorer.Reserve(page, leftover_.pageRows[size_t(page)], leftover_.pageBytes[size_t(page)]);
    ForEachPendingRow(source, leftover_, [&](const Record& r, const std::vector<std::string_view>& cells) {
        if (!restorer.Add(r.page, cells)) return true;
        // The record stays in the file as this run's.
        pending_[size_t(r.page)].rows += 1;
        pending_[size_t(r.page)].bytes += r.end - r.offset;
        ++restored;
        return restored % 4096 != 0 || !progress.progress || progress.progress(double(r.end) / double(leftover_.end));
    });
    return restored;
}

int RecoveryJournal::OfferRestore(MainModel& model, Prompt& prompt, const JournalProgress& progress) {
    if (!file_.IsOpen()) return 0;
    if (!model_) model_ = &model;
    const JournalLeftover leftover = leftover_;
    const std::string damaged = leftover.damaged > 0 ? WithCount(kRestoreDamagedText, leftover.damaged) : "";
    if (leftover.rows == 0) {
        if (!damaged.empty()) prompt.ShowError(damaged);
        return 0;
    }
    std::string question = WithCount(kRestoreQuestion, leftover.rows);
    if (!damaged.empty()) question += "\r\n" + damaged;
    const bool restore = prompt.AskYesNo(question);
    int restored = 0;
    try {
        if (restore) restored = RestoreLeftover(model, progress);
    } catch (...) {
        // The earlier run's rows stay in the file.
        offerOpen_ = false;
        throw;
    }
    offerOpen_ = false;
    // Rows given up (all on No, a stopped restore's rest, rows that did not
    // fit) leave the file; should that fail, they stay and are offered again.
    if (restored < leftover.rows) Rewrite();
    return restored;
}

int RecoveryJournal::OpenAndOfferRestore(MainModel& model, Prompt& prompt) {
    Take();
    return OfferRestore(model, prompt);
}

}  // namespace vornik
