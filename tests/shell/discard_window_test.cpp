// The window never drops received rows that no file holds without a
// question: opening a file into their table, "Удалить все данные" and closing
// all ask first, and the rows stay in the recovery journal until they are
// written or given up.
#include <gtest/gtest.h>

#include <QAction>
#include <QToolButton>
#include <filesystem>

#include "ReplyBuilder.h"
#include "TestForm.h"
#include "datafiles/DataFileCommands.h"
#include "datafiles/RecoveryJournal.h"
#include "shell/Toolbar.h"

using namespace vornik;
using namespace vornik::test;
namespace fs = std::filesystem;

namespace {

const PromptEvent kAskedWithCancel{PromptEvent::QuestionWithCancel, "Confirm", kUnsavedQuestion};

struct Window {
    TestForm fixture;
    TForm1* form = nullptr;

    Window() {
        fixture.WriteDefaultSettings();
        form = &fixture.Create();
    }
    void Receive(int count) {
        for (int i = 0; i < count; ++i) fixture.device->Receive(GasReply().Set(1, std::to_string(200 + i)).Bytes());
        for (int tick = 0; tick < 3; ++tick) form->port().TimerReadPortTimer();
    }
    int GasRows() const { return form->model().Table(PageGas).RowCount(); }
    size_t Journalled() const { return RecoveryJournal::ReadPending(form->journal()->Path()).size(); }
    void Trigger(const char* action) { form->findChild<QAction*>(action)->trigger(); }
    void DeleteAll() { form->toolbar()->Button(QStringLiteral("BitBtn5"))->click(); }
};

}  // namespace

TEST(DiscardWindow, OpenAsksBeforeReplacingReceivedRows) {
    Window w;
    w.Receive(3);
    const std::string file = w.fixture.dir / "other.gas";
    fs::copy_file(std::string(VORNIK_TEST_DATA) + "/datafiles/gas3.gas", file);

    // Cancel: nothing changes.
    w.fixture.prompt.AnswerCancel();
    w.fixture.dialogs.Answer(file);
    w.Trigger("N9");
    EXPECT_EQ(w.fixture.prompt.boxes(), std::vector<PromptEvent>{kAskedWithCancel});
    EXPECT_EQ(w.GasRows(), 4);
    EXPECT_EQ(w.form->model().Table(PageGas).Cell(0, 1), "1/200");
    EXPECT_EQ(w.Journalled(), 3u);

    // No: the file replaces them, and only now they leave the journal.
    w.fixture.prompt.Answer(false);
    w.fixture.dialogs.Answer(file);
    w.Trigger("N9");
    EXPECT_EQ(w.form->model().Table(PageGas).Cell(0, 1), "1/101");
    EXPECT_EQ(w.Journalled(), 0u);
}

TEST(DiscardWindow, DeleteAllDataAsksAndCanSaveFirst) {
    Window w;
    w.Receive(2);
    w.fixture.prompt.AnswerCancel();
    w.DeleteAll();
    EXPECT_EQ(w.GasRows(), 3);
    EXPECT_EQ(w.Journalled(), 2u);

    // Yes: saved, then deleted.
    w.fixture.prompt.Answer(true);
    w.fixture.dialogs.Answer(w.fixture.dir / "kept.gas");
    w.DeleteAll();
    EXPECT_EQ(w.fixture.prompt.boxes(), (std::vector<PromptEvent>{kAskedWithCancel, kAskedWithCancel}));
    EXPECT_NE(ReadAll(w.fixture.dir / "kept.gas").find("2/201"), std::string::npos);
    EXPECT_TRUE(w.form->model().Table(PageGas).IsEmpty());
    EXPECT_EQ(w.Journalled(), 0u);

    // Nothing unwritten: deleted without a question.
    w.fixture.prompt.Clear();
    w.DeleteAll();
    EXPECT_TRUE(w.fixture.prompt.boxes().empty());
}

// "Сохранить", "Отмена" in the save dialog, then closing: the rows are in no
// file, so the close guard still asks, and a normal end keeps nothing.
TEST(DiscardWindow, CloseAsksAfterACancelledSaveDialog) {
    Window w;
    w.Receive(2);
    w.fixture.dialogs.Answer(std::nullopt);
    w.Trigger("N8");
    ASSERT_FALSE(w.form->model().NewData(PageGas));

    w.fixture.prompt.Answer(true);  // close
    w.fixture.prompt.Answer(true);  // save
    w.fixture.dialogs.Answer(std::nullopt);
    EXPECT_FALSE(w.form->close());
    EXPECT_EQ(w.Journalled(), 2u);

    w.fixture.prompt.Answer(true);
    w.fixture.prompt.Answer(true);
    w.fixture.dialogs.Answer(w.fixture.dir / "day.gas");
    EXPECT_TRUE(w.form->close());
    EXPECT_NE(ReadAll(w.fixture.dir / "day.gas").find("2/201"), std::string::npos);
    EXPECT_EQ(w.fixture.prompt.pendingAnswers(), 0u);
}
