#include "FuzzHarnesses.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <unistd.h>

#include "config/Config.h"
#include "config/ConfigFile.h"
#include "datafiles/DataFile.h"
#include "datafiles/RecoveryJournal.h"

#include "core/Prompt.h"
#include "core/Conversion.h"
#include "reception/ReplyDecoder.h"
#include "reception/ReplyFormat.h"
#include "reception/ReplyGenerator.h"
#include "tables/MainModel.h"

namespace vornik::fuzz {
namespace {

// Answers every question with No and counts the boxes.
class QuietPrompt : public Prompt {
public:
    void Beep() override {}
    void ShowError(const std::string&) override { ++boxes; }
    bool AskYesNo(const std::string&) override { ++boxes; return false; }
    void ShowDeviceMessage(const std::string&, const std::string&) override { ++boxes; }
    void ShowGeneralError(const std::string&) override { ++boxes; }
    int boxes = 0;
};

namespace fs = std::filesystem;

// A folder of this process for the files the harnesses write, removed at exit.
class ScratchFolder {
public:
    // A memory file system where there is one: saves force their files to
    // the disk, which would make every run wait for it.
    ScratchFolder()
        : path_((fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()) /
                ("vornik-fuzz-" + std::to_string(getpid()))) {
        fs::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

const ScratchFolder& Scratch() {
    static const ScratchFolder folder;
    return folder;
}

// Unbuffered: a buffer allocated for every run costs more than the write.
void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return;
    std::setvbuf(file, nullptr, _IONBF, 0);
    std::fwrite(data, 1, size, file);
    std::fclose(file);
}

std::string ReadFile(const std::string& path) {
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    std::setvbuf(file, nullptr, _IONBF, 0);
    char chunk[4096];
    for (size_t got; (got = std::fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, got);
    std::fclose(file);
    return bytes;
}

int DataRows(const MeasurementTable& table) { return table.IsEmpty() ? 0 : table.RowCount() - 1; }

bool RowBlank(const MeasurementTable& table, int row) {
    for (int c = 0; c < table.ColumnCount(); ++c)
        if (!table.Cell(c, row).empty()) return false;
    return true;
}

// Every row after the header is one point of every series of the page's
// chart; the blank row 1 of a cleared table is none.
std::string CheckChart(const MainModel& model, int page) {
    const MeasurementTable& table = model.Table(page);
    const int rows = table.RowCount() == 2 && RowBlank(table, 1) ? 0 : std::max(table.RowCount() - 1, 0);
    const ChartModel& chart = model.Chart(page);
    for (int i = 0; i < chart.SeriesCount(); ++i)
        if (chart.Series(i).Count() != size_t(rows))
            return "page " + std::to_string(page) + ": " + std::to_string(rows) + " rows but series " +
                   std::to_string(i) + " has " + std::to_string(chart.Series(i).Count()) + " points";
    return "";
}

// What a committed row must look like; "" when it does.
std::string CheckRow(const MeasurementTable& table, int page, int row) {
    if (row < 1 || row >= table.RowCount()) return "committed row outside the table";
    if (table.ColumnCount() != PageColumns(page)) return "column count changed";
    const std::string prefix = std::to_string(row) + "/";
    if (table.Cell(0, row).substr(0, prefix.size()) != prefix) return "column 0 does not start with " + prefix;
    for (int c = 0; c < table.ColumnCount(); ++c)
        for (char ch : table.Cell(c, row))
            if (uint8_t(ch) < 0x20) return "control byte in column " + std::to_string(c);
    try {
        for (int c = ChartFirstColumn(page); c <= ChartLastColumn(page); ++c) CellValue(table.Cell(c, row));
    } catch (const std::exception& e) {
        return std::string("chart column is not a number: ") + e.what();
    }
    return "";
}

}  // namespace

std::string DecoderHarness(const uint8_t* data, size_t size) {
    if (size == 0) return "";
    MainModel model;
    QuietPrompt prompt;
    ReplyDecoder decoder(model, prompt, [](const std::string&) {});
    std::array<int, kPageCount> rowsToChart{};
    std::string broken;
    // Rows are told to listeners after RowToChart: count them per page as
    // the charts' point count.
    decoder.AddRowListener([&](int page, int row) {
        ++rowsToChart.at(size_t(page));
        if (broken.empty()) broken = CheckRow(model.Table(page), page, row);
    });

    const bool withFlags = data[0] & 1;
    const size_t step = withFlags ? 2 : 1;
    for (size_t i = 1; i + step <= size && broken.empty(); i += step) {
        const bool lineError = withFlags && (data[i] & 1);
        const uint8_t value = data[i + step - 1];
        try {
            decoder.Recieve(nullptr, value, lineError);
        } catch (const std::exception& e) {
            return std::string("Recieve threw: ") + e.what();
        }
        if (decoder.ReplyFill() < 0 || decoder.ReplyFill() > kReplyFillLimit) return "reply fill out of range";
        if (value != kEndMarker) continue;  // only an end marker adds rows
        for (int page = 0; page < kPageCount; ++page) {
            if (DataRows(model.Table(page)) != rowsToChart[size_t(page)])
                return "page " + std::to_string(page) + ": table rows and rows charted differ";
            const std::string chart = CheckChart(model, page);
            if (!chart.empty()) return chart;
        }
    }
    if (prompt.boxes != 0) return "a modal box was shown for line data";
    return broken;
}

namespace {

// Reads every field, so that a stored value no program of ours wrote (a string
// length above 30, an odd Boolean) is met by the accessors.
void ReadEveryField(TConfig& config) {
    volatile size_t sink = config.PortName().size() + config.PrintFontName().size();
    sink = sink + size_t(config.RefreshPeriod()) + size_t(config.PrintFontSize());
    for (int page = 0; page < kPageCount; ++page) {
        TViewParams view = config.View(page);
        sink = sink + view.Logarithmic() + view.View3D() + view.PanelStartColor() + view.PanelEndColor();
        for (int i = 0; i < view.SeriesCount(); ++i) {
            const TSeriesParams series = view.Series(i);
            sink = sink + view.SeriesColor(i) + series.Show + (series.Multiplier == series.Multiplier);
        }
    }
    sink = sink + size_t(config.WindowWidth()) + size_t(config.WindowHeight()) + size_t(config.WindowTop()) +
           size_t(config.WindowLeft()) + config.WindowMaximized();
    (void)sink;
}

// The bytes are in the form SaveChartToFile writes for a table of `columns`.
bool WrittenForm(std::string_view bytes, int columns) {
    if (bytes.empty()) return false;
    size_t pos = 0;
    while (pos < bytes.size()) {
        const size_t end = bytes.find("\r\n", pos);
        if (end == std::string_view::npos) return false;
        const std::string_view line = bytes.substr(pos, end - pos);
        if (line.find_first_of("\r\n") != std::string_view::npos) return false;
        if (std::count(line.begin(), line.end(), '\t') != columns || line.back() != '\t') return false;
        pos = end + 2;
    }
    return true;
}

// A good reply of the page's kind.
std::string SampleReply(int page) {
    static const std::string replies[] = {
        FrameReply('G', {"1", "05.03.24", "09:30:00", "Obj", "Gas", "0", "0", "0", "215", "1234", "300", "2095",
                         "1200", "800", "40", "50", "5", "100", "900", "150", "25", "135"}),
        FrameReply('T', {"3", "05.03.24", "09:31:00", "Obj", "4502", "4530", "4480", "50", "251", "12"}),
        FrameReply('P', {"5", "05.03.24", "09:32:00", "Obj", "15", "1013250", "5000", "4900", "1250", "7"}),
    };
    return replies[page];
}

std::string CheckRoundTrip(MainModel& model, int page, const uint8_t* data, size_t size);

std::string DataFileHarness(int page, const uint8_t* data, size_t size) {
    static const char* const extensions[] = {".gas", ".tmpr", ".prd"};
    const std::string in = Scratch().File(std::string("in") + extensions[page]);
    WriteFile(in, data, size);

    MainModel model;
    model.GridsLayout(800);
    QuietPrompt prompt;
    LoadInFile(model, in, prompt);
    const MeasurementTable& table = model.Table(page);
    if (table.ColumnCount() != PageColumns(page)) return "loading changed the column count";
    if (model.NewData(page)) return "a loaded table counts as unsaved";
    std::string broken = CheckChart(model, page);
    if (!broken.empty()) return "after loading: " + broken;
    if (prompt.boxes == 0) broken = CheckRoundTrip(model, page, data, size);
    if (!broken.empty()) return broken;

    // A measurement received after the load goes into a new row and a new point.
    QuietPrompt decoderPrompt;
    ReplyDecoder decoder(model, decoderPrompt, [](const std::string&) {});
    decoder.RecieveAll(SampleReply(page));
    broken = CheckChart(model, page);
    return broken.empty() ? "" : "after a reply: " + broken;
}

std::string CheckRoundTrip(MainModel& model, int page, const uint8_t* data, size_t size) {
    static const char* const extensions[] = {".gas", ".tmpr", ".prd"};
    const std::string out = Scratch().File(std::string("out") + extensions[page]);
    QuietPrompt prompt;

    if (model.ActivePage() != page) return "the loaded page is not active";
    if (!SaveChartToFile(model, out, page == PageGas, page == PageTemp, page == PagePrd, prompt))
        return "a loaded table could not be saved";
    const std::string saved = ReadFile(out);
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    if (WrittenForm(input, model.Table(page).ColumnCount()) && saved != input)
        return "saved file differs from the loaded one";
    return "";
}

}  // namespace

std::string ConfigHarness(const uint8_t* data, size_t size) {
    const std::string in = Scratch().File("in.ini");
    const std::string out = Scratch().File("out.ini");
    WriteFile(in, data, size);
    QuietPrompt prompt;
    TConfig config;
    const bool read = ConfigStore(in, prompt).Read(config);
    TConfig given;
    if (size >= TConfig::kSize) std::copy(data, data + TConfig::kSize, given.Bytes().begin());
    const bool whole = size >= TConfig::kSize && given.Plausible();
    if (read != whole) return read ? "a short or impossible record was read" : "a whole record was not read";
    if (!read) return "";
    ReadEveryField(config);
    if (!ConfigStore(out, prompt).SaveConfig(config)) return "the record could not be saved";
    if (ReadFile(out) != std::string(reinterpret_cast<const char*>(data), TConfig::kSize))
        return "the saved record differs from the file read";
    return prompt.boxes == 0 ? "" : "a box was shown";
}

namespace {

// One journal for the whole process, taken (created and locked) once: every
// run appends its rows and retires them again, which leaves the file its
// header. A run pays for its writes, not for a new file and lock.
RecoveryJournal& ScratchJournal() {
    static RecoveryJournal journal(Scratch().File("out.journal"));
    static const bool opened = journal.Open();
    (void)opened;
    return journal;
}

}  // namespace

std::string JournalHarness(const uint8_t* data, size_t size) {
    const std::vector<JournalRow> rows =
        RecoveryJournal::ReadPendingBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    RecoveryJournal& journal = ScratchJournal();
    if (!journal.IsOpen()) return "a journal could not be created";
    std::string broken;
    for (const JournalRow& row : rows) {
        if (row.page < 0 || row.page >= kPageCount) {
            broken = "a row of no page";
            break;
        }
        journal.Append(row.page, std::vector<std::string_view>(row.cells.begin(), row.cells.end()));
    }
    if (broken.empty() && RecoveryJournal::ReadPending(journal.Path()) != rows)
        broken = "rows differ after writing them again";
    for (int page = 0; page < kPageCount; ++page) journal.Retire(page);
    return broken;
}

std::string GasFileHarness(const uint8_t* data, size_t size) { return DataFileHarness(PageGas, data, size); }
std::string TmprFileHarness(const uint8_t* data, size_t size) { return DataFileHarness(PageTemp, data, size); }
std::string PrdFileHarness(const uint8_t* data, size_t size) { return DataFileHarness(PagePrd, data, size); }

const std::vector<Harness>& Harnesses() {
    static const std::vector<Harness> all = {
        {"decoder", DecoderHarness},     {"config", ConfigHarness},       {"gas_file", GasFileHarness},
        {"tmpr_file", TmprFileHarness},  {"prd_file", PrdFileHarness},   {"journal", JournalHarness},
        {"chart", ChartHarness},         {"statistics", StatisticsHarness},
#ifndef _WIN32
        {"port_name", PortNameHarness},
#endif
    };
    return all;
}

}  // namespace vornik::fuzz
