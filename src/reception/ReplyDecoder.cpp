#include "reception/ReplyDecoder.h"

#include <algorithm>
#include <climits>
#include <exception>
#include <string_view>

#include "core/Errors.h"
#include "core/Prompt.h"
#include "reception/ReplyFormat.h"
#include "tables/MainModel.h"

namespace vornik {
namespace {

// 10^n for n in 0..9 (fits the divisor of FormatScaled).
int PowerOfTen(int n) {
    int p = 1;
    while (n-- > 0) p *= 10;
    return p;
}

// a * 10^shift, false when it leaves the int64 range.
bool Shifted(int64_t a, int shift, int64_t& out) {
    for (; shift > 0; --shift) {
        if (a > INT64_MAX / 10 || a < INT64_MIN / 10) return false;
        a *= 10;
    }
    out = a;
    return true;
}

}  // namespace

// NOx from the NO and NO2 cells: NO x 1.53 + NO2 (or NO + NO2), computed
// exactly in decimal so that a half is a half: 5,0 x 1.53 + 16,4 = 24,05
// is written 24,1. Numbers too long for that take the floating-point path.
std::string NoxText(std::string_view noCell, std::string_view no2Cell, bool asNo2) {
    int64_t no = 0, no2 = 0;
    int noDecimals = 0, no2Decimals = 0;
    const bool exact = CellDecimal(noCell, no, noDecimals) && CellDecimal(no2Cell, no2, no2Decimals);
    if (exact) {
        const int factor = asNo2 ? kNoAsNo2Hundredths : 1;
        const int factorDecimals = asNo2 ? 2 : 0;
        const int scale = std::max(noDecimals + factorDecimals, no2Decimals);
        int64_t noPart = 0, no2Part = 0;
        if (scale <= 9 && no < INT64_MAX / 1000 && no > INT64_MIN / 1000 &&
            Shifted(no * factor, scale - noDecimals - factorDecimals, noPart) &&
            Shifted(no2, scale - no2Decimals, no2Part) && !(noPart > 0 && no2Part > INT64_MAX - noPart) &&
            !(noPart < 0 && no2Part < INT64_MIN - noPart))
            return FormatScaled(noPart + no2Part, PowerOfTen(scale), 6, 1);
    }
    const double noValue = CellValue(noCell);
    const double no2Value = CellValue(no2Cell);
    return FormatFixed(asNo2 ? noValue * kNoAsNo2Hundredths / 100 + no2Value : noValue + no2Value, 6, 1);
}

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
    // The quantities are checked when they compile: every rule's column lies
    // within its page's row.
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
            cells[kGasNoxColumn] = NoxText(cells[kGasNoColumn], cells[kGasNo2Column], noxAsNo2);
        }
    }
    return cells;
}

void ReplyDecoder::Commit(int page, std::vector<std::string> cells) {
    const int row = model_.CommitRow(page, std::move(cells));
    if (!keepPage_) model_.SetActivePage(page);

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
