#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "ScriptedFileDialogs.h"
#include "ScriptedPrompt.h"
#include "TestFiles.h"
#include "datafiles/DataFileCommands.h"

using namespace vornik;
using vornik::test::DialogEvent;
using vornik::test::PromptEvent;
using vornik::test::ReadAll;
using vornik::test::ScriptedFileDialogs;
using vornik::test::ScriptedPrompt;
using vornik::test::TempDir;
namespace fs = std::filesystem;

namespace {

const std::string kData = std::string(VORNIK_TEST_DATA) + "/datafiles/";

struct Commands {
    TempDir dir;
    MainModel model;
    ScriptedPrompt prompt;
    ScriptedFileDialogs dialogs;
    FixedClock clock{DateTime{2024, 3, 5, 10, 0, 0, 0}};
    DataFileCommands commands{model, prompt, dialogs, clock, dir / "analyser.exe", "/home/nobody"};
    TConfig config;
    ConfigStore store{dir / "analyser.ini", prompt};

    Commands() {
        model.GridsLayout(800);
        config.LoadDefaults();
    }

    void Receive(int page, int rows = 1) {
        auto& table = model.Table(page);
        for (int i = 0; i < rows; ++i) {
            const int row = table.AppendRow();
            table.SetCell(0, row, std::to_string(row) + "/" + std::to_string(row));
            for (int c = 3; c <= 7; ++c) table.SetCell(c, row, "1,5");
        }
        model.SetNewData(page, true);
    }

    std::vector<PromptEvent> Questions() const {
        std::vector<PromptEvent> q;
        for (const auto& e : prompt.events())
            if (e.kind == PromptEvent::Question) q.push_back(e);
        return q;
    }
};

int LineCount(const std::string& path) {
    const std::string s = ReadAll(path);
    return static_cast<int>(std::count(s.begin(), s.end(), '\n'));
}

}  // namespace

TEST(SaveCommand, OffersEveryUnsavedPageInOrder) {
    Commands t;
    t.Receive(PagePrd, 2);
    t.Receive(PageGas, 3);
    t.dialogs.Answer(t.dir / "g.gas");
    t.dialogs.Answer(t.dir / "p.prd");
    t.commands.SaveCharDialog();

    const auto& ev = t.dialogs.events();
    ASSERT_EQ(ev.size(), 2u);
    EXPECT_EQ(ev[0].kind, DialogEvent::Save);
    EXPECT_EQ(ev[0].filter, "Файлы данных газоанализатора(*.gas)|*.gas");
    EXPECT_EQ(ev[0].presetName, t.dir / "analyser-24-03-05.gas");
    EXPECT_EQ(ev[1].filter, "Файлы данных изм. давления, скорости(*.prd)|*.prd");
    EXPECT_EQ(ev[1].presetName, t.dir / "analyser-24-03-05.prd");
    EXPECT_EQ(LineCount(t.dir / "g.gas"), 4);
    EXPECT_EQ(LineCount(t.dir / "p.prd"), 3);
    for (int page = 0; page < kPageCount; ++page) EXPECT_FALSE(t.model.NewData(page));

    // Nothing left to save: the command shows nothing.
    t.commands.SaveCharDialog();
    EXPECT_EQ(t.dialogs.events().size(), 2u);
    EXPECT_TRUE(t.prompt.events().empty());
}

TEST(SaveCommand, CancelWritesNothingButCountsAsOffered) {
    Commands t;
    t.Receive(PageTemp);
    t.dialogs.Answer(std::nullopt);
    t.commands.SaveCharDialog();
    EXPECT_FALSE(t.model.NewData(PageTemp));
    EXPECT_EQ(t.dir.EntryCount(), 0u);

    // Its rows are in no file: the close guard still asks, and a cancelled
    // dialog there keeps the window open.
    t.prompt.Answer(true);
    t.prompt.Answer(true);
    t.dialogs.Answer(std::nullopt);
    EXPECT_FALSE(t.commands.MayClose({}, t.config, t.store));
    EXPECT_EQ(t.Questions().size(), 2u);
    t.prompt.Answer(true);
    t.prompt.Answer(false);  // give them up
    EXPECT_TRUE(t.commands.MayClose({}, t.config, t.store));
    EXPECT_EQ(t.dialogs.events().size(), 2u);
    EXPECT_EQ(t.dir.EntryCount(), 1u);  // the settings file alone
}

TEST(SaveCommand, FailedWriteKeepsTheFlagAndTheOldFile) {
    Commands t;
    fs::create_directory(t.dir / "taken.gas");
    t.Receive(PageGas);
    t.dialogs.Answer(t.dir / "taken.gas");
    t.commands.SaveCharDialog();
    EXPECT_EQ(t.prompt.boxes(), (std::vector<PromptEvent>{{PromptEvent::Error, "Error", kDataWriteErrorText}}));
    EXPECT_TRUE(t.model.NewData(PageGas));

    // So the close guard asks again; failing again, it keeps the window open.
    t.prompt.Clear();
    t.prompt.Answer(true);
    t.prompt.Answer(true);
    t.dialogs.Answer(t.dir / "taken.gas");
    EXPECT_FALSE(t.commands.MayClose({}, t.config, t.store));
    EXPECT_TRUE(t.model.NewData(PageGas));

    // This time the save works.
    t.prompt.Clear();
    t.prompt.Answer(true);
    t.prompt.Answer(true);
    t.dialogs.Answer(t.dir / "ok.gas");
    EXPECT_TRUE(t.commands.MayClose({}, t.config, t.store));
    EXPECT_EQ(t.Questions().size(), 2u);
    EXPECT_FALSE(t.model.NewData(PageGas));
    EXPECT_EQ(LineCount(t.dir / "ok.gas"), 2);
}

TEST(SaveCommand, RowArrivingWhileTheDialogIsOpenIsWritten) {
    Commands t;
    t.Receive(PageGas, 2);
    t.dialogs.WhileOpen([&] { t.Receive(PageGas); });
    t.dialogs.Answer(t.dir / "g");  // typed without extension: written as typed
    t.commands.SaveCharDialog();
    EXPECT_EQ(LineCount(t.dir / "g"), 4);
    EXPECT_FALSE(t.model.NewData(PageGas));
}

TEST(OpenCommand, PreselectsTheActivePageAndLoadsByExtension) {
    Commands t;
    t.Receive(PageTemp, 2);
    t.Receive(PageGas, 4);
    t.model.SetActivePage(PageTemp);
    t.dialogs.Answer(kData + "gas3.gas");
    t.prompt.Answer(false);  // the gas table's unsaved rows are given up
    t.commands.Open();

    ASSERT_EQ(t.dialogs.events().size(), 1u);
    const auto& ev = t.dialogs.events()[0];
    EXPECT_EQ(ev.kind, DialogEvent::Open);
    EXPECT_EQ(ev.filterIndex, 2);
    EXPECT_EQ(ev.filter,
              "Файлы данных газоанализатора (*.gas)|*.gas|Файлы данныхизм. температуры (*.tmpr)|*.tmpr|"
              "Файлы данныхизм. давления (*.prd)|*.prd");
    EXPECT_EQ(t.model.ActivePage(), PageGas);
    EXPECT_EQ(t.model.Table(PageGas).RowCount(), 4);
    EXPECT_FALSE(t.model.NewData(PageGas));
    EXPECT_TRUE(t.model.NewData(PageTemp));
    EXPECT_EQ(t.model.Table(PageTemp).RowCount(), 3);

    // Cancel does nothing.
    t.dialogs.Answer(std::nullopt);
    t.commands.Open();
    EXPECT_EQ(t.dialogs.events().back().filterIndex, 1);
    EXPECT_EQ(t.model.Table(PageGas).RowCount(), 4);
    EXPECT_EQ(t.prompt.events().size(), 1u);
}

TEST(CloseGuard, NoStillOffersToSaveAndStoresTheConfiguration) {
    Commands t;
    t.Receive(PageGas);
    t.prompt.Answer(false);  // "Программа будет закрыта?"
    t.prompt.Answer(true);   // "Данные не записаны! Сохранить?"
    t.dialogs.Answer(std::nullopt);
    const bool close = t.commands.MayClose({true, 640, 480, 500, 700}, t.config, t.store);

    EXPECT_FALSE(close);
    EXPECT_EQ(t.Questions(), (std::vector<PromptEvent>{{PromptEvent::Question, "Confirm", "Программа будет закрыта?"},
                                                       {PromptEvent::Question, "Confirm", "Данные не записаны! Сохранить?"}}));
    EXPECT_EQ(t.dialogs.events().size(), 1u);
    TConfig saved;
    ASSERT_TRUE(t.store.Read(saved));
    EXPECT_FALSE(saved.WindowMaximized());
    EXPECT_EQ(saved.WindowWidth(), 640);
    EXPECT_EQ(saved.WindowHeight(), 480);
    EXPECT_EQ(saved.WindowTop(), 500);
    EXPECT_EQ(saved.WindowLeft(), 700);
}

// Rows the user asked to save stay: a cancelled dialog keeps its page's flag
// and the window open, the other pages are still offered.
TEST(CloseGuard, CancelledSaveDialogStopsTheClosing) {
    Commands t;
    t.Receive(PageGas);
    t.Receive(PageTemp);
    t.prompt.Answer(true);
    t.prompt.Answer(true);
    t.dialogs.Answer(std::nullopt);
    t.dialogs.Answer(t.dir / "t.tmpr");
    EXPECT_FALSE(t.commands.MayClose({}, t.config, t.store));
    EXPECT_TRUE(t.model.NewData(PageGas));
    EXPECT_FALSE(t.model.NewData(PageTemp));
    EXPECT_EQ(LineCount(t.dir / "t.tmpr"), 2);
    EXPECT_TRUE(fs::exists(t.store.FileName()));

    t.prompt.Answer(true);
    t.prompt.Answer(true);
    t.dialogs.Answer(t.dir / "g.gas");
    EXPECT_TRUE(t.commands.MayClose({}, t.config, t.store));
    EXPECT_EQ(t.dialogs.events().size(), 3u);
    EXPECT_FALSE(t.model.NewData(PageGas));
}

TEST(CloseGuard, MaximizedKeepsTheNormalGeometry) {
    Commands t;
    t.config.SetWindowWidth(1024);
    t.prompt.Answer(true);
    EXPECT_TRUE(t.commands.MayClose({false, 1920, 1080, 0, 0}, t.config, t.store));
    EXPECT_EQ(t.Questions().size(), 1u);  // nothing unsaved: one question
    TConfig saved;
    ASSERT_TRUE(t.store.Read(saved));
    EXPECT_TRUE(saved.WindowMaximized());
    EXPECT_EQ(saved.WindowWidth(), 1024);
    EXPECT_EQ(saved.WindowHeight(), 600);
}

// Rows no file holds are replaced by an open only once the user saved them or
// gave them up; until then they are not retired from the recovery journal.
TEST(OpenCommand, AsksBeforeReplacingRowsNoFileHolds) {
    Commands t;
    std::vector<int> settled;
    t.model.AddRowsSettledListener([&](int page) { settled.push_back(page); });
    t.Receive(PageGas, 3);
    const PromptEvent question{PromptEvent::QuestionWithCancel, "Confirm", kUnsavedQuestion};
    // The open dialog's answer, then the save dialog's, if one is due.
    fs::copy_file(kData + "gas3.gas", t.dir / "gas3.gas");
    const auto open = [&](std::optional<std::string> saveAs = std::nullopt, bool saveDialog = false) {
        t.dialogs.Answer(t.dir / "gas3.gas");
        if (saveDialog) t.dialogs.Answer(saveAs);
        t.commands.Open();
    };

    t.prompt.AnswerCancel();
    open();
    t.prompt.Answer(true);
    open(std::nullopt, true);  // the save dialog cancelled
    fs::create_directory(t.dir / "taken.gas");
    t.prompt.Answer(true);
    open(t.dir / "taken.gas", true);  // the write fails
    EXPECT_EQ(t.prompt.boxes(), (std::vector<PromptEvent>{question, question, question,
                                                         {PromptEvent::Error, "Error", kDataWriteErrorText}}));
    EXPECT_EQ(t.model.Table(PageGas).RowCount(), 4);
    EXPECT_TRUE(t.model.NewData(PageGas));
    EXPECT_TRUE(settled.empty());

    // Yes, and the save works: written first, then replaced.
    t.prompt.Answer(true);
    open(t.dir / "kept.gas", true);
    EXPECT_EQ(LineCount(t.dir / "kept.gas"), 4);
    EXPECT_EQ(settled, std::vector<int>({PageGas, PageGas}));  // written, then replaced
    EXPECT_EQ(t.model.Table(PageGas).Cell(3, 1), "123,4");
    EXPECT_FALSE(t.model.HoldsUnwrittenRows(PageGas));

    // A loaded table holds nothing unwritten: no question. After a cancelled
    // save dialog the rows are still in no file: asked again; No drops them.
    open();
    t.Receive(PageGas);
    t.dialogs.Answer(std::nullopt);
    t.commands.SaveCharDialog();
    ASSERT_FALSE(t.model.NewData(PageGas));
    t.prompt.Clear();
    t.prompt.Answer(false);
    open();
    EXPECT_EQ(t.prompt.boxes(), std::vector<PromptEvent>{question});
    EXPECT_EQ(t.model.Table(PageGas).Cell(0, 3), "3/103");
    EXPECT_FALSE(t.model.HoldsUnwrittenRows(PageGas));
    EXPECT_EQ(t.prompt.pendingAnswers(), 0u);
}
