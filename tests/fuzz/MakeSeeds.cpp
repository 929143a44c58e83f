// Writes the seed corpora of the fuzz harnesses: make_seeds <corpus folder>
// fills <folder>/<harness>/ with inputs built from generated replies.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "reception/ReplyFormat.h"
#include "reception/ReplyGenerator.h"
#include "tables/Pages.h"

using namespace vornik;
namespace fs = std::filesystem;

namespace {

void Write(const fs::path& folder, const std::string& name, const std::string& bytes) {
    fs::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary | std::ios::trunc) << bytes;
}

// A decoder input of plain bytes (mode byte 0).
std::string Plain(const std::string& bytes) { return std::string(1, '\0') + bytes; }

// A decoder input with line error flags: every byte whose index is a multiple
// of `every` is flagged (0: none).
std::string Flagged(const std::string& bytes, size_t every) {
    std::string out(1, '\1');
    for (size_t i = 0; i < bytes.size(); ++i) {
        out += char(every != 0 && i % every == 0 ? 1 : 0);
        out += bytes[i];
    }
    return out;
}

void DecoderSeeds(const fs::path& folder) {
    ReplyGenerator gen(2024);
    static const char* const pages[] = {"gas", "temp", "prd"};
    static const char* const faults[] = {"lost", "kind", "number", "overlong", "noise"};
    std::string mixed;
    for (int page = 0; page < kPageCount; ++page) {
        Write(folder, std::string(pages[page]) + "_crlf", Plain(gen.Reply(page)));
        Write(folder, std::string(pages[page]) + "_lf", Plain(gen.Reply(page, false)));
        for (int f = 0; f < kReplyFaultCount; ++f)
            Write(folder, std::string(pages[page]) + "_" + faults[f],
                  Plain(gen.Damage(gen.Reply(page), ReplyFault(f))));
        mixed += gen.Reply(page);
    }
    for (int i = 0; i < 7; ++i) mixed += gen.Reply(gen.PickPage({5, 3, 2}));
    Write(folder, "mixed", Plain(mixed));
    Write(folder, "mixed_flagged", Flagged(mixed, 97));
    Write(folder, "twice_ended", Plain(gen.Reply(PageTemp) + "<"));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <corpus folder>\n");
        return 2;
    }
    const fs::path root = argv[1];
    DecoderSeeds(root / "decoder");
    return 0;
}
