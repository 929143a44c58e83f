#include "FuzzHarnesses.h"

#include <array>
#include <exception>

#include "core/Prompt.h"
#include "reception/Conversion.h"
#include "reception/ReplyDecoder.h"
#include "reception/ReplyFormat.h"
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

int DataRows(const MeasurementTable& table) { return table.IsEmpty() ? 0 : table.RowCount() - 1; }

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
        for (int page = 0; page < kPageCount; ++page)
            if (DataRows(model.Table(page)) != rowsToChart[size_t(page)])
                return "page " + std::to_string(page) + ": table rows and chart points differ";
    }
    if (prompt.boxes != 0) return "a modal box was shown for line data";
    return broken;
}

const std::vector<Harness>& Harnesses() {
    static const std::vector<Harness> all = {
        {"decoder", DecoderHarness},
    };
    return all;
}

}  // namespace vornik::fuzz
