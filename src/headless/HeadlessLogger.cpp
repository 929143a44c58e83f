#include "headless/HeadlessLogger.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <system_error>

#include "core/Clock.h"
#include "core/Errors.h"
#include "datafiles/DataFile.h"
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
    const fs::path file = PathOf(path);
    std::error_code ec;
    const auto size = fs::file_size(file, ec);
    const bool needsHeader = ec || size == 0;

    const MeasurementTable& table = model_.Table(page);
    std::vector<std::string_view> cells;
    for (int c = 0; c < table.ColumnCount(); ++c) cells.push_back(table.Cell(c, row));

    std::string bytes = needsHeader ? Line(HeaderTexts(page)) : std::string();
    bytes += Line(cells);

    std::ofstream out(file, std::ios::binary | std::ios::app);
    if (out) out.write(bytes.data(), std::streamsize(bytes.size()));
    if (out) out.flush();
    if (!out) throw VornikError("Ошибка записи данных! " + path);
    ++rowsWritten_;
}

}  // namespace vornik
