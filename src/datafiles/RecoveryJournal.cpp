#include "datafiles/RecoveryJournal.h"

#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "core/Errors.h"
#include "core/Prompt.h"
#include "core/Conversion.h"
#include "reception/ReplyDecoder.h"
#include "reception/ReplyFormat.h"
#include "tables/MainModel.h"

namespace vornik {

const char* const kRestoreQuestion =
    "Работа программы была прервана.\r\nВосстановить несохранённые данные (строк: %1)?";
const char* const kJournalWriteErrorText = "Ошибка записи журнала восстановления! ";

namespace {

namespace fs = std::filesystem;

constexpr char kHeader[8] = {'V', 'J', 'R', 'N', 1, 0, 0, 0};
constexpr uint8_t kRowRecord = 1;
constexpr uint8_t kRetireRecord = 2;
// A length beyond this is not a record of ours but garbage in a torn tail.
constexpr uint32_t kMaxPayload = 16u << 20;

uint32_t Crc32(const char* data, size_t size) {
    static const auto table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    uint32_t crc = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i) crc = table[(crc ^ uint8_t(data[i])) & 0xFF] ^ (crc >> 8);
    return crc ^ 0xFFFFFFFFu;
}

void PutU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
}

// Reads a u32 at `pos` of `bytes`, moving `pos`; false past the end.
bool GetU32(std::string_view bytes, size_t& pos, uint32_t& v) {
    if (bytes.size() - pos < 4) return false;
    v = 0;
    for (int i = 0; i < 4; ++i) v |= uint32_t(uint8_t(bytes[pos + size_t(i)])) << (8 * i);
    pos += 4;
    return true;
}

// The cells of a row record's payload (after type and page); false when the
// payload is not a well-formed row.
bool ParseCells(std::string_view payload, size_t pos, std::vector<std::string>& cells) {
    uint32_t count = 0;
    if (!GetU32(payload, pos, count) || count > payload.size()) return false;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t length = 0;
        if (!GetU32(payload, pos, length) || payload.size() - pos < length) return false;
        cells.emplace_back(payload.substr(pos, length));
        pos += length;
    }
    return pos == payload.size();
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(fs::u8path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The instrument's number in column 0 as the decoder wrote it: the text
// after the row index and "/".
std::string InstrumentNumber(const std::string& cell) {
    const size_t slash = cell.find('/');
    return slash == std::string::npos ? cell : cell.substr(slash + 1);
}

// Every cell of a table row, as the journal records it.
std::vector<std::string_view> CellsOf(const MeasurementTable& table, int row) {
    std::vector<std::string_view> cells;
    cells.reserve(size_t(table.ColumnCount()));
    for (int c = 0; c < table.ColumnCount(); ++c) cells.push_back(table.Cell(c, row));
    return cells;
}

}  // namespace

std::string JournalPathFor(const std::string& settingsPath) {
    fs::path p = fs::u8path(settingsPath);
    p.replace_extension(".journal");
    return p.u8string();
}

RecoveryJournal::RecoveryJournal(std::string path) : path_(std::move(path)) {}

bool RecoveryJournal::Open() {
    pending_ = {};
    if (!file_.Create(path_) || !file_.Append(kHeader, sizeof kHeader)) {
        file_.Close();
        return false;
    }
    lastSync_ = std::chrono::steady_clock::now();
    return true;
}

void RecoveryJournal::Write(const std::string& payload) {
    if (!file_.IsOpen()) return;
    std::string record;
    record.reserve(8 + payload.size());
    PutU32(record, uint32_t(payload.size()));
    PutU32(record, Crc32(payload.data(), payload.size()));
    record += payload;
    if (!file_.Append(record.data(), record.size())) {
        file_.Close();
        throw VornikError(kJournalWriteErrorText + path_);
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - lastSync_ >= std::chrono::seconds(1)) {
        file_.Sync();
        lastSync_ = now;
    }
}

void RecoveryJournal::Append(int page, const std::vector<std::string_view>& cells) {
    if (!file_.IsOpen()) return;
    std::string payload;
    payload += char(kRowRecord);
    payload += char(page);
    PutU32(payload, uint32_t(cells.size()));
    for (std::string_view cell : cells) {
        PutU32(payload, uint32_t(cell.size()));
        payload.append(cell.data(), cell.size());
    }
    Write(payload);
    ++pending_.at(size_t(page));
}

void RecoveryJournal::Retire(int page) {
    if (!file_.IsOpen()) return;
    pending_.at(size_t(page)) = 0;
    for (int n : pending_)
        if (n > 0) {
            Write(std::string{char(kRetireRecord), char(page)});
            return;
        }
    // Nothing left to recover: drop the records instead of piling up retires.
    if (!file_.Truncate(sizeof kHeader)) {
        file_.Close();
        throw VornikError(kJournalWriteErrorText + path_);
    }
}

void RecoveryJournal::RetireSaved(const MainModel& model) {
    for (int page = 0; page < kPageCount; ++page)
        if (!model.NewData(page) && pending_[size_t(page)] > 0) Retire(page);
}

void RecoveryJournal::CloseCleanly() {
    file_.Close();
    pending_ = {};
    std::error_code ec;
    fs::remove(fs::u8path(path_), ec);
}

void RecoveryJournal::Attach(ReplyDecoder& decoder, const MainModel& model) {
    decoder.AddRowListener([this, &model](int page, int row) {
        Append(page, CellsOf(model.Table(page), row));
    });
}

std::vector<JournalRow> RecoveryJournal::ReadPending(const std::string& path) {
    const std::string bytes = ReadWholeFile(path);
    std::vector<JournalRow> rows;
    if (bytes.size() < sizeof kHeader || bytes.compare(0, sizeof kHeader, kHeader, sizeof kHeader) != 0)
        return rows;

    const std::string_view all(bytes);
    size_t pos = sizeof kHeader;
    for (;;) {
        uint32_t length = 0, crc = 0;
        if (!GetU32(all, pos, length) || !GetU32(all, pos, crc)) break;
        if (length < 2 || length > kMaxPayload || all.size() - pos < length) break;
        const std::string_view payload = all.substr(pos, length);
        if (Crc32(payload.data(), payload.size()) != crc) break;
        pos += length;

        const int page = uint8_t(payload[1]);
        if (page >= kPageCount) break;
        if (uint8_t(payload[0]) == kRowRecord) {
            JournalRow row{page, {}};
            if (!ParseCells(payload, 2, row.cells)) break;
            rows.push_back(std::move(row));
        } else if (uint8_t(payload[0]) == kRetireRecord) {
            std::vector<JournalRow> kept;
            for (auto& r : rows)
                if (r.page != page) kept.push_back(std::move(r));
            rows.swap(kept);
        } else {
            break;
        }
    }
    return rows;
}

int RecoveryJournal::Restore(MainModel& model, const std::vector<JournalRow>& rows) {
    int restored = 0;
    std::string writeError;
    for (const JournalRow& source : rows) {
        if (source.page < 0 || source.page >= kPageCount || source.cells.empty()) continue;
        const int page = source.page;
        std::vector<std::string> cells = source.cells;
        cells[0] = InstrumentNumber(cells[0]);
        int row = 0;
        try {
            row = model.CommitRow(page, std::move(cells));
        } catch (const VornikError&) {
            continue;  // does not fit its table
        }
        ++restored;
        // A journal that stops recording must not stop the restore.
        try {
            Append(page, CellsOf(model.Table(page), row));
        } catch (const VornikError& e) {
            writeError = e.what();
        }
    }
    if (!writeError.empty()) throw VornikError(writeError);
    return restored;
}

int RecoveryJournal::OpenAndOfferRestore(MainModel& model, Prompt& prompt) {
    const std::vector<JournalRow> rows = ReadPending(path_);
    bool restore = false;
    if (!rows.empty()) {
        std::string question = kRestoreQuestion;
        question.replace(question.find("%1"), 2, std::to_string(rows.size()));
        restore = prompt.AskYesNo(question);
    }
    Open();
    return restore ? Restore(model, rows) : 0;
}

}  // namespace vornik
