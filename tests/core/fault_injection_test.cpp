// Faults from outside the program: a full disk, a file size limit, a
// read-only folder, a serial device that goes away and comes back, and a
// noisy line. In every case the program goes on, says what went wrong, and
// loses nothing it had.
//
// The disk faults use a small RAM file system mounted for the test (root
// only; skipped where mounting is not allowed) and a file size limit set in a
// child process. The device faults use real pseudo-terminals.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "ManualPollTimer.h"
#include "ReplyBuilder.h"
#include "ScriptedFileDialogs.h"
#include "ScriptedPrompt.h"
#include "TestPty.h"
#include "TestFiles.h"
#include "config/ConfigFile.h"
#include "core/StreamPrompt.h"
#include "datafiles/DataFileCommands.h"
#include "device/PortHandling.h"
#include "device/NetworkPort.h"
#include "device/posix/PosixCommDriver.h"
#include "headless/HeadlessSession.h"
#include "reception/ReplyDecoder.h"

namespace vornik {
namespace {

using namespace std::chrono_literals;
using test::PromptEvent;
using test::ReadAll;
using test::ScriptedFileDialogs;
using test::ScriptedPrompt;
using test::TempDir;
using test::WriteAll;
namespace fs = std::filesystem;

// --- disks that fail -------------------------------------------------------

// A small RAM file system mounted over a folder for the length of a test.
class SmallDisk {
public:
    SmallDisk(const std::string& folder, const std::string& size) : folder_(folder) {
        const std::string options = "size=" + size + ",mode=0755";
        if (mount("tmpfs", folder_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0)
            mounted_ = true;
        else
            error_ = std::strerror(errno);
    }
    ~SmallDisk() {
        if (mounted_ && umount2(folder_.c_str(), 0) != 0) umount2(folder_.c_str(), MNT_DETACH);
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;

    bool Mounted() const { return mounted_; }
    const std::string& Error() const { return error_; }

    // Remounts it read-only; false where that is refused.
    bool MakeReadOnly() {
        if (mount("tmpfs", folder_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0)
            return true;
        error_ = std::strerror(errno);
        return false;
    }

private:
    std::string folder_;
    bool mounted_ = false;
    std::string error_;
};

#define SKIP_UNLESS_MOUNTED(disk)                                                                     \
    if (!(disk).Mounted())                                                                            \
    GTEST_SKIP() << "cannot mount a small tmpfs here (" << (disk).Error()                             \
                 << "); this case needs root with mount rights"

// Fills the file system of `path` with one file until it has no room left.
bool FillUp(const std::string& path) {
    const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const std::string block(4096, 'f');
    int error = 0;
    for (;;) {
        if (write(fd, block.data(), block.size()) < 0) {
            error = errno;
            break;
        }
    }
    close(fd);
    return error == ENOSPC;
}

std::set<std::string> Entries(const std::string& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.insert(e.path().filename().string());
    return names;
}

std::string Lines(const std::string& path) {
    const std::string s = ReadAll(path);
    return std::to_string(std::count(s.begin(), s.end(), '\n')) + " lines";
}

std::string Describe(const std::vector<PromptEvent>& events) {
    static const char* const kKinds[] = {"beep", "error", "question", "device", "general"};
    std::string s;
    for (const auto& e : events) {
        s += kKinds[e.kind];
        if (e.kind != PromptEvent::Beep) s += ": " + e.text;
        s += '\n';
    }
    return s;
}

const std::vector<PromptEvent> kDataWriteFailure = {{PromptEvent::Beep, "", ""},
                                                    {PromptEvent::Error, "Error", kDataWriteErrorText}};
const std::vector<PromptEvent> kSettingsWriteFailure = {{PromptEvent::Beep, "", ""},
                                                        {PromptEvent::Error, "Error", kDiskAccessErrorText}};

TConfig DefaultRecord() {
    TConfig c;
    c.LoadDefaults();
    return c;
}

std::string RecordBytes(const TConfig& c) { return std::string(c.Bytes().begin(), c.Bytes().end()); }

// The program without its window: tables, decoder, file commands and the
// settings file, with the boxes and dialogs scripted.
struct Program {
    TempDir home;  // the program's folder and its settings file
    MainModel model;
    ScriptedPrompt prompt;
    ScriptedFileDialogs dialogs;
    FixedClock clock{DateTime{2026, 12, 8, 10, 30, 0, 0}};
    ReplyDecoder decoder{model, prompt};
    DataFileCommands commands{model, prompt, dialogs, clock, home / "vornik-pc", home.path()};
    TConfig config = DefaultRecord();
    ConfigStore store{home / "vornik-pc.ini", prompt};

    Program() { model.GridsLayout(800); }

    // Gas replies as they come from the instrument.
    void Receive(int rows) {
        for (int i = 1; i <= rows; ++i) decoder.RecieveAll(test::GasReply().Set(1, std::to_string(i)).Bytes());
        prompt.Clear();  // the alert beeps of the replies
    }

    // Everything a failed save must leave as it was.
    std::string State() const {
        std::ostringstream s;
        for (int page = 0; page < kPageCount; ++page) {
            const MeasurementTable& t = model.Table(page);
            std::string cells;
            for (int r = 0; r < t.RowCount(); ++r)
                for (int c = 0; c < t.ColumnCount(); ++c) (cells += t.Cell(c, r)) += '\t';
            s << "page " << page << ": " << t.RowCount() << " rows #" << std::hash<std::string>()(cells)
              << ", points";
            for (int i = 0; i < model.Chart(page).SeriesCount(); ++i) s << ' ' << model.Chart(page).Series(i).Count();
            s << (model.NewData(page) ? ", unsaved" : ", saved") << '\n';
        }
        s << "save enabled " << model.SaveCommandEnabled() << ", active page " << model.ActivePage() << '\n';
        return s.str();
    }
};

// Runs `action` in a child process whose files may not grow beyond `limit`
// bytes. SIGXFSZ is ignored there, so a write past the limit fails with
// EFBIG instead of killing the process. Returns the text the action returned.
std::string InChildWithFileSizeLimit(rlim_t limit, const std::function<std::string()>& action) {
    int fds[2];
    if (pipe(fds) != 0) return "pipe failed";
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid < 0) return "fork failed";
    if (pid == 0) {
        close(fds[0]);
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limited{limit, limit};
        const std::string out = setrlimit(RLIMIT_FSIZE, &limited) == 0 ? action() : "setrlimit failed";
        size_t done = 0;
        while (done < out.size()) {
            const ssize_t n = write(fds[1], out.data() + done, out.size() - done);
            if (n <= 0) break;
            done += size_t(n);
        }
        _exit(0);
    }
    close(fds[1]);
    std::string out;
    char buffer[4096];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        out.append(buffer, size_t(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) out += "\n(child did not end normally)";
    return out;
}

TEST(DiskFull, FailedSavesKeepTheOldFilesAndAreOfferedAgain) {
    TempDir folder;
    SmallDisk disk(folder.path(), "64k");
    SKIP_UNLESS_MOUNTED(disk);

    Program p;
    p.Receive(20);
    const std::string data = folder / "day.gas";
    const std::string settings = folder / "vornik-pc.ini";
    const std::string oldData = "Номер\t\r\nold row\t\r\n";
    TConfig stored = DefaultRecord();
    stored.SetPortName("COM3");
    WriteAll(data, oldData);
    WriteAll(settings, RecordBytes(stored));
    ASSERT_TRUE(FillUp(folder / "filler"));
    const std::string before = p.State();

    // The data file.
    p.dialogs.Answer(data);
    p.commands.SaveCharDialog();
    EXPECT_EQ(Describe(p.prompt.events()), Describe(kDataWriteFailure));
    EXPECT_EQ(ReadAll(data), oldData);
    EXPECT_EQ(Entries(folder.path()), (std::set<std::string>{"day.gas", "filler", "vornik-pc.ini"}));
    EXPECT_EQ(p.State(), before);  // gas rows still unsaved
    ASSERT_TRUE(p.model.NewData(PageGas));

    // The settings file: the record in memory stays in force.
    p.prompt.Clear();
    ConfigStore store(settings, p.prompt);
    TConfig changed = stored;
    changed.SetPortName("COM7");
    EXPECT_FALSE(store.SaveConfig(changed));
    EXPECT_EQ(Describe(p.prompt.events()), Describe(kSettingsWriteFailure));
    EXPECT_EQ(ReadAll(settings), RecordBytes(stored));
    EXPECT_EQ(changed.PortName(), "COM7");
    EXPECT_EQ(Entries(folder.path()).size(), 3u);

    // Room again: the close guard asks about the gas rows once more, and
    // both files are written.
    fs::remove(folder / "filler");
    p.prompt.Clear();
    p.prompt.Answer(true);  // close
    p.prompt.Answer(true);  // save the unsaved rows
    p.dialogs.Answer(data);
    EXPECT_TRUE(p.commands.MayClose({}, p.config, p.store));
    EXPECT_EQ(Describe(p.prompt.events()),
              "question: Программа будет закрыта?\nquestion: Данные не записаны! Сохранить?\n");
    EXPECT_EQ(Lines(data), "21 lines");
    EXPECT_TRUE(store.SaveConfig(changed));
    EXPECT_EQ(ReadAll(settings), RecordBytes(changed));
    for (int page = 0; page < kPageCount; ++page) EXPECT_FALSE(p.model.NewData(page));
}

TEST(FileSizeLimit, FailedSavesKeepTheOldFilesAndAreOfferedAgain) {
    TempDir folder;
    Program p;
    p.Receive(20);
    const std::string data = folder / "day.gas";
    const std::string oldData = "Номер\t\r\nold row\t\r\n";
    WriteAll(data, oldData);
    TConfig stored = DefaultRecord();
    stored.SetPortName("COM3");
    WriteAll(p.store.FileName(), RecordBytes(stored));
    const std::string before = p.State();

    // Both files are larger than the limit; the old ones are smaller.
    const std::string child = InChildWithFileSizeLimit(256, [&] {
        std::string report;
        p.dialogs.Answer(data);
        p.commands.SaveCharDialog();
        report += Describe(p.prompt.events()) + p.State();

        // The close guard asks again; its dialog is cancelled, which keeps
        // the window open, and writing the settings fails as well.
        p.prompt.Clear();
        p.prompt.Answer(true);
        p.prompt.Answer(true);
        p.dialogs.Answer(std::nullopt);
        p.config.SetPortName("COM7");
        const bool closes = p.commands.MayClose({}, p.config, p.store);
        report += "--\n" + Describe(p.prompt.events()) + "closes " + std::to_string(closes) + ", port " +
                  p.config.PortName() + '\n';
        return report;
    });
    EXPECT_EQ(child, Describe(kDataWriteFailure) + before + "--\n" +
                         "question: Программа будет закрыта?\nquestion: Данные не записаны! Сохранить?\n" +
                         Describe(kSettingsWriteFailure) + "closes 0, port COM7\n");
    EXPECT_EQ(ReadAll(data), oldData);
    EXPECT_EQ(ReadAll(p.store.FileName()), RecordBytes(stored));
    EXPECT_EQ(Entries(folder.path()), std::set<std::string>{"day.gas"});
    EXPECT_EQ(Entries(p.home.path()), std::set<std::string>{"vornik-pc.ini"});

    // Without the limit the same save goes through.
    p.dialogs.Answer(data);
    p.commands.SaveCharDialog();
    EXPECT_EQ(Lines(data), "21 lines");
    EXPECT_FALSE(p.model.NewData(PageGas));
}

TEST(ReadOnlyFolder, NothingIsReplacedAndEveryFailureIsReported) {
    TempDir folder;
    SmallDisk disk(folder.path(), "256k");
    SKIP_UNLESS_MOUNTED(disk);
    const std::string oldData = "Номер\t\r\nold row\t\r\n";
    TConfig stored = DefaultRecord();
    stored.SetPortName("COM3");
    WriteAll(folder / "day.gas", oldData);
    WriteAll(folder / "vornik-pc.ini", RecordBytes(stored));
    fs::create_directory(folder / "taken.gas");
    if (!disk.MakeReadOnly()) GTEST_SKIP() << "cannot remount the tmpfs read-only (" << disk.Error() << ")";
    const std::set<std::string> entries = Entries(folder.path());

    Program p;
    p.Receive(3);
    const std::string before = p.State();
    // An existing file, a new one, and a folder of the name.
    for (const char* name : {"day.gas", "new.gas", "taken.gas"}) {
        p.prompt.Clear();
        p.dialogs.Answer(folder / name);
        p.commands.SaveCharDialog();
        EXPECT_EQ(Describe(p.prompt.events()), Describe(kDataWriteFailure)) << name;
        EXPECT_EQ(p.State(), before) << name;
    }
    EXPECT_EQ(ReadAll(folder / "day.gas"), oldData);

    // A read-only settings file is used as it is, but cannot be replaced.
    p.prompt.Clear();
    ConfigStore store(folder / "vornik-pc.ini", p.prompt);
    TConfig record;
    store.ReadAtStartup(record);
    EXPECT_TRUE(p.prompt.events().empty());
    EXPECT_EQ(record.PortName(), "COM3");
    record.SetPortName("COM7");
    EXPECT_FALSE(store.SaveConfig(record));
    EXPECT_EQ(Describe(p.prompt.events()), Describe(kSettingsWriteFailure));
    EXPECT_EQ(record.PortName(), "COM7");
    EXPECT_EQ(ReadAll(folder / "vornik-pc.ini"), RecordBytes(stored));

    EXPECT_EQ(Entries(folder.path()), entries);
}

// Names as long as the system allows: the temporary file beside them must
// not be refused for its length.
TEST(LongNames, FilesNamedUpToTheLimitAreWritten) {
    TempDir folder;
    Program p;
    p.Receive(2);
    std::string cyrillic;
    for (int i = 0; i < 125; ++i) cyrillic += "д";  // two bytes each
    const std::vector<std::string> names = {std::string(250, 'a') + ".gas", cyrillic + ".gas",
                                            cyrillic + ".ini"};
    for (const std::string& name : {names[0], names[1]}) {
        EXPECT_TRUE(SaveChartToFile(p.model, folder / name, true, false, false, p.prompt)) << name.size();
        EXPECT_EQ(Lines(folder / name), "3 lines");
    }
    ConfigStore store(folder / names[2], p.prompt);
    EXPECT_TRUE(store.SaveConfig(p.config));
    EXPECT_EQ(ReadAll(folder / names[2]), RecordBytes(p.config));
    EXPECT_TRUE(p.prompt.events().empty());
    EXPECT_EQ(Entries(folder.path()), std::set<std::string>(names.begin(), names.end()));
}

// --- a serial device that fails ----------------------------------------------

using Pty = test::TestPty;

// The platform driver with every operation counted.
class CountingDriver : public CommDriver {
public:
    CountingDriver(std::unique_ptr<CommDriver> inner, std::atomic<int>& calls, std::atomic<int>& opens)
        : inner_(std::move(inner)), calls_(calls), opens_(opens) {}

    uintptr_t OpenDevice(const char* name) override {
        ++opens_;
        return Count(), inner_->OpenDevice(name);
    }
    void CloseDevice() override { Count(), inner_->CloseDevice(); }
    bool ReadLineSettings(DCB& dcb) override { return Count(), inner_->ReadLineSettings(dcb); }
    bool ApplyLineSettings(const DCB& dcb) override { return Count(), inner_->ApplyLineSettings(dcb); }
    bool BuildLineSettings(const char* mode, DCB& dcb) override {
        return Count(), inner_->BuildLineSettings(mode, dcb);
    }
    bool RequestQueueSizes(uint32_t in, uint32_t out) override { return Count(), inner_->RequestQueueSizes(in, out); }
    bool PurgeQueues(uint32_t flags) override { return Count(), inner_->PurgeQueues(flags); }
    bool ClearLineErrors(uint32_t& errors, COMSTAT& status) override {
        return Count(), inner_->ClearLineErrors(errors, status);
    }
    bool SetEventMask(uint32_t mask) override { return Count(), inner_->SetEventMask(mask); }
    bool WaitEvent(uint32_t& mask, OVERLAPPED& o) override { return Count(), inner_->WaitEvent(mask, o); }
    bool ReadModemStatus(uint32_t& status) override { return Count(), inner_->ReadModemStatus(status); }
    bool EscapeFunction(uint32_t function) override { return Count(), inner_->EscapeFunction(function); }
    bool ReadByte(uint8_t& slot, uint32_t& count, OVERLAPPED& o) override {
        return Count(), inner_->ReadByte(slot, count, o);
    }
    bool WriteBytes(const void* buffer, uint32_t count, uint32_t& written, OVERLAPPED& o) override {
        return Count(), inner_->WriteBytes(buffer, count, written, o);
    }
    bool OperationResult(OVERLAPPED& o, uint32_t& count) override { return Count(), inner_->OperationResult(o, count); }
    EventHandle NewEvent() override { return Count(), inner_->NewEvent(); }
    void ClearEvent(EventHandle e) override { Count(), inner_->ClearEvent(e); }
    bool EventSignalled(EventHandle e) override { return Count(), inner_->EventSignalled(e); }
    void FreeEvent(EventHandle e) override { Count(), inner_->FreeEvent(e); }
    bool DeviceLost() const override { return inner_->DeviceLost(); }

private:
    void Count() { ++calls_; }
    std::unique_ptr<CommDriver> inner_;
    std::atomic<int>& calls_;
    std::atomic<int>& opens_;
};

// A prompt that only counts: a long noisy stream beeps thousands of times.
class CountingPrompt : public Prompt {
public:
    void Beep() override { ++beeps; }
    void ShowError(const std::string&) override { ++boxes; }
    bool AskYesNo(const std::string&) override { return ++boxes, false; }
    void ShowDeviceMessage(const std::string&, const std::string&) override { ++boxes; }
    void ShowGeneralError(const std::string&) override { ++boxes; }
    size_t beeps = 0;
    size_t boxes = 0;
};

// Reception from a device name, polled by a timer the test ticks.
struct Listener {
    MainModel model;
    CountingPrompt decoderPrompt;
    ScriptedPrompt portPrompt;
    size_t receptionErrors = 0;
    ReplyDecoder decoder{model, decoderPrompt, [this](const std::string&) { ++receptionErrors; }};
    test::ManualPollTimer timer;
    std::atomic<int> driverCalls{0};
    std::atomic<int> opens{0};
    PortHandling port{portPrompt, timer,
                      [this](const std::string&) { return std::make_unique<CountingDriver>(MakePlatformCommDriver(), driverCalls, opens); },
                      [this](uint8_t value, bool lineError) { decoder.Recieve(nullptr, value, lineError); }};

    // Wired as the window and the headless loop wire it.
    Listener() {
        model.GridsLayout(800);
        port.OnStateChange = [this](PortState state) {
            if (state == PortState::Lost) decoder.DropReply();
        };
    }

    // Column 0 of the page's data rows.
    std::vector<std::string> Numbers(int page) const {
        std::vector<std::string> numbers;
        const MeasurementTable& t = model.Table(page);
        if (t.IsEmpty()) return numbers;
        for (int r = 1; r < t.RowCount(); ++r) numbers.emplace_back(t.Cell(0, r));
        return numbers;
    }
};

std::string GasNumbered(int n) { return test::GasReply().Set(1, std::to_string(n)).Bytes(); }

// The bytes of a reply up to the end of its field `count`.
std::string FieldsUpTo(const std::string& reply, int count) {
    size_t end = 0;
    for (int lf = 0; lf <= count; ++lf) end = reply.find('\n', end) + 1;
    return reply.substr(0, end);
}

// Points a link at a terminal, replacing what it pointed at.
void PointLink(const std::string& link, const std::string& target) {
    const std::string next = link + ".new";
    fs::remove(next);
    fs::create_symlink(target, next);
    fs::rename(next, link);
}

TEST(DeviceLoss, ReceptionStopsCleanlyAndResumesWhenTheDeviceReturns) {
    TempDir dir;
    const std::string link = dir / "ttyVORNIK";
    auto first = std::make_unique<Pty>();
    PointLink(link, first->path);

    Listener l;
    l.port.CreatePort(link);
    ASSERT_EQ(l.port.State(), PortState::Listening);
    l.timer.Tick();
    ASSERT_TRUE(first->Deliver(GasNumbered(1) + GasNumbered(2) + GasNumbered(3)));
    l.timer.Tick();
    EXPECT_EQ(l.Numbers(PageGas), (std::vector<std::string>{"1/1", "2/2", "3/3"}));

    // The instrument's end goes away in the middle of a reply.
    ASSERT_TRUE(first->Deliver(FieldsUpTo(GasNumbered(4), 10)));
    l.timer.Tick();
    first->CloseMaster();
    for (auto end = std::chrono::steady_clock::now() + 5s;
         l.port.State() != PortState::Lost && std::chrono::steady_clock::now() < end;)
        l.timer.Tick();
    ASSERT_EQ(l.port.State(), PortState::Lost);
    EXPECT_EQ(l.port.StatusText(), "Порт " + link + " недоступен, повторное открытие");

    // Waiting for it costs nothing: no device work between reopen attempts,
    // and one failed open a second.
    const int callsAtLoss = l.driverCalls;
    l.timer.Tick(PortHandling::kReopenTicks - 1);
    EXPECT_EQ(l.driverCalls, callsAtLoss);
    const int opensAtLoss = l.opens;
    l.timer.Tick(10 * PortHandling::kReopenTicks);
    EXPECT_LE(l.opens - opensAtLoss, 11);
    EXPECT_LE(l.driverCalls - callsAtLoss, 20 * (l.opens - opensAtLoss));
    EXPECT_EQ(l.port.State(), PortState::Lost);
    EXPECT_TRUE(l.portPrompt.events().empty());
    EXPECT_EQ(l.decoderPrompt.boxes, 0u);
    EXPECT_EQ(l.receptionErrors, 0u);
    EXPECT_TRUE(l.model.NewData(PageGas));

    // The device comes back under the same name.
    first.reset();
    Pty second;
    PointLink(link, second.path);
    l.timer.Tick(120);
    ASSERT_EQ(l.port.State(), PortState::Listening);
    EXPECT_EQ(l.port.StatusText(), "Порт " + link + ": приём");
    // It comes back in the middle of another reply: that tail and the head
    // cut off before the loss are not one reply.
    const std::string ninth = GasNumbered(9);
    ASSERT_TRUE(second.Deliver(ninth.substr(FieldsUpTo(ninth, 10).size())));
    l.timer.Tick();
    ASSERT_TRUE(second.Deliver(GasNumbered(5) + GasNumbered(6)));
    l.timer.Tick();
    ASSERT_TRUE(second.Deliver(GasNumbered(7)));
    l.timer.Tick();

    // Every row before and after; the replies cut by the loss left none.
    EXPECT_EQ(l.Numbers(PageGas), (std::vector<std::string>{"1/1", "2/2", "3/3", "4/5", "5/6", "6/7"}));
    EXPECT_EQ(l.model.Chart(PageGas).Series(0).Count(), 6u);
    EXPECT_EQ(l.receptionErrors, 0u);
    EXPECT_TRUE(l.portPrompt.events().empty());
}

// Waits until the file holds `text` `times` times.
bool WaitForText(const std::string& path, const std::string& text, int times = 1) {
    for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;) {
        const std::string s = ReadAll(path);
        int found = 0;
        for (size_t at = s.find(text); at != std::string::npos; at = s.find(text, at + 1)) ++found;
        if (found >= times) return true;
        std::this_thread::sleep_for(5ms);
    }
    return false;
}

// The logger without a window drops the reply cut by a loss the same way.
TEST(DeviceLoss, HeadlessLoggingGoesOnAfterTheDeviceReturns) {
    TempDir dir;
    const std::string link = dir / "ttyVORNIK";
    auto first = std::make_unique<Pty>();
    PointLink(link, first->path);
    HeadlessOptions options;
    options.programPath = dir / "vornik-pc";
    options.configFile = dir / "absent.ini";
    options.portName = link;
    options.outFolder = dir.path();
    FixedClock clock(DateTime{2026, 12, 8, 12, 0, 0, 0});
    const std::string logName = dir / "log.txt";
    std::FILE* log = std::fopen(logName.c_str(), "w");
    ASSERT_NE(log, nullptr);
    StreamPrompt prompt(log);
    std::atomic<bool> stop{false};
    std::thread session([&] { RunHeadless(options, prompt, clock, MakeDeviceCommDriver, stop); });
    const std::string gasFile = dir / "vornik-pc-26-12-08.gas";

    EXPECT_TRUE(WaitForText(logName, ": приём"));
    first->Send(GasNumbered(1) + GasNumbered(2) + FieldsUpTo(GasNumbered(3), 10));
    EXPECT_TRUE(WaitForText(gasFile, "2/2\t"));
    first->CloseMaster();
    EXPECT_TRUE(WaitForText(logName, "недоступен"));

    Pty second;
    PointLink(link, second.path);
    EXPECT_TRUE(WaitForText(logName, ": приём", 2));
    const std::string ninth = GasNumbered(9);
    second.Send(ninth.substr(FieldsUpTo(ninth, 10).size()) + GasNumbered(4));
    EXPECT_TRUE(WaitForText(gasFile, "/4\t"));
    stop = true;
    session.join();
    std::fclose(log);

    std::vector<std::string> numbers;
    std::istringstream lines(ReadAll(gasFile));
    std::string line;
    std::getline(lines, line);  // the header row
    while (std::getline(lines, line)) numbers.push_back(line.substr(0, line.find('\t')));
    EXPECT_EQ(numbers, (std::vector<std::string>{"1/1", "2/2", "3/4"})) << ReadAll(logName);
}

// Bytes the receiving thread's heap hands out now. Unlike the resident size,
// this does not move with what the allocator keeps in reserve or returns.
long HeapInUse() { return static_cast<long>(mallinfo2().uordblks); }

// What the tables and charts hold by right.
long ModelBytes(const MainModel& model) {
    long bytes = 0;
    for (int page = 0; page < kPageCount; ++page) {
        bytes += long(model.Table(page).MemoryBytes());
        const ChartModel& chart = model.Chart(page);
        for (int i = 0; i < chart.SeriesCount(); ++i) bytes += long(chart.Series(i).Count() * sizeof(double));
    }
    return bytes;
}

// Line noise: any byte but the end marker, so it never completes a reply on
// its own; now and then a long run that overfills the reply buffer, or a
// framed reply that cannot be decoded.
std::string Noise(std::mt19937& random, int& badReplies) {
    std::string noise;
    const int length = std::uniform_int_distribution<int>(0, random() % 8 == 0 ? 600 : 60)(random);
    for (int i = 0; i < length; ++i) {
        char c = char(random() & 0xFF);
        if (c == '<') c = '>';
        noise += c;
    }
    switch (random() % 6) {
        case 0:
            noise += ">G\r\n12\r\n<";  // too few fields
            ++badReplies;
            break;
        case 1:
            noise += test::TempReply().Set(5, "1-2").Bytes();  // not a number
            ++badReplies;
            break;
        case 2: noise += ">X\r\n1\r\n<"; break;  // unknown kind: only the alert
        default: break;
    }
    return noise;
}

TEST(NoisyLine, EveryGoodReplyIsDecodedAndMemoryStaysFlat) {
    Pty pty;
    Listener l;
    l.port.CreatePort(pty.path);
    ASSERT_EQ(l.port.State(), PortState::Listening);
    l.timer.Tick();

    // The instrument side: good replies of the three kinds, numbered in
    // sequence, with noise around them, for about two seconds.
    constexpr int kReplies = 1500;
    std::atomic<bool> done{false};
    std::array<int, kPageCount> sent{};
    int badReplies = 0;
    std::thread instrument([&] {
        std::mt19937 random(20261208);
        for (int i = 0; i < kReplies; ++i) {
            const int page = i % kPageCount;
            test::TestReply reply = page == PageGas ? test::GasReply() : page == PageTemp ? test::TempReply()
                                                                                          : test::PrdReply();
            std::string bytes = Noise(random, badReplies);
            bytes += reply.Set(1, std::to_string(++sent[size_t(page)])).Bytes();
            pty.Send(bytes);
            std::this_thread::sleep_for(1ms);
        }
        pty.Send(Noise(random, badReplies));
        done = true;
    });

    auto rows = [&] {
        int n = 0;
        for (int page = 0; page < kPageCount; ++page)
            if (!l.model.Table(page).IsEmpty()) n += l.model.Table(page).RowCount() - 1;
        return n;
    };
    // Memory is measured once reception is under way.
    bool underWay = false;
    long residentAtStart = 0, modelAtStart = 0;
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline) {
        l.timer.Tick();
        if (!underWay && l.model.Table(PageGas).RowCount() > 100) {
            underWay = true;
            residentAtStart = HeapInUse();
            modelAtStart = ModelBytes(l.model);
        }
        if (done && rows() == sent[0] + sent[1] + sent[2]) break;
        std::this_thread::sleep_for(1ms);
    }
    // Should reception have stalled, the sender is freed before the checks.
    fcntl(pty.slave, F_SETFL, fcntl(pty.slave, F_GETFL) | O_NONBLOCK);
    for (char drain[4096]; !done;)
        if (read(pty.slave, drain, sizeof drain) <= 0) std::this_thread::sleep_for(1ms);
    instrument.join();
    l.timer.Tick(5);
    const long residentGrowth = HeapInUse() - residentAtStart;
    const long modelGrowth = ModelBytes(l.model) - modelAtStart;

    ASSERT_TRUE(underWay) << "reception never got under way";
    for (int page = 0; page < kPageCount; ++page) {
        const std::vector<std::string> numbers = l.Numbers(page);
        ASSERT_EQ(int(numbers.size()), sent[size_t(page)]) << "page " << page;
        for (int i = 0; i < int(numbers.size()); ++i)
            ASSERT_EQ(numbers[size_t(i)], std::to_string(i + 1) + "/" + std::to_string(i + 1)) << "page " << page;
        EXPECT_EQ(l.model.Chart(page).Series(0).Count(), numbers.size());
    }
    EXPECT_EQ(l.receptionErrors, size_t(badReplies));
    EXPECT_EQ(l.decoderPrompt.boxes, 0u);
    EXPECT_TRUE(l.portPrompt.events().empty());
    EXPECT_EQ(l.port.State(), PortState::Listening);
    // Beyond the rows themselves, the stream may cost little: a leak of a few
    // hundred bytes per reply or per burst of noise would show. (Under the
    // sanitizers the allocator reports nothing here; LeakSanitizer checks.)
    if (residentAtStart > 0) {
        EXPECT_LT(residentGrowth, modelGrowth + (512L << 10))
            << "heap growth " << residentGrowth << ", rows and points " << modelGrowth;
    }
}

}  // namespace
}  // namespace vornik
