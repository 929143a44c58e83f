#include "headless/HeadlessLogger.h"

#include <filesystem>
#include <vector>

#include "core/Clock.h"
#include "core/Errors.h"
#include "datafiles/DataFile.h"
#include "headless/DayFileAppend.h"
#include "reception/ReplyDecoder.h"
#include "tables/Headers.h"
#include "tables/MainModel.h"

namespace vornik {
namespace {

namespace fs = std::filesystem;

template <typename Cells>
std::string Line(const Cells& cells) {
    std::string line;
    for (const auto& cell : cells) {
        line += cell;
        line += '\t';
    }
    return line + "\r\n";
}

fs::path PathOf(const std::string& utf8) { return fs::u8path(utf8); }

// A batch of kept rows stays a modest write.
constexpr size_t kBatchBytes = 1 << 20;

}  // namespace

HeadlessLogger::HeadlessLogger(const MainModel& model, const Clock& clock, std::string folder,
                               std::string prefix)
    : model_(model), clock_(clock), folder_(std::move(folder)), prefix_(std::move(prefix)) {}

void HeadlessLogger::Attach(ReplyDecoder& decoder) {
    decoder.AddRowListener([this](int page, int row) { AppendRow(page, row); });
}

std::string HeadlessLogger::FilePath(int page) const {
    const std::string name = DatedDataFileName(prefix_, clock_.Now(), page);
    return (PathOf(folder_) / PathOf(name)).u8string();
}

void HeadlessLogger::AppendRow(int page, int row) {
    const std::string path = FilePath(page);
    const MeasurementTable& table = model_.Table(page);
    std::vector<std::string> cells;
    for (int c = 0; c < table.ColumnCount(); ++c) cells.emplace_back(table.Cell(c, row));
    // The first cell is "<row>/<reply number>"; the row part is the file's
    // own, numbered when the line is appended.
    const size_t slash = cells[0].find('/');
    if (slash != std::string::npos) cells[0].erase(0, slash);

    const bool wasWriting = kept_.empty();
    kept_.push_back(Pending{path, page, Line(cells)});
    std::string error;
    if (WriteKept(error) || !wasWriting) return;
    throw VornikError(std::string(kWriteErrorText) + " " + kept_.front().path + ": " + error);
}

size_t HeadlessLogger::WriteKeptRows() {
    const size_t before = kept_.size();
    std::string error;
    WriteKept(error);
    return before - kept_.size();
}

// Writes the kept rows in order, those of one file in one append.
bool HeadlessLogger::WriteKept(std::string& error) {
    while (!kept_.empty()) {
        const Pending& first = kept_.front();
        std::string lines;
        size_t count = 0;
        for (; count < kept_.size() && kept_[count].path == first.path && lines.size() < kBatchBytes; ++count)
            lines += kept_[count].line;
        std::string writtenTo;
        if (!AppendLines(first.path, Line(HeaderTexts(first.page)), lines, writtenTo, error)) return false;
        if (writtenTo != first.path && redirected_.insert(first.path).second && OnNotice)
            OnNotice("the day file " + first.path +
                     " belongs to another user in a shared folder; its rows go to " + writtenTo);
        kept_.erase(kept_.begin(), kept_.begin() + static_cast<long>(count));
        rowsWritten_ += static_cast<long long>(count);
    }
    return true;
}

}  // namespace vornik
