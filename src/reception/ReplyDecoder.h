#pragma once
// The port's byte handler: collects the bytes of one instrument reply and,
// at its end marker, decodes it into a new row of the kind's table.
//
// A reply is '>', the kind letter ('G' gas, 'T' temperature, 'P' pressure),
// two bytes that are not interpreted, the kind's fields each ended by a line
// feed, and '<'. Every end marker sounds the alert beep. The first end marker
// after a start marker decodes the reply when its kind letter is known; any
// other end marker (a reply that lost its start marker, a second end marker)
// is a reception error and adds no row.
//
// Decoding is all or nothing: every field is decoded into a pending row, and
// only a reply whose fields all decode (and whose chart columns all read back
// as numbers) becomes a table row with its chart point. A reply that fails
// leaves the tables, charts and page state untouched; its error text goes to
// the error report and reception goes on with the next byte.
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Conversion.h"

namespace vornik {

class MainModel;
class Prompt;

// The error reported for an end marker without a start marker before it (UTF-8).
extern const char* const kReplyWithoutStartText;

// The NOx cell of a gas row from its NO and NO2 cells (Windows-1251 texts):
// NO x 1.53 + NO2 when the instrument reports NOx as NO2, else NO + NO2,
// as CellValue reads them (a text counts 0), rounded to one decimal with
// halves away from zero.
std::string NoxText(std::string_view noCell, std::string_view no2Cell, bool asNo2);

class ReplyDecoder {
public:
    // Receives the text (UTF-8) of every reply that failed to decode.
    using ErrorReport = std::function<void(const std::string& text)>;
    // Told of every row committed: page and row index.
    using RowListener = std::function<void(int page, int row)>;

    // Without an error report, failures go to the prompt's general error box.
    ReplyDecoder(MainModel& model, Prompt& prompt, ErrorReport report = {});

    // One received byte; bytes with a line error are dropped. Sender is not
    // used. Never throws for anything the line can send.
    void Recieve(void* Sender, uint8_t Value, bool LineError);

    // Convenience for tests and tools: every byte of `bytes`, no line errors.
    void RecieveAll(const std::string& bytes);

    // The byte stream broke (the device went away): the reply in progress
    // has lost bytes for good and is dropped, so that the tail of another
    // reply arriving later cannot complete it. Bytes are ignored up to the
    // next start marker.
    void DropReply();

    // A committed row makes its page the active one, unless the user asked
    // to keep the page in front ("Не переключать страницы").
    void SetKeepPage(bool keep) { keepPage_ = keep; }

    void AddRowListener(RowListener listener) { rowListeners_.push_back(std::move(listener)); }
    void SetErrorReport(ErrorReport report) { report_ = std::move(report); }

    const ReplyBytes& ReplyBuffer() const { return buffer_; }
    int ReplyFill() const { return fill_; }

    // Decodes the reply of the page's kind in buffer[0, end) into the cells
    // of a row (column 0 left as the instrument's number field); throws
    // VornikError on the first field that fails. Chart cells that are not
    // numbers are refused by the commit.
    static std::vector<std::string> DecodeFields(int page, const ReplyBytes& buffer, int end);

private:
    void EndOfReply();
    void Commit(int page, std::vector<std::string> cells);
    void Report(const std::string& text);

    MainModel& model_;
    Prompt& prompt_;
    ErrorReport report_;
    std::vector<RowListener> rowListeners_;
    ReplyBytes buffer_{};
    int fill_ = 0;
    bool replyOpen_ = false;  // a start marker came after the last end marker
    bool keepPage_ = false;
};

}  // namespace vornik
