// A long run of line noise with good replies between it: every good reply
// must come through, nothing else may add a row, and the decoder's state
// must stay within its fixed buffer.
#include <gtest/gtest.h>

#include <algorithm>

#include "ScriptedPrompt.h"
#include "reception/ReplyDecoder.h"
#include "reception/ReplyFormat.h"
#include "reception/ReplyGenerator.h"
#include "tables/MainModel.h"

using namespace vornik;
using namespace vornik::test;

namespace {

struct Byte {
    uint8_t value;
    bool lineError;
};

// Bytes that can never end a reply.
std::string WithoutEndMarkers(std::string bytes) {
    bytes.erase(std::remove(bytes.begin(), bytes.end(), char(kEndMarker)), bytes.end());
    return bytes;
}

class NoisyLine {
public:
    explicit NoisyLine(uint64_t seed) : gen_(seed) {}

    // Appends one good reply and the noise after it; returns the good reply.
    std::string AddGoodReplyAndNoise(std::vector<Byte>& line) {
        const std::string good = gen_.Reply(gen_.PickPage({5, 3, 2}), gen_.Random().Chance(0.8));
        Add(line, good, false);
        AddNoise(line);
        return good;
    }

    // Replies that were complete but too short to decode.
    int shortReplies = 0;

private:
    void Add(std::vector<Byte>& line, const std::string& bytes, bool lineError) {
        for (char c : bytes) line.push_back({uint8_t(c), lineError});
    }

    std::string RandomBytes(int n) {
        std::string s;
        for (int i = 0; i < n; ++i) s += char(gen_.Random().Below(256));
        return s;
    }

    void AddNoise(std::vector<Byte>& line) {
        SimRandom& r = gen_.Random();
        const int page = r.Below(kPageCount);
        switch (r.Below(6)) {
            case 0:  // random bytes, start markers included
                Add(line, WithoutEndMarkers(RandomBytes(1 + r.Below(64))), false);
                break;
            case 1: {  // a damaged reply that never reaches its end marker
                const auto fault = ReplyFault(r.Below(kReplyFaultCount));
                Add(line, WithoutEndMarkers(gen_.Damage(gen_.Reply(page), fault)), false);
                break;
            }
            case 2:  // a complete reply of a kind nobody knows
                Add(line, gen_.Damage(gen_.Reply(page), ReplyFault::BadKind), false);
                break;
            case 3: {  // a complete reply that lost its last fields
                std::vector<std::string> fields = gen_.Fields(page);
                fields.resize(size_t(1 + r.Below(int(fields.size()) - 1)));
                Add(line, FrameReply(KindOfPage(page), fields), false);
                ++shortReplies;
                break;
            }
            case 4:  // a whole reply garbled by the line: every byte flagged
                Add(line, gen_.Reply(page), true);
                break;
            case 5:  // a long burst that overruns the reply buffer
                Add(line, WithoutEndMarkers(RandomBytes(300 + r.Below(300))), false);
                break;
        }
    }

    ReplyGenerator gen_;
};

std::vector<std::string> Cells(const MeasurementTable& table, int row) {
    std::vector<std::string> cells;
    for (int c = 0; c < table.ColumnCount(); ++c) cells.emplace_back(table.Cell(c, row));
    return cells;
}

TEST(NoiseTest, EveryGoodReplyBetweenNoiseIsDecodedAndNothingElse) {
    NoisyLine noisy(7);
    std::vector<Byte> line;
    std::string goodOnly;
    int good = 0;
    while (line.size() < 400000) {
        goodOnly += noisy.AddGoodReplyAndNoise(line);
        ++good;
    }

    MainModel model;
    ScriptedPrompt prompt;
    std::vector<std::string> errors;
    ReplyDecoder decoder(model, prompt, [&](const std::string& t) { errors.push_back(t); });
    int committed = 0;
    decoder.AddRowListener([&](int, int) { ++committed; });
    int maxFill = 0;
    for (const Byte& b : line) {
        decoder.Recieve(nullptr, b.value, b.lineError);
        maxFill = std::max(maxFill, decoder.ReplyFill());
    }

    // The same good replies on a clean line.
    MainModel reference;
    ReplyDecoder clean(reference, prompt);
    clean.RecieveAll(goodOnly);

    EXPECT_EQ(committed, good);
    EXPECT_LE(maxFill, kReplyFillLimit);
    EXPECT_EQ(int(errors.size()), noisy.shortReplies);
    int rows = 0;
    for (int page = 0; page < kPageCount; ++page) {
        const MeasurementTable& table = model.Table(page);
        const MeasurementTable& expected = reference.Table(page);
        ASSERT_EQ(table.RowCount(), expected.RowCount()) << "page " << page;
        for (int r = 1; r < table.RowCount(); ++r) ASSERT_EQ(Cells(table, r), Cells(expected, r)) << r;
        if (!table.IsEmpty()) rows += table.RowCount() - 1;
    }
    EXPECT_EQ(rows, good);
}

}  // namespace
