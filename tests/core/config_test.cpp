#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cmath>
#include <cstring>
#include <limits>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "config/Config.h"
#include "config/ConfigFile.h"
#include "core/AtomicFile.h"
#include "core/Paths.h"

using namespace vornik;
using vornik::test::PromptEvent;
using vornik::test::ScriptedPrompt;
using vornik::test::ReadAll;
using vornik::test::TempDir;
using vornik::test::WriteAll;
namespace fs = std::filesystem;

namespace {

std::string Bytes(const std::string& s, size_t from, size_t count) { return s.substr(from, count); }

const PromptEvent kMissingBox{PromptEvent::Error, "Error", "Файл конфигурации отсутствует!\r\nСброс конфигурации!"};
const PromptEvent kDiskBox{PromptEvent::Error, "Error", "Ошибка доступа к диску!\r\nПерезагрузите компьютер!"};

}  // namespace

// --- the record ---

TEST(ConfigRecord, DefaultsAtTheirOffsets) {
    TConfig c;
    c.LoadDefaults();
    const auto& b = c.Bytes();
    const std::string s(b.begin(), b.end());
    EXPECT_EQ(Bytes(s, 0, 5), "\x04" "COM1");
    EXPECT_EQ(Bytes(s, 31, 12), "\x0B" "Courier New");
    EXPECT_EQ(Bytes(s, 62, 8), std::string("\x01\0\0\0\x08\0\0\0", 8));
    EXPECT_EQ(Bytes(s, 133, 8), std::string("\0\0\0\0\0\0\xF0\x3F", 8));
    EXPECT_EQ(Bytes(s, 404, 16), std::string("\x20\x03\0\0\x58\x02\0\0\0\0\0\0\0\0\0\0", 16));
    EXPECT_EQ(b[420], 0);

    // Every view block: Logarithmic false, View3D true, white to sky blue.
    for (size_t block : {70u, 254u, 329u}) {
        SCOPED_TRACE(block);
        EXPECT_EQ(Bytes(s, block, 10), std::string("\0\x01\xFF\xFF\xFF\0\xA6\xCA\xF0\0", 10));
    }

    // Colour / Show / Multiplier at their absolute offsets.
    struct Series { size_t color, show; uint32_t rgb; bool shown; double multiplier; };
    const Series series[] = {
        {80, 132, 0xFF0000, true, 1},      {84, 141, 0x00FFFF, true, 10},
        {88, 150, 0xFFFF00, true, 1},    {92, 159, 0xFF00FF, false, 1},
        {96, 168, 0x000000, false, 10},      {100, 177, 0x800000, false, 1},
        {104, 186, 0x808000, false, 1},  {108, 195, 0x00FF00, false, 1},
        {112, 204, 0xC0C0C0, false, 1}, {116, 213, 0x008080, false, 1},
        {120, 222, 0x0000FF, true, 100},   {124, 231, 0xFF00FF, true, 1},
        {128, 240, 0x800080, false, 1},
        {264, 284, 0xFF0000, true, 1},     {268, 293, 0x800080, true, 1},
        {272, 302, 0x00FFFF, true, 1},   {276, 311, 0xFFFF00, true, 1},
        {280, 320, 0xFF00FF, false, 1},
        {339, 359, 0xFF0000, true, 1},     {343, 368, 0x00FFFF, true, 1},
        {347, 377, 0x800080, true, 1},   {351, 386, 0xFFFF00, false, 1},
        {355, 395, 0xFF00FF, false, 1},
    };
    for (const auto& e : series) {
        SCOPED_TRACE(e.color);
        EXPECT_EQ(b[e.color], e.rgb >> 16);
        EXPECT_EQ(b[e.color + 1], (e.rgb >> 8) & 0xFF);
        EXPECT_EQ(b[e.color + 2], e.rgb & 0xFF);
        EXPECT_EQ(b[e.color + 3], 0);
        EXPECT_EQ(b[e.show], e.shown ? 1 : 0);
        double m;
        uint64_t bits = 0;
        for (int i = 7; i >= 0; --i) bits = bits << 8 | b[e.show + 1 + i];
        std::memcpy(&m, &bits, 8);
        EXPECT_EQ(m, e.multiplier);
    }
}

TEST(ConfigRecord, AccessorsMapByQuantityNotColumn) {
    TConfig c;
    c.LoadDefaults();
    EXPECT_EQ(c.GasView().Series(GasAlf).Multiplier, 100);
    EXPECT_TRUE(c.GasView().Series(GasAlf).Show);
    EXPECT_EQ(c.GasView().SeriesColor(GasAlf), RgbColor(0, 0, 0xFF));
    EXPECT_EQ(c.GasView().Series(GasNO2).Multiplier, 10);
    EXPECT_EQ(c.View(1).SeriesColor(TempTmax), RgbColor(0x80, 0, 0x80));
    EXPECT_FALSE(c.View(2).Series(PressQv).Show);
    EXPECT_EQ(c.PressView().PanelEndColor(), RgbColor(0xA6, 0xCA, 0xF0));
}

TEST(ConfigRecord, TypedFieldsRoundTripLittleEndian) {
    TConfig c;
    c.SetWindowLeft(-2);
    c.SetPrintFontSize(0x01020304);
    c.GasView().SetSeries(GasCO, {true, -0.1});
    EXPECT_EQ(c.WindowLeft(), -2);
    EXPECT_EQ(c.Bytes()[416], 0xFE);
    EXPECT_EQ(c.Bytes()[419], 0xFF);
    EXPECT_EQ(c.Bytes()[66], 0x04);
    EXPECT_EQ(c.GasView().Series(GasCO).Multiplier, -0.1);
    // Any non-zero Boolean byte reads as true, and is kept until a field is set.
    c.Bytes()[420] = 2;
    EXPECT_TRUE(c.WindowMaximized());
    c.SetWindowMaximized(true);
    EXPECT_EQ(c.Bytes()[420], 1);
}

TEST(ConfigRecord, TextsAreCutToThirtyCharacters) {
    TConfig c;
    const std::string name35(35, 'P');
    c.SetPortName(name35);
    EXPECT_EQ(c.PortName(), std::string(30, 'P'));
    EXPECT_EQ(c.Bytes()[0], 30);
    EXPECT_EQ(c.Bytes()[31], 0);  // the font name after it is untouched

    // A length byte above 30 (not written by this program) reads as 30.
    c.Bytes()[31] = 200;
    EXPECT_EQ(c.PrintFontName().size(), 30u);
}

TEST(ConfigRecord, DefaultsLeaveReservedAndSpareStringBytes) {
    TConfig c;
    for (size_t i = 249; i <= 253; ++i) c.Bytes()[i] = static_cast<uint8_t>(i);
    c.SetPortName("/dev/ttyUSB0-with-a-long-name");
    c.LoadDefaults();
    EXPECT_EQ(c.PortName(), "COM1");
    EXPECT_EQ(c.Bytes()[6], 't');  // bytes past the new length keep "/dev/ttyUSB0..."
    for (size_t i = 249; i <= 253; ++i) EXPECT_EQ(c.Bytes()[i], i);
}

// --- the settings file ---

TEST(ConfigFile, ImpossibleRecordsAndSpecialFilesCountAsMissing) {
    TempDir dir;
    TConfig defaults;
    defaults.LoadDefaults();
    for (const std::string kind : {"zeros", "ones", "fifo"}) {
        const std::string file = dir / (kind + ".ini");
        if (kind == "fifo")
            ASSERT_EQ(mkfifo(file.c_str(), 0644), 0);  // reading it must not block
        else
            WriteAll(file, std::string(TConfig::kSize, kind == "zeros" ? '\0' : '\xFF'));
        ScriptedPrompt prompt;
        TConfig c;
        ConfigStore(file, prompt).ReadAtStartup(c);
        EXPECT_EQ(prompt.boxes(), std::vector<PromptEvent>{kMissingBox}) << kind;
        EXPECT_EQ(c.Bytes(), defaults.Bytes()) << kind;
    }
    // A record a user can have made (a zero multiplier, an empty port) is kept.
    TConfig odd = defaults;
    odd.SetPortName("");
    odd.GasView().SetSeries(GasO2, {true, 0.0});
    WriteAll(dir / "odd.ini", std::string(odd.Bytes().begin(), odd.Bytes().end()));
    TConfig read;
    ScriptedPrompt quiet;
    EXPECT_TRUE(ConfigStore(dir / "odd.ini", quiet).Read(read));
    EXPECT_EQ(read.Bytes(), odd.Bytes());
}

// One impossible field costs only itself: the port, colours and font the
// user chose stay, the box names what was reset, and the file is mended.
TEST(ConfigFile, ImpossibleFieldsAloneAreReset) {
    TempDir dir;
    TConfig stored;
    stored.LoadDefaults();
    stored.SetPortName("/dev/ttyUSB3");
    stored.SetPrintFontName("Liberation Mono");
    stored.TempView().SetSeriesColor(TempTmax, RgbColor(1, 2, 3));
    stored.GasView().SetSeries(GasAlf, {false, 250});
    stored.SetWindowHeight(700);
    TConfig damaged = stored;
    damaged.SetWindowWidth(0);
    damaged.GasView().SetSeries(GasO2, {false, std::numeric_limits<double>::infinity()});
    damaged.PressView().SetSeries(PressQv, {true, std::nan("")});
    WriteAll(dir / "prog.ini", std::string(damaged.Bytes().begin(), damaged.Bytes().end()));

    ScriptedPrompt prompt;
    TConfig c;
    ConfigStore(dir / "prog.ini", prompt).ReadAtStartup(c);
    EXPECT_EQ(prompt.beeps(), 1u);
    EXPECT_EQ(prompt.boxes(), (std::vector<PromptEvent>{{PromptEvent::Error, "Error",
                                                         "Недопустимые значения в файле конфигурации сброшены:\r\n"
                                                         "ширина окна, множитель O2 (газоанализатор), "
                                                         "множитель Qv (давление)."}}));
    TConfig expected = stored;
    expected.SetWindowWidth(800);
    expected.GasView().SetSeries(GasO2, {false, 10});
    expected.PressView().SetSeries(PressQv, {true, 1});
    EXPECT_EQ(c.Bytes(), expected.Bytes());
    EXPECT_EQ(ReadAll(dir / "prog.ini"), std::string(expected.Bytes().begin(), expected.Bytes().end()));

    // Every checked field impossible: no record at all, reset whole.
    TConfig hopeless = stored;
    hopeless.SetWindowWidth(-1);
    hopeless.SetWindowHeight(0);
    for (int page = 0; page < 3; ++page)
        for (int i = 0; i < hopeless.View(page).SeriesCount(); ++i) hopeless.View(page).SetSeries(i, {true, NAN});
    WriteAll(dir / "prog.ini", std::string(hopeless.Bytes().begin(), hopeless.Bytes().end()));
    prompt.Clear();
    ConfigStore(dir / "prog.ini", prompt).ReadAtStartup(c);
    EXPECT_EQ(prompt.boxes(), std::vector<PromptEvent>{kMissingBox});
    EXPECT_EQ(c.PortName(), "COM1");
}

TEST(ConfigFile, FirstStartWritesDefaults) {
    TempDir dir;
    ScriptedPrompt prompt;
    TConfig c;
    ConfigStore store(dir / "prog.ini", prompt);
    store.ReadAtStartup(c);

    ASSERT_EQ(prompt.events().size(), 2u);
    EXPECT_EQ(prompt.events()[0].kind, PromptEvent::Beep);
    EXPECT_EQ(prompt.events()[1], kMissingBox);

    const std::string file = ReadAll(dir / "prog.ini");
    ASSERT_EQ(file.size(), 421u);
    EXPECT_EQ(Bytes(file, 0, 5), "\x04" "COM1");
    EXPECT_EQ(Bytes(file, 133, 8), std::string("\0\0\0\0\0\0\xF0\x3F", 8));
    EXPECT_EQ(Bytes(file, 404, 4), std::string("\x20\x03\0\0", 4));
    EXPECT_EQ(file[420], 0);
    EXPECT_EQ(Bytes(file, 249, 5), std::string(5, '\0'));
    EXPECT_EQ(dir.EntryCount(), 1u);  // no temporary file left behind
}

TEST(ConfigFile, ShortFileIsTreatedAsMissing) {
    TempDir dir;
    WriteAll(dir / "prog.ini", std::string(420, '\x07'));
    ScriptedPrompt prompt;
    TConfig c;
    ConfigStore(dir / "prog.ini", prompt).ReadAtStartup(c);
    EXPECT_EQ(prompt.boxes(), std::vector<PromptEvent>{kMissingBox});
    const std::string file = ReadAll(dir / "prog.ini");
    ASSERT_EQ(file.size(), 421u);
    EXPECT_EQ(Bytes(file, 0, 5), "\x04" "COM1");
    // The partial content did not leak into the record: reserved bytes are zero.
    EXPECT_EQ(Bytes(file, 249, 5), std::string(5, '\0'));
}

TEST(ConfigFile, LongFileIsReadFromItsStartAndShrinksOnSave) {
    TempDir dir;
    TConfig original;
    original.LoadDefaults();
    original.SetPortName("COM7");
    for (size_t i = 249; i <= 253; ++i) original.Bytes()[i] = 0xA0 + (i - 249);
    std::string content(original.Bytes().begin(), original.Bytes().end());
    content += std::string(79, 'x');
    WriteAll(dir / "prog.ini", content);

    ScriptedPrompt prompt;
    TConfig c;
    ConfigStore store(dir / "prog.ini", prompt);
    store.ReadAtStartup(c);
    EXPECT_TRUE(prompt.events().empty());
    EXPECT_EQ(c.PortName(), "COM7");
    EXPECT_EQ(ReadAll(dir / "prog.ini").size(), 500u);  // reading does not write

    // Reserved bytes survive any number of saves.
    for (int i = 0; i < 3; ++i) {
        c.SetWindowWidth(1000 + i);
        EXPECT_TRUE(store.SaveConfig(c));
        TConfig again;
        ASSERT_TRUE(store.Read(again));
        c = again;
    }
    const std::string file = ReadAll(dir / "prog.ini");
    ASSERT_EQ(file.size(), 421u);
    EXPECT_EQ(Bytes(file, 249, 5), "\xA0\xA1\xA2\xA3\xA4");
    EXPECT_EQ(c.WindowWidth(), 1002);
}

TEST(ConfigFile, ReadOnlyFileIsUsedNotReset) {
    TempDir dir;
    TConfig stored;
    stored.LoadDefaults();
    stored.SetPortName("COM3");
    const std::string content(stored.Bytes().begin(), stored.Bytes().end());
    WriteAll(dir / "prog.ini", content);
    chmod((dir / "prog.ini").c_str(), 0444);

    ScriptedPrompt prompt;
    TConfig c;
    ConfigStore store(dir / "prog.ini", prompt);
    store.ReadAtStartup(c);
    EXPECT_TRUE(prompt.events().empty());
    EXPECT_EQ(c.PortName(), "COM3");

    // Saving over a read-only file is refused and reported; the file stays.
    c.SetPortName("COM4");
    EXPECT_FALSE(store.SaveConfig(c));
    EXPECT_EQ(prompt.beeps(), 1u);
    EXPECT_EQ(prompt.boxes(), std::vector<PromptEvent>{kDiskBox});
    EXPECT_EQ(ReadAll(dir / "prog.ini"), content);
    EXPECT_EQ(c.PortName(), "COM4");  // the record in memory stays in force
}

TEST(ConfigFile, UnwritableFileAtStartupShowsBothBoxes) {
    TempDir dir;
    fs::create_directory(dir / "prog.ini");  // neither readable as a record nor replaceable
    ScriptedPrompt prompt;
    TConfig c;
    ConfigStore(dir / "prog.ini", prompt).ReadAtStartup(c);
    EXPECT_EQ(prompt.boxes(), (std::vector<PromptEvent>{kMissingBox, kDiskBox}));
    EXPECT_EQ(prompt.beeps(), 2u);
    EXPECT_EQ(c.PortName(), "COM1");
    EXPECT_TRUE(fs::is_directory(dir / "prog.ini"));
}

// --- atomic replacement ---

TEST(AtomicFile, ReplacesWholeAndKeepsMode) {
    TempDir dir;
    WriteAll(dir / "f", "old content");
    chmod((dir / "f").c_str(), 0640);
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(dir / "f", "new", &error)) << error;
    EXPECT_EQ(ReadAll(dir / "f"), "new");
    struct stat st;
    stat((dir / "f").c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(AtomicFile, FailuresLeaveTheOldFileAndNoTemporary) {
    TempDir dir;
    std::string error;
    fs::create_directory(dir / "sub");
    EXPECT_FALSE(WriteFileAtomically(dir / "sub", "x", &error));
    EXPECT_NE(error.find("sub"), std::string::npos);
    EXPECT_FALSE(WriteFileAtomically(dir / "no-such-folder/f", "x", &error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(AtomicFile, WriteFailingMidwayKeepsOldFile) {
    TempDir dir;
    const std::string old(100, 'o');
    WriteAll(dir / "f", old);

    // A file size limit makes the write fail part way with EFBIG.
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = signal(SIGXFSZ, SIG_IGN);
    struct rlimit limited = saved;
    limited.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &limited);

    AtomicFileWriter writer(dir / "f");
    const bool opened = writer.Open();
    const bool wrote = opened && writer.Write(std::string(10000, 'n'));

    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, previous);

    EXPECT_TRUE(opened);
    EXPECT_FALSE(wrote);
    EXPECT_FALSE(writer.Commit());
    EXPECT_FALSE(writer.Error().empty());
    EXPECT_EQ(ReadAll(dir / "f"), old);
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(AtomicFile, AbandonedWriterLeavesTarget) {
    TempDir dir;
    WriteAll(dir / "f", "keep");
    {
        AtomicFileWriter writer(dir / "f");
        ASSERT_TRUE(writer.Open());
        ASSERT_TRUE(writer.Write("partial"));
    }
    EXPECT_EQ(ReadAll(dir / "f"), "keep");
    EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(AtomicFile, LinkIsReplacedThroughItsDestination) {
    TempDir dir;
    WriteAll(dir / "real", "old");
    fs::create_symlink(dir / "real", dir / "link");
    ASSERT_TRUE(WriteFileAtomically(dir / "link", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "link"));
    EXPECT_EQ(ReadAll(dir / "real"), "new");
}

// --- where the file lives ---

TEST(ConfigFileName, ExtensionReplaced) {
    EXPECT_EQ(ReplaceExtension("D:\\Meter\\prog.exe", ".ini"), "D:\\Meter\\prog.ini");
    EXPECT_EQ(ReplaceExtension("/opt/v.1/vornik-pc", ".ini"), "/opt/v.1/vornik-pc.ini");
    EXPECT_EQ(ReplaceExtension("/opt/a.b.c", ".ini"), "/opt/a.b.ini");
    EXPECT_EQ(ReplaceExtension("/home/u/.hidden", ".ini"), "/home/u/.hidden.ini");
}

TEST(ConfigFileName, BesideAWritableProgramUnlessItWasInstalled) {
    TempDir dir;
    EXPECT_EQ(ConfigFileName(dir / "vornik-pc", dir / "cfg"), dir / "vornik-pc.ini");
    EXPECT_FALSE(fs::exists(dir / "cfg"));
    // An installed program's folder is the uninstaller's: settings and data
    // files go to the user's folders even where the folder is writable.
    WriteAll(dir / kInstalledMarkerName, "");
    EXPECT_EQ(ConfigFileName(dir / "vornik-pc", dir / "cfg"), dir / "cfg/vornik-pc/vornik-pc.ini");
}

TEST(ConfigStore, ShippedFileIsReadUntilTheUserFileExists) {
    TempDir dir;
    TConfig shipped;
    shipped.LoadDefaults();
    shipped.SetPortName("COM7");
    const std::string beside = dir / "vornik-pc.ini";
    WriteAll(beside, std::string(shipped.Bytes().begin(), shipped.Bytes().end()));
    const std::string user = dir / "user.ini";

    ScriptedPrompt prompt;
    ConfigStore store(user, prompt, beside);
    TConfig c;
    store.ReadAtStartup(c);
    EXPECT_TRUE(prompt.boxes().empty());
    EXPECT_EQ(c.PortName(), "COM7");
    c.SetPortName("COM2");
    ASSERT_TRUE(store.SaveConfig(c));
    EXPECT_EQ(ReadAll(beside), std::string(shipped.Bytes().begin(), shipped.Bytes().end()));
    // From now on the user's own file wins.
    TConfig again;
    store.ReadAtStartup(again);
    EXPECT_EQ(again.PortName(), "COM2");
}

TEST(ConfigFileName, UserFolderWhenProgramFolderIsNotWritable) {
    TempDir dir;
    const std::string name = ConfigFileName("/nonexistent-vornik/bin/vornik-pc", dir / "cfg");
    EXPECT_EQ(name, dir / "cfg/vornik-pc/vornik-pc.ini");
    EXPECT_TRUE(fs::is_directory(dir / "cfg/vornik-pc"));

    // And the store works there from the first start on.
    ScriptedPrompt prompt;
    TConfig c;
    ConfigStore(name, prompt).ReadAtStartup(c);
    EXPECT_EQ(prompt.boxes(), std::vector<PromptEvent>{kMissingBox});
    EXPECT_EQ(ReadAll(name).size(), 421u);
}
