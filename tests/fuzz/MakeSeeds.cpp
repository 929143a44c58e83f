// Writes the seed corpora of the fuzz harnesses:
//   make_seeds <corpus folder> <test data folder>
// fills <corpus folder>/<harness>/ with inputs built from generated replies,
// default and odd settings records, and the data files of the tests.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "config/Config.h"
#include "core/Prompt.h"
#include "datafiles/DataFile.h"
#include "datafiles/RecoveryJournal.h"
#include "reception/ReplyDecoder.h"
#include "reception/ReplyFormat.h"
#include "reception/ReplyGenerator.h"
#include "tables/MainModel.h"
#include "quantities/Pages.h"

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

std::string RecordBytes(const TConfig& config) {
    return std::string(reinterpret_cast<const char*>(config.Bytes().data()), config.Bytes().size());
}

void ConfigSeeds(const fs::path& folder) {
    TConfig config;
    config.LoadDefaults();
    const std::string defaults = RecordBytes(config);
    Write(folder, "defaults", defaults);
    Write(folder, "short", defaults.substr(0, TConfig::kSize - 1));
    Write(folder, "long", defaults + std::string(79, '\x5A'));
    std::string odd = defaults;
    odd[0] = char(0xFF);                 // port name length beyond 30
    odd[31] = char(31);                  // font name length just beyond 30
    for (int i = 249; i < 254; ++i) odd[size_t(i)] = char(i);  // reserved bytes
    odd[70] = char(2);                   // a Boolean neither 0 nor 1
    odd[420] = char(0x80);
    Write(folder, "odd", odd);
    config.SetPortName("/dev/ttyUSB0");
    config.GasView().SetSeries(GasAlf, {true, -0.5});
    config.SetWindowWidth(-1);
    Write(folder, "edited", RecordBytes(config));
}


// Files written by the program from decoded replies, and the test data files.
void DataFileSeeds(const fs::path& root, const fs::path& testData) {
    static const char* const harness[] = {"gas_file", "tmpr_file", "prd_file"};
    static const char* const ext[] = {".gas", ".tmpr", ".prd"};
    SilentPrompt prompt;
    MainModel model;
    model.GridsLayout(800);
    ReplyDecoder decoder(model, prompt, [](const std::string&) {});
    ReplyGenerator gen(7);
    for (int page = 0; page < kPageCount; ++page) {
        const fs::path written = root / harness[page] / (std::string("written") + ext[page]);
        fs::create_directories(written.parent_path());
        SaveChartToFile(model, written.string(), page == 0, page == 1, page == 2, prompt);  // empty table
        fs::rename(written, root / harness[page] / "empty_table");
        for (int i = 0; i < 3; ++i) decoder.RecieveAll(gen.Reply(page));
        SaveChartToFile(model, written.string(), page == 0, page == 1, page == 2, prompt);
        fs::rename(written, root / harness[page] / "three_rows");
    }
    for (const auto& entry : fs::directory_iterator(testData / "datafiles")) {
        const std::string name = entry.path().filename().string();
        for (int page = 0; page < kPageCount; ++page)
            if (entry.path().extension() == ext[page]) fs::copy_file(entry.path(), root / harness[page] / name,
                                                                    fs::copy_options::overwrite_existing);
    }
}

// Journals of a run: rows of every page, one page retired, a torn tail.
void JournalSeeds(const fs::path& folder) {
    fs::create_directories(folder);
    const fs::path path = folder / "rows";
    SilentPrompt prompt;
    MainModel model;
    ReplyDecoder decoder(model, prompt, [](const std::string&) {});
    RecoveryJournal journal(path.string());
    journal.Open();
    journal.Attach(decoder, model);
    ReplyGenerator gen(11);
    for (int i = 0; i < 4; ++i) decoder.RecieveAll(gen.Reply(gen.PickPage({1, 1, 1})));
    fs::copy_file(path, folder / "rows_before_retire", fs::copy_options::overwrite_existing);
    journal.Retire(PageGas);
    decoder.RecieveAll(gen.Reply(PageGas));
    journal.Append(PageTemp, {"1/1", "", "\xCF"});
    std::string bytes;
    {
        std::ifstream in(path, std::ios::binary);
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    Write(folder, "torn", bytes.substr(0, bytes.size() - 5));
}

// Port names of every kind the parser knows (Windows-1251 bytes).
void PortNameSeeds(const fs::path& folder) {
    static const char* const names[][2] = {
        {"com1", "COM1"},
        {"com16", "com16"},
        {"com17", "COM17"},
        {"com0", "COM0"},
        {"com_prefixed", "\\\\.\\COM3"},
        {"pts", "/dev/pts/3"},
        {"by_id", "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"},
        {"under_dev", "ttyUSB0"},
        {"cyrillic", "\xCF\xEE\xF0\xF2"},
        {"demo", "DEMO"},
        {"demo_lower", "demo"},
        {"tcp_name", "tcp:device-server:4001"},
        {"tcp_address", "TCP:192.168.0.7:23"},
        {"tcp_ipv6", "tcp:[::1]:4001"},
        {"tcp_no_port", "tcp:host:"},
        {"tcp_big_port", "tcp:host:65536"},
    };
    for (const auto& n : names) Write(folder, n[0], n[1]);
}

// Tables of a few blocks with every kind of cell, then appends, rewrites
// and intervals in turn (the harness reads the bytes as choices).
void StatisticsSeeds(const fs::path& folder) {
    for (int seed = 0; seed < 6; ++seed) {
        std::string bytes(1 + 600 * seed, '\0');
        for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>((i * 131 + static_cast<size_t>(seed) * 17) % 251);
        bytes[0] = static_cast<char>(seed);
        Write(folder, "table" + std::to_string(seed), bytes);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_seeds <corpus folder> <test data folder>\n");
        return 2;
    }
    const fs::path root = argv[1];
    DecoderSeeds(root / "decoder");
    ConfigSeeds(root / "config");
    DataFileSeeds(root, argv[2]);
    JournalSeeds(root / "journal");
    PortNameSeeds(root / "port_name");
    StatisticsSeeds(root / "statistics");
    return 0;
}
