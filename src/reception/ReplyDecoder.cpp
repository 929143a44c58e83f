#include "reception/ReplyDecoder.h"

#include <exception>
#include <string_view>

#include "core/Errors.h"
#include "core/Prompt.h"
#include "reception/ReplyFormat.h"
#include "tables/MainModel.h"

namespace vornik {

const char* const kReplyWithoutStartText = "Конец ответа без его начала, ответ отброшен";

ReplyDecoder::ReplyDecoder(MainModel& model, Prompt& prompt, ErrorReport report)
    : model_(model), prompt_(prompt), report_(std::move(report)) {}

void ReplyDecoder::Recieve(void* /*Sender*/, uint8_t Value, bool LineError) {
    if (LineError) return;
    // A start marker always empties the buffer, also after an overlong reply
    // filled it; otherwise a single lost end marker would stop reception.
    if (Value == kStartMarker) {
        fill_ = 0;
        replyOpen_ = true;
    }
    if (fill_ >= kReplyFillLimit) return;
    buffer_[size_t(fill_)] = Value;
    ++fill_;
    if (Value != kEndMarker) return;

    prompt_.Beep();
    // Only the first end marker after a start marker ends a reply: a reply
    // whose start marker was lost would otherwise decode the previous reply
    // again, a measurement the instrument never sent.
    if (!replyOpen_) {
        Report(kReplyWithoutStartText);
        return;
    }
    replyOpen_ = false;
    try {
        EndOfReply();
    } catch (const std::exception& e) {
        Report(e.what());
    }
}

void ReplyDecoder::RecieveAll(const std::string& bytes) {
    for (char c : bytes) Recieve(nullptr, static_cast<uint8_t>(c), false);
}

// A full buffer stores nothing, end markers included, until a start marker
// empties it.
void ReplyDecoder::DropReply() { fill_ = kReplyFillLimit; }

void ReplyDecoder::EndOfReply() {
    const int page = PageOfKind(buffer_[1]);
    if (page < 0) return;
    // Fields end at this end marker: bytes behind it belong to older replies.
    Commit(page, DecodeFields(page, buffer_, fill_ - 1));
}

std::vector<std::string> ReplyDecoder::DecodeFields(int page, const ReplyBytes& buffer, int end) {
    std::vector<std::string> cells(size_t(PageColumns(page)));
    std::string unit;
    std::string addend;
    bool noxAsNo2 = false;
    int pos = kFirstFieldPos;

    for (const FieldRule& rule : ReplyFields(page)) {
        std::string field = ExtractLine(buffer, pos, end);
        const bool flag = field[0] == '1';
        switch (rule.action) {
            case FieldRule::Number:
            case FieldRule::Text:
                cells[size_t(rule.column)] = std::move(field);
                break;
            case FieldRule::Scaled:
            case FieldRule::ScaledNo2:
                cells[size_t(rule.column)] = ScaleField(field, rule.divisor, rule.precision, rule.digits);
                break;
            case FieldRule::UnitFlag:
                unit = flag ? "mg" : "ppm";
                break;
            case FieldRule::O2Flag:
                if (flag) unit += ">O2";
                break;
            case FieldRule::No2Flag:
                if (flag) unit += ">NO2";
                noxAsNo2 = flag;
                cells[size_t(rule.column)] = unit;
                break;
            case FieldRule::Addend:
                addend = std::move(field);
                break;
            case FieldRule::Sum:
                cells[size_t(rule.column)] =
                    ScaleFieldSum(field, addend, rule.divisor, rule.precision, rule.digits);
                break;
        }
        if (rule.action == FieldRule::ScaledNo2) {
            const double no = CellValue(cells[kGasNoColumn]);
            const double no2 = CellValue(cells[kGasNo2Column]);
            cells[kGasNoxColumn] = FormatFixed(noxAsNo2 ? no * kNoAsNo2Factor + no2 : no + no2, 6, 1);
        }
    }
    return cells;
}

void ReplyDecoder::Commit(int page, std::vector<std::string> cells) {
    const int row = model_.CommitRow(page, std::move(cells));
    model_.SetActivePage(page);

    // A listener that fails (a log file that cannot be written) is reported;
    // the row stays and the other listeners still hear of it.
    for (const auto& listener : rowListeners_) {
        try {
            listener(page, row);
        } catch (const std::exception& e) {
            Report(e.what());
        }
    }
}

void ReplyDecoder::Report(const std::string& text) {
    if (report_)
        report_(text);
    else
        prompt_.ShowGeneralError(text);
}

}  // namespace vornik
